#pragma once

#include <functional>

struct sqlite3;

namespace platform {

// What a statement that meets another connection's lock tells the program:
// it started waiting for the lock, and (once per start) the wait is over,
// whether the statement went on or gave up.
enum class BusyWait { Started, Ended };
using BusyListener = std::function<void(BusyWait)>;

namespace sqlite {

// Waits for other connections' locks on behalf of one engine connection.
// The engine calls it each time a lock is refused; it sleeps a little and
// has the engine try again until the busy timeout has passed since the
// wait began. The process-wide listener hears of the start of a wait and,
// through endWait(), of its end: once per engine call, however many locks
// the call waits for. It is told on the thread that waits, from inside the
// engine, so it must neither run events nor use the database.
class BusyHandler
{
public:
    explicit BusyHandler(int timeoutMs) : m_timeout(timeoutMs) {}
    BusyHandler(const BusyHandler &) = delete;
    BusyHandler &operator=(const BusyHandler &) = delete;

    // Makes this handler the one of the engine connection.
    void install(sqlite3 *db);
    int timeout() const { return m_timeout; }
    void setTimeout(int ms) { m_timeout = ms; }

    // Ends the calling thread's wait, if it is waiting: to be called after
    // every engine call that may take a lock.
    static void endWait();
    // Installs the process-wide listener and answers the one it replaces;
    // an empty function tells nobody.
    static BusyListener setListener(BusyListener listener);

private:
    static int retry(void *handler, int attempt);

    int m_timeout;
};

} // namespace sqlite
} // namespace platform
