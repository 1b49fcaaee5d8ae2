#pragma once

#include "platform/base/Variant.h"
#include "platform/data/Connection.h"
#include "platform/data/DataEnums.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace platform {

class Recordset;

// A statement to run on a connection with positional parameters: the
// values bind in the order the statement declares its parameters (its own
// PARAMETERS clause, else the stored queries it uses, in order of first
// mention), or in the order of its "?" marks.
class Command
{
public:
    Command() = default;
    explicit Command(const Connection &connection, const QString &commandText = {},
                     CommandType commandType = CommandType::Text);

    std::optional<Connection> activeConnection() const { return m_connection; }
    void setActiveConnection(const Connection &connection) { m_connection = connection; }
    QString commandText() const { return m_text; }
    void setCommandText(const QString &text) { m_text = text; }
    CommandType commandType() const { return m_type; }
    void setCommandType(CommandType type) { m_type = type; }

    const QList<Variant> &parameters() const { return m_parameters; }
    void appendParameter(const Variant &value) { m_parameters.append(value); }
    // Sets parameter `index`, adding Empty ones before it when needed.
    void setParameter(int index, const Variant &value);
    void clearParameters() { m_parameters.clear(); }

    // Runs the command into a recordset (static and read-only unless
    // told); the recordset is closed when the statement returns no rows.
    std::unique_ptr<Recordset> execute(CursorType cursorType = CursorType::Static,
                                       LockType lockType = LockType::ReadOnly) const;
    // Runs a command that returns no rows; answers the rows affected.
    long long executeNonQuery() const;

private:
    const Connection &connection() const;

    std::optional<Connection> m_connection;
    QString m_text;
    CommandType m_type = CommandType::Text;
    QList<Variant> m_parameters;
};

} // namespace platform
