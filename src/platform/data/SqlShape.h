#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace platform::sqlite {

// Reads the shape of an SQLite statement from its tokens: the names its
// result columns are written with, where a row locator can be added to
// its select list, and which column each host parameter is compared with
// or stored into (so that the value can be bound by that column's type).
class SqlShape
{
public:
    // The column each host parameter goes to, by the parameter's 1-based
    // bind index; the table is empty when the statement does not say it.
    struct Target {
        QString table;
        QString column;
    };

    // For each of `columnCount` result columns, the name as the statement
    // writes it when the column is a plain column reference without an
    // alias ("pIVA" for a column declared "PIVA"); an empty string where
    // the engine's name stands.
    static QStringList writtenResultNames(const QString &sql, int columnCount);

    // The statement with "rowid AS <alias>" put first in its main select
    // list; empty when its rows are not plain rows of a table (DISTINCT,
    // GROUP BY, UNION, VALUES, not a query).
    static QString withLeadingRowid(const QString &sql, const QString &alias);

    static QHash<int, Target> parameterTargets(const QString &sql);
};

} // namespace platform::sqlite
