#pragma once

#include "platform/base/Variant.h"
#include "platform/data/ColumnType.h"
#include "platform/data/SqlValue.h"

#include <QString>

#include <optional>
#include <vector>

namespace platform::sqlite {

class Session;
class Statement;

// Writes one recordset row to its table: INSERT; UPDATE of the assigned
// columns where the row's key has its original value and every assigned
// column still holds its original value; DELETE by the original key. An
// UPDATE or DELETE that finds no such row raises ConflictError. Values are
// always bound as parameters, converted by the column's declared type.
class RowWriter
{
public:
    // How a row is found again.
    enum class Locator {
        RowidField,  // a field holds the table's INTEGER PRIMARY KEY (the rowid)
        RowidColumn, // the rows were read with their rowid
        KeyFields,   // the fields of the primary key
    };

    // One field of the recordset: the column it is written to (empty when
    // it is not written: computed, or of another table) and its type.
    struct Column {
        QString name;
        ColumnType type;
    };

    // The row as stored after a write: its rowid and, for each field with
    // a column, the stored value (nullopt for the fields without one).
    struct Stored {
        std::int64_t rowid = 0;
        std::vector<std::optional<SqlValue>> values;
    };

    RowWriter(Session &session, QString table, std::vector<Column> columns, Locator locator, int rowidField,
              std::vector<int> keyFields);

    Stored insert(const std::vector<Variant> &values, const std::vector<bool> &assigned);
    // nullopt when nothing was assigned (nothing to write).
    std::optional<Stored> update(const std::vector<SqlValue> &original, std::optional<std::int64_t> rowid,
                                 const std::vector<Variant> &values, const std::vector<bool> &assigned);
    void remove(const std::vector<SqlValue> &original, std::optional<std::int64_t> rowid);
    // The value the database holds now; nullopt when the row is gone.
    std::optional<SqlValue> read(int field, const std::vector<SqlValue> &original, std::optional<std::int64_t> rowid);

private:
    QString returningClause() const;
    // " WHERE ..." locating the row, with its values appended to `binds`.
    QString locate(const std::vector<SqlValue> &original, std::optional<std::int64_t> rowid,
                   std::vector<SqlValue> &binds) const;
    Stored readReturned(Statement &statement) const;

    Session &m_session;
    QString m_table;
    std::vector<Column> m_columns;
    Locator m_locator;
    int m_rowidField;
    std::vector<int> m_keyFields;
};

} // namespace platform::sqlite
