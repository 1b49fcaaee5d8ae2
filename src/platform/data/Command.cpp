#include "platform/data/Command.h"

#include "platform/data/DatabaseError.h"
#include "platform/data/Recordset.h"

namespace platform {

Command::Command(const Connection &connection, const QString &commandText, CommandType commandType)
    : m_connection(connection)
    , m_text(commandText)
    , m_type(commandType)
{
}

void Command::setParameter(int index, const Variant &value)
{
    if (index < 0)
        throw DatabaseError::itemNotFound();
    while (m_parameters.size() <= index)
        m_parameters.append(Variant());
    m_parameters[index] = value;
}

const Connection &Command::connection() const
{
    if (!m_connection || !m_connection->isOpen())
        throw DatabaseError::connectionNotUsable();
    return *m_connection;
}

std::unique_ptr<Recordset> Command::execute(CursorType cursorType, LockType lockType) const
{
    auto recordset = std::make_unique<Recordset>();
    recordset->open(m_text, connection(), cursorType, lockType, m_type, m_parameters);
    return recordset;
}

long long Command::executeNonQuery() const
{
    Connection c = connection();
    switch (m_type) {
    case CommandType::Text:
        return c.execute(m_text, m_parameters);
    case CommandType::StoredProc:
        return c.execute(QStringLiteral("SELECT * FROM [%1]").arg(m_text), m_parameters);
    case CommandType::Table:
        break;
    }
    throw DatabaseError::notAllowedInContext();
}

} // namespace platform
