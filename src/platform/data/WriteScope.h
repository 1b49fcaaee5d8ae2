#pragma once

#include <QString>

namespace platform::sqlite {

class Session;

// Makes a group of writes all-or-nothing: a write transaction (BEGIN
// IMMEDIATE, which waits for other writers up to the busy timeout) when
// the program has none open, else a savepoint inside the program's
// transaction, which then decides what is kept. Rolled back unless
// commit() is called.
class WriteScope
{
public:
    explicit WriteScope(Session &session);
    ~WriteScope();
    WriteScope(const WriteScope &) = delete;
    WriteScope &operator=(const WriteScope &) = delete;

    void commit();
    // True when the writes are kept only if the program's transaction commits.
    bool insideProgramTransaction() const { return m_nested; }

private:
    Session &m_session;
    bool m_nested = false;
    bool m_done = false;
};

} // namespace platform::sqlite
