#pragma once

#include <QString>

namespace platform::sqlite {

class Session;

// Changes the declared type of a column, which SQLite cannot do in place:
// the table is rebuilt under the same name in one write transaction (a new
// table with the changed column definition, the rows copied with their
// row ids, the old table dropped, the new one renamed), keeping its other
// constraints, indexes, triggers, the views of the database and the
// AUTOINCREMENT counter. A CURRENCY column gets its values rounded to four
// decimals on the way.
class TableRebuild
{
public:
    static void alterColumn(Session &session, const QString &table, const QString &column, const QString &newType);

    // The CREATE TABLE text with the column's type replaced and the table
    // renamed; empty when the column is not found in the text.
    static QString rewriteCreateStatement(const QString &createSql, const QString &newTableName,
                                          const QString &column, const QString &newType);
};

} // namespace platform::sqlite
