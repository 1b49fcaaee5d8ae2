#pragma once

#include "platform/base/Variant.h"

#include <QList>
#include <QString>
#include <QStringList>

struct sqlite3;
struct sqlite3_stmt;

// A database file reached straight through the sqlite3 C API, without the
// database layer: the floor that the layer's timings are compared with.
// It opens the file as the layer does (read/write, never creating it, the
// same busy timeout, the layer's SQL functions registered, since the
// translated statements may call them) and runs statements, reading every
// column of every row.
class DirectQuery
{
public:
    explicit DirectQuery(const QString &path);
    ~DirectQuery();
    DirectQuery(const DirectQuery &) = delete;
    DirectQuery &operator=(const DirectQuery &) = delete;

    sqlite3 *handle() const { return m_db; }

    // Runs statements without parameters (BEGIN IMMEDIATE, COMMIT, ...).
    void exec(const char *sql);
    // Prepares `sql`, binds values[i] to the host parameter ":" + names[i]
    // (converted as the layer stores them), steps through every row reading
    // every column and answers the number of rows.
    long long run(const QString &sql, const QStringList &names = {}, const QList<platform::Variant> &values = {});

    // A prepared statement; the caller finalizes it with sqlite3_finalize.
    sqlite3_stmt *prepare(const QString &sql);
    // Binds one value (converted as the layer stores it) to parameter `index` (1-based).
    static void bind(sqlite3_stmt *statement, int index, const platform::Variant &value);
    // Steps through every row reading every column; resets the statement;
    // answers the number of rows.
    long long stepAll(sqlite3_stmt *statement);
    // The rows the last statement changed.
    long long changes() const;
    // The integer in the first column of the first row of `sql`.
    long long scalar(const QString &sql);

    // A checksum of everything read, so that no read can be skipped.
    double checksum() const { return m_checksum; }

private:
    [[noreturn]] void fail(const QString &what) const;

    sqlite3 *m_db = nullptr;
    double m_checksum = 0;
};
