// Builds the template database "master.gen": runs the schema script on a
// new SQLite file, then stores the parameter queries through the database
// layer, so that the catalogue holds them exactly as the program reads them.
//
//   velmora_make_template <schema.sql> <output file>

#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/JetTemplateQueries.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <sqlite3.h>

#include <cstdio>

namespace {

bool runSchema(const QString &schemaFile, const QString &output)
{
    QFile script(schemaFile);
    if (!script.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(schemaFile));
        return false;
    }
    // The schema, then the stock tables with the triggers that keep them.
    const QByteArray sql = script.readAll() + platform::jet::templatequeries::stockTablesSchema().toUtf8();

    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(output.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        std::fprintf(stderr, "cannot create %s: %s\n", qPrintable(output), sqlite3_errmsg(db));
        sqlite3_close(db);
        return false;
    }
    char *error = nullptr;
    const int rc = sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, &error) == SQLITE_OK
        ? sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error)
        : SQLITE_ERROR;
    if (rc != SQLITE_OK) {
        std::fprintf(stderr, "schema error: %s\n", error ? error : "?");
        sqlite3_free(error);
        sqlite3_close(db);
        return false;
    }
    sqlite3_close(db);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: velmora_make_template <schema.sql> <output>\n");
        return 2;
    }
    const QString output = args.at(2);
    const QString building = output + QStringLiteral(".new");
    QFile::remove(building);
    if (!runSchema(args.at(1), building))
        return 1;

    try {
        platform::Connection connection(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + building
                                        + QStringLiteral(";Persist Security Info=False"));
        for (const auto &query : platform::jet::templatequeries::All) {
            connection.execute(QStringLiteral("CREATE PROCEDURE ") + QString::fromUtf8(query.name)
                               + QStringLiteral(" AS PARAMETERS ") + QString::fromUtf8(query.parameters)
                               + QStringLiteral("; ") + QString::fromUtf8(query.body));
        }
        connection.close();
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "template error: %s\n", e.what());
        return 1;
    }

    QFile::remove(output);
    if (!QFile::rename(building, output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
