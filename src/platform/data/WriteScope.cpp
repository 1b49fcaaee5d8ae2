#include "platform/data/WriteScope.h"

#include "platform/data/DatabaseError.h"
#include "platform/data/Session.h"

#include <sqlite3.h>

namespace platform::sqlite {

WriteScope::WriteScope(Session &session)
    : m_session(session)
    , m_nested(sqlite3_get_autocommit(session.handle()) == 0)
{
    m_session.exec(m_nested ? QStringLiteral("SAVEPOINT velmora_write") : QStringLiteral("BEGIN IMMEDIATE"));
}

WriteScope::~WriteScope()
{
    if (m_done)
        return;
    try {
        if (m_nested) {
            if (sqlite3_get_autocommit(m_session.handle()) == 0)
                m_session.exec(QStringLiteral("ROLLBACK TO velmora_write; RELEASE velmora_write"));
        } else if (sqlite3_get_autocommit(m_session.handle()) == 0) {
            m_session.exec(QStringLiteral("ROLLBACK"));
        }
    } catch (const DatabaseError &) {
        // Nothing more can be done here; the engine rolls back on close.
    }
}

void WriteScope::commit()
{
    m_session.exec(m_nested ? QStringLiteral("RELEASE velmora_write") : QStringLiteral("COMMIT"));
    m_done = true;
}

} // namespace platform::sqlite
