#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace platform::sqlite {

// What the layer knows of one table or view of the schema: its columns
// with their declared types, its primary key and how its rows are located.
struct TableInfo {
    struct Column {
        QString name;
        QString declaredType; // as written in the schema ("VARCHAR(40)")
        bool notNull = false;
        bool hasDefault = false;
        QString defaultValue; // the default's SQL text
        int primaryKeyPosition = 0; // 1-based position in the primary key, 0 when not in it
    };

    QString name; // as the schema writes it
    bool isView = false;
    bool hasRowid = true;
    bool autoIncrement = false;
    QString integerKey;      // the INTEGER PRIMARY KEY column (the rowid), if any
    QStringList primaryKey;  // all primary key columns in key order
    QString sql;             // the CREATE statement
    QList<Column> columns;

    const Column *column(const QString &columnName) const
    {
        for (const Column &c : columns) {
            if (c.name.compare(columnName, Qt::CaseInsensitive) == 0)
                return &c;
        }
        return nullptr;
    }
};

} // namespace platform::sqlite
