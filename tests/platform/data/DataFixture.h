#pragma once

#include "platform/base/Variant.h"
#include "platform/data/DatabaseError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <ostream>

// Texts read in test failures as text.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << "{ ";
    for (const QString &s : l)
        *os << '"' << s.toStdString() << "\" ";
    *os << '}';
}

namespace platform {
// Variants read in test failures as "Long(5)", "Null", ...
inline void PrintTo(const Variant &v, std::ostream *os)
{
    *os << v.debugString().toStdString();
}
} // namespace platform

// Databases for the data layer's tests and for other tests that need one:
// files with the program's tables, declared as the template declares them,
// its plain views and its stored parameter queries, written with the
// engine directly so that the layer under test plays no part in making them.
namespace testsupport {

class DataFixture
{
public:
    // Creates a database of the program's shape at folder/fileName (a fresh
    // folder by default) and answers its path.
    static QString createDatabase(QString folder = QString(), const QString &fileName = QStringLiteral("gest01.mdb"));
    // The same with a few rows in every table (see DataFixture.cpp).
    static QString createSampleDatabase(QString folder = QString());

    // The program's connection string for a file.
    static QString connectionString(const QString &path);

    // Runs SQLite statements on the file directly.
    static void runSql(const QString &path, const QString &sql);
    // The first column of every row of an SQLite query, as text ("NULL"
    // for Null), read directly from the file.
    static QStringList queryColumn(const QString &path, const QString &sql);
    static QString queryValue(const QString &path, const QString &sql);

    static QByteArray fileBytes(const QString &path);

    // The stock tables the triggers keep (every load line with its date,
    // each article's stock per year), one text per row; and the same rows
    // as a plain recomputation from the movements gives them. The two are
    // equal when the tables are right.
    static QStringList storedStockTables(const QString &path);
    static QStringList expectedStockTables(const QString &path);
    // The helper program that the tests run in other processes.
    static QString helperProgram();
};

// The error of type Error that `f` raises, nullopt when it raises none.
template <typename Error, typename F>
std::optional<Error> errorOf(F &&f)
{
    try {
        f();
    } catch (const Error &e) {
        return e;
    }
    return std::nullopt;
}
template <typename F>
std::optional<platform::DatabaseError> databaseErrorOf(F &&f)
{
    return errorOf<platform::DatabaseError>(std::forward<F>(f));
}

} // namespace testsupport
