// A helper program for the data layer's tests that need a second process:
//   hold <db> immediate|exclusive   holds a write transaction (with a row
//                                    inserted) until a line arrives on stdin
//   crash <db>                       writes many rows in a transaction that
//                                    spill into the file, then waits to be killed
//   readonly <db>                    opens the file as a user who cannot
//                                    write it and reports what reads and writes do
// It prints "ready" once the state the test waits for is reached.
#include "platform/data/Connection.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/Recordset.h"
#include "platform/data/Session.h"

#include <sqlite3.h>

#include <unistd.h>

#include <iostream>
#include <string>

using namespace platform;

namespace {

QString connectionString(const char *path)
{
    return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=%1;Persist Security Info=False")
        .arg(QString::fromLocal8Bit(path));
}

void ready() { std::cout << "ready" << std::endl; }

void waitForLine()
{
    std::string line;
    std::getline(std::cin, line);
}

// The kind, the description and the engine's words of an error, on one line.
std::string describe(const DatabaseError &e)
{
    const bool readOnly = e.kind() == DatabaseError::Kind::ReadOnly;
    return (readOnly ? "ReadOnly " : "other ") + e.description().toStdString() + " | " + e.detail().toStdString();
}

int hold(const char *path, const std::string &mode)
{
    if (mode == "exclusive") {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(path, &db, SQLITE_OPEN_READWRITE, nullptr);
        if (sqlite3_exec(db, "BEGIN EXCLUSIVE; INSERT INTO _Pars (k01) VALUES ('held')", nullptr, nullptr,
                         nullptr) != SQLITE_OK)
            return 2;
        ready();
        waitForLine();
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return 0;
    }
    Connection c(connectionString(path));
    c.beginTrans();
    c.execute(QStringLiteral("INSERT INTO _Pars (k01) VALUES ('held')"));
    ready();
    waitForLine();
    c.rollbackTrans();
    return 0;
}

int crash(const char *path)
{
    Connection c(connectionString(path));
    // A tiny page cache makes the transaction write into the file itself
    // before it commits, so that only the journal can undo it.
    c.session()->exec(QStringLiteral("PRAGMA cache_size = 10"));
    c.beginTrans();
    const QByteArray filler(2000, 'x');
    for (int i = 0; i < 500; ++i)
        c.execute(QStringLiteral("INSERT INTO _Pars (k01, l01, m01) VALUES ('crash', ?, ?)"), {Variant(i), Variant(filler)});
    ready();
    for (;;)
        pause();
}

int readOnly(const char *path)
{
    if (geteuid() == 0) {
        // The superuser writes any file: read it as nobody instead.
        if (setgid(65534) != 0 || setuid(65534) != 0)
            return 3;
    }
    try {
        Connection c(connectionString(path));
        std::cout << "open " << (c.isReadOnly() ? "read-only" : "read-write") << std::endl;
        auto rs = c.executeQuery(QStringLiteral("SELECT Count(*) AS N FROM Articoli"));
        std::cout << "rows " << rs->value(0).toInt32() << std::endl;
        try {
            c.execute(QStringLiteral("UPDATE Articoli SET Costo = 1"));
            std::cout << "write done" << std::endl;
        } catch (const DatabaseError &e) {
            std::cout << "write " << describe(e) << std::endl;
        }
    } catch (const DatabaseError &e) {
        std::cout << "open " << describe(e) << std::endl;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    const std::string mode = argv[1];
    try {
        if (mode == "hold" && argc == 4)
            return hold(argv[2], argv[3]);
        if (mode == "crash")
            return crash(argv[2]);
        if (mode == "readonly")
            return readOnly(argv[2]);
    } catch (const DatabaseError &e) {
        std::cout << "error " << e.description().toStdString() << std::endl;
        return 1;
    }
    return 2;
}
