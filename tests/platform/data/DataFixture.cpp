#include "DataFixture.h"

#include "support/TestEnv.h"
#include "platform/data/JetTemplateQueries.h"

#include <QFile>

#include <sqlite3.h>

#include <stdexcept>

namespace testsupport {

namespace {

// The template's own schema script, so that these databases always have the
// tables, indexes and views the program is built with.
QString schemaScript()
{
    QFile file(QStringLiteral(VELMORA_SCHEMA_SQL));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read the schema script " VELMORA_SCHEMA_SQL);
    return QString::fromUtf8(file.readAll())
        + QStringLiteral("\nCREATE TABLE _jet_queries(name TEXT PRIMARY KEY COLLATE NOCASE, params TEXT, body TEXT);\n");
}

// Two suppliers' worth of data: three articles (B001 without movements),
// loads and a sale in 2024, a load in 2025, the counters and settings.
const char *const sample = R"sql(
INSERT INTO CliFor (IdCliFor, Tipo, Nome, CAP, "Località", PIVA) VALUES
    (1, 'Fornitore', 'Rossi Srl', '00123', 'Roma', '01234567890'),
    (2, 'Cliente', 'Bianchi Mario', '20100', 'Milano', '09876543210'),
    (3, 'Cliente', 'anna verdi', '10100', 'Torino', NULL);
INSERT INTO CodiciIVA VALUES ('22', 'Ordinaria', 22, 0, 1), ('10', 'Ridotta', 10, 0, 0);
INSERT INTO Liste (Chiave, Codice, Descrizione, Predefinito) VALUES
    ('um', 'PZ', 'Pezzi', 1), ('um', 'KG', 'Chilogrammi', 0), ('cat', NULL, 'Ferramenta', 1);
INSERT INTO Articoli (Codice, Descrizione, UM, Categoria, IdFornitore, CodiceIVA, Costo, Prezzo,
                      Aliquota, PrezzoIvato, ScortaMinima, DataIns) VALUES
    ('A001', 'Vite 3x20', 'PZ', 'Ferramenta', 1, '22', 0.1, 0.2, 22, 0.244, 100, '2024-01-02'),
    ('A002', 'Dado M3', 'PZ', 'Ferramenta', 1, '22', 0.05, 0.1, 22, 0.122, 0, '2024-01-02'),
    ('B001', 'Rondella', 'PZ', 'Ferramenta', NULL, '10', 0.02, 0.05, 10, 0.055, 10, '2024-03-05 10:30:00');
INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, Descrizione, TipoContropartita, IdContropartita) VALUES
    (1, '2024-01-10', 1, 'Carico', 'Primo carico', 'Fornitore', 1),
    (2, '2024-02-15', 2, 'Vendita', NULL, 'Cliente', 2),
    (3, '2025-01-20', 1, 'Carico', NULL, 'Fornitore', 1);
INSERT INTO MagazRegDetail (IdDet, IdReg, Riga, CodiceArticolo, "Quantità", Segno, Costo, Prezzo) VALUES
    (1, 1, 10, 'A001', 150, 1, 0.1, 0.2),
    (2, 1, 20, 'A002', 12.5, 1, 0.05, 0.1),
    (3, 2, 10, 'A001', 60, -1, 0.1, 0.2),
    (4, 3, 10, 'A001', 10, 1, 0.12, 0.2);
INSERT INTO _Pars (k01, k02, l01, l02) VALUES ('maga', NULL, 2024, 2), ('maga', NULL, 2025, 1),
    ('NumDecQ', NULL, 2, NULL), ('NumDecV', NULL, 2, NULL);
)sql";

[[noreturn]] void fail(sqlite3 *db, const char *what)
{
    const std::string message = std::string(what) + ": " + sqlite3_errmsg(db);
    sqlite3_close(db);
    throw std::runtime_error(message);
}

void exec(const QString &path, const QString &sql, int flags)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr) != SQLITE_OK)
        fail(db, "open");
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(db, "exec");
    sqlite3_close(db);
}

} // namespace

QString DataFixture::createDatabase(QString folder, const QString &fileName)
{
    if (folder.isEmpty())
        folder = freshDir(QStringLiteral("db"));
    const QString path = folder + u'/' + fileName;
    QString sql = schemaScript() + platform::jet::templatequeries::stockTablesSchema();
    for (const auto &q : platform::jet::templatequeries::All) {
        auto quoted = [](const char *utf8) {
            return u'\'' + QString::fromUtf8(utf8).replace(u'\'', QStringLiteral("''")) + u'\'';
        };
        sql += QStringLiteral("INSERT INTO _jet_queries VALUES (%1, %2, %3);\n")
                   .arg(quoted(q.name), quoted(q.parameters), quoted(q.body));
    }
    exec(path, sql, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    return path;
}

QString DataFixture::createSampleDatabase(QString folder)
{
    const QString path = createDatabase(std::move(folder));
    runSql(path, QString::fromUtf8(sample));
    return path;
}

QStringList DataFixture::storedStockTables(const QString &path)
{
    return queryColumn(path, QStringLiteral(
                                 "SELECT 'load ' || IdDet || ' ' || upper(CodiceArticolo) || ' ' || IFNULL(DataIns, '-') || "
                                 "' ' || IdReg || ' ' || IFNULL(Riga, '-') || ' ' || IFNULL(Costo, '-') FROM _Carichi "
                                 "UNION ALL SELECT 'stock ' || upper(CodiceArticolo) || ' ' || Anno || ' ' || "
                                 "printf('%.4f', Q / 10000.0) FROM _Saldi WHERE Q <> 0 ORDER BY 1"));
}

QStringList DataFixture::expectedStockTables(const QString &path)
{
    // A year that nets to nothing may or may not have a row of its own.
    return queryColumn(path, QStringLiteral(
        "SELECT 'load ' || D.IdDet || ' ' || upper(D.CodiceArticolo) || ' ' || IFNULL(M.DataIns, '-') || ' ' || "
        "M.IdReg || ' ' || IFNULL(D.Riga, '-') || ' ' || IFNULL(D.Costo, '-') "
        "FROM MagazRegDetail AS D JOIN MagazRegMain AS M ON M.IdReg = D.IdReg WHERE D.Segno = 1 "
        "UNION ALL SELECT 'stock ' || upper(D.CodiceArticolo) || ' ' || substr(M.DataIns, 1, 4) || ' ' || "
        "printf('%.4f', round(Sum(D.\"Quantità\" * D.Segno), 4)) "
        "FROM MagazRegDetail AS D JOIN MagazRegMain AS M ON M.IdReg = D.IdReg WHERE M.DataIns IS NOT NULL "
        "GROUP BY D.CodiceArticolo, substr(M.DataIns, 1, 4) HAVING round(Sum(D.\"Quantità\" * D.Segno), 4) <> 0 "
        "ORDER BY 1"));
}

QString DataFixture::connectionString(const QString &path)
{
    return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=%1;Persist Security Info=False").arg(path);
}

void DataFixture::runSql(const QString &path, const QString &sql)
{
    exec(path, sql, SQLITE_OPEN_READWRITE);
}

QStringList DataFixture::queryColumn(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        fail(db, "open");
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
        fail(db, "prepare");
    QStringList values;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
        values.append(text ? QString::fromUtf8(text) : QStringLiteral("NULL"));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return values;
}

QString DataFixture::queryValue(const QString &path, const QString &sql)
{
    const QStringList values = queryColumn(path, sql);
    return values.isEmpty() ? QString() : values.front();
}

QByteArray DataFixture::fileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

QString DataFixture::helperProgram()
{
    return programDir() + QStringLiteral("/data_test_helper");
}

} // namespace testsupport
