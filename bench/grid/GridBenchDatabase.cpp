#include "GridBenchDatabase.h"

#include "platform/data/Connection.h"
#include "platform/data/JetTemplateQueries.h"

#include <QDate>
#include <QFile>

#include <sqlite3.h>

#include <stdexcept>

namespace gridbench {

namespace {

void check(sqlite3 *db, int rc, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

// A prepared insert, bound and run once per row.
class Insert
{
public:
    Insert(sqlite3 *db, const char *sql) : m_db(db) { check(db, sqlite3_prepare_v2(db, sql, -1, &m_st, nullptr), sql); }
    ~Insert() { sqlite3_finalize(m_st); }
    Insert &integer(int i, long long v)
    {
        sqlite3_bind_int64(m_st, i, v);
        return *this;
    }
    Insert &real(int i, double v)
    {
        sqlite3_bind_double(m_st, i, v);
        return *this;
    }
    Insert &text(int i, const QByteArray &v)
    {
        sqlite3_bind_text(m_st, i, v.constData(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    void run()
    {
        check(m_db, sqlite3_step(m_st), "insert");
        sqlite3_reset(m_st);
    }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_st = nullptr;
};

} // namespace

void createDatabase(const QString &path, const Sizes &sizes)
{
    QFile::remove(path);
    QFile schema(QStringLiteral(VELMORA_SCHEMA_SQL));
    if (!schema.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " VELMORA_SCHEMA_SQL);

    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK)
        throw std::runtime_error("cannot create the database");
    check(db, sqlite3_exec(db, schema.readAll().constData(), nullptr, nullptr, nullptr), "schema");
    check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), "begin");

    static const char *const causali[] = {"Acquisto", "Carico", "Reso a Fornitore", "Reso da Cliente", "Scarico",
                                          "Vendita"};
    static const char *const kinds[] = {"Fornitore", "Fornitore", "Fornitore", "Cliente", "Cliente", "Cliente"};
    {
        Insert cliFor(db, "INSERT INTO CliFor (IdCliFor, Tipo, Nome, \"Località\") VALUES (?, ?, ?, ?)");
        for (int i = 1; i <= sizes.counterparts; ++i) {
            cliFor.integer(1, i)
                .text(2, i % 2 ? "Fornitore" : "Cliente")
                .text(3, QStringLiteral("Controparte %1 S.r.l.").arg(i, 4, 10, QChar(u'0')).toUtf8())
                .text(4, QByteArrayLiteral("Roma"))
                .run();
        }
        Insert article(db, "INSERT INTO Articoli (Codice, Descrizione, UM, Categoria, IdFornitore, Costo, PrezzoIvato) "
                           "VALUES (?, ?, 'PZ', ?, ?, ?, ?)");
        for (int i = 1; i <= sizes.articles; ++i) {
            article.text(1, QStringLiteral("ART%1").arg(i, 5, 10, QChar(u'0')).toUtf8())
                .text(2, QStringLiteral("Articolo numero %1").arg(i).toUtf8())
                .text(3, QStringLiteral("Categoria %1").arg(i % 25).toUtf8())
                .integer(4, 1 + (i * 2) % sizes.counterparts)
                .real(5, 1.0 + (i % 100) / 4.0)
                .real(6, 2.0 + (i % 100) / 2.0)
                .run();
        }
        Insert head(db, "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, Descrizione, "
                        "TipoContropartita, IdContropartita) VALUES (?, ?, ?, ?, ?, ?, ?)");
        Insert line(db, "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo, Prezzo) "
                        "VALUES (?, ?, ?, ?, ?, ?, ?)");
        const QDate first(sizes.year, 1, 1);
        for (int i = 1; i <= sizes.movements; ++i) {
            const int c = (i * 7) % 6;
            const QDate date = first.addDays(static_cast<qint64>(i - 1) * 365 / sizes.movements);
            head.integer(1, i)
                .text(2, date.toString(Qt::ISODate).toUtf8())
                .integer(3, i)
                .text(4, causali[c])
                .text(5, QStringLiteral("Documento %1").arg(i, 6, 10, QChar(u'0')).toUtf8())
                .text(6, kinds[c])
                .integer(7, 1 + (i * 13) % sizes.counterparts)
                .run();
            const int sign = c < 2 || c == 3 ? 1 : -1;
            for (int r = 0; r < 1 + i % 3; ++r) {
                line.integer(1, i)
                    .integer(2, 10 * (r + 1))
                    .text(3, QStringLiteral("ART%1").arg(1 + (i * 31 + r) % sizes.articles, 5, 10, QChar(u'0')).toUtf8())
                    .real(4, 1 + (i + r) % 12)
                    .integer(5, sign)
                    .real(6, 1.5 + r)
                    .real(7, 2.5 + r)
                    .run();
            }
        }
    }
    check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "commit");
    // The stock tables and their triggers, filled once after the bulk load.
    const QByteArray stockTables = (platform::jet::templatequeries::stockTablesSchema()
                                    + platform::jet::templatequeries::stockTablesFill()).toUtf8();
    check(db, sqlite3_exec(db, stockTables.constData(), nullptr, nullptr, nullptr), "stock tables");
    sqlite3_close(db);

    platform::Connection connection(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + path
                                    + QStringLiteral(";Persist Security Info=False"));
    for (const auto &query : platform::jet::templatequeries::All) {
        connection.execute(QStringLiteral("CREATE PROCEDURE ") + QString::fromUtf8(query.name)
                           + QStringLiteral(" AS PARAMETERS ") + QString::fromUtf8(query.parameters)
                           + QStringLiteral("; ") + QString::fromUtf8(query.body));
    }
    connection.close();
}

} // namespace gridbench
