// The SQL texts of the program that use the Jet dialect, the template's
// views or its stored queries (one of each shape), translated and prepared
// against the template's tables, and the statements whose result depends on
// the translation run on a small fixture.
#include "DataFixture.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/JetTranslator.h"
#include "platform/data/Session.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QVariant>

#include <memory>

using namespace platform;
using namespace platform::jet;
using namespace Qt::StringLiterals;

namespace {

// Two suppliers' and customers' movements in 2024, one in 2025, 2026 and
// 2030. A1's last load is line 20 of movement 2; A2's loads on 2024-03-01
// tie on the date and movement 3 wins on IdReg; A4 nets 0.1 + 0.2 - 0.3 in
// two "Deposito" movements without a counterpart; A5 is bought and returned
// in full; A3 never moves and is below its minimum stock.
constexpr const char *Fixture = R"sql(
INSERT INTO CliFor (IdCliFor, Tipo, Nome) VALUES (1, 'Fornitore', 'Rossi'), (2, 'Cliente', 'Bianchi');
INSERT INTO Articoli (Codice, Descrizione, UM, Categoria, IdFornitore, Costo, PrezzoIvato, ScortaMinima, Ubicazione) VALUES
  ('A1', 'Viti', 'PZ', 'Ferramenta', 1, 5, 10, NULL, 'S1'),
  ('A2', 'Dadi', 'PZ', 'Ferramenta', 1, 7, 12, 0, NULL),
  ('A3', 'Rondelle', 'PZ', 'Ferramenta', NULL, 1, 2, 5, NULL),
  ('A4', 'Olio', 'LT', 'Lubrificanti', NULL, 1, 2, 0, NULL),
  ('A5', 'Colla', 'PZ', 'Varie', 1, 3, 4, 0, NULL);
INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, IdContropartita, Causale, TipoContropartita, Descrizione) VALUES
  (1, '2024-01-10', 1, 1, 'Carico', 'Fornitore', 'DDT 1'),
  (2, '2024-03-01', 2, 1, 'Carico', 'Fornitore', 'DDT 2'),
  (3, '2024-03-01', 3, 1, 'Carico', 'Fornitore', 'DDT 3'),
  (4, '2024-06-01', 4, 2, 'Vendita', 'Cliente', 'Fattura 1'),
  (5, '2024-07-01', 5, NULL, 'Deposito', 'Deposito', NULL),
  (6, '2024-08-01', 6, NULL, 'Deposito', 'Deposito', NULL),
  (7, '2025-01-05', 1, 1, 'Carico', 'Fornitore', 'DDT 4'),
  (8, '2024-09-01', 7, 1, 'Reso a Fornitore', 'Fornitore', 'Reso'),
  (9, '2026-02-01', 1, 2, 'Vendita', 'Cliente', 'Fattura 2026'),
  (10, '2030-06-01', 1, 2, 'Vendita', 'Cliente', 'Fattura 2030'),
  (11, '2026-03-15 10:30:00', 2, 2, 'Rettifica', 'Cliente', 'Fattura del pomeriggio');
INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, "Quantità", Segno, Costo) VALUES
  (1, 10, 'A1', 10, 1, 5), (1, 20, 'A2', 4, 1, 7), (1, 30, 'A5', 5, 1, 3),
  (2, 10, 'A1', 10, 1, 6), (2, 20, 'A1', 5, 1, 8), (2, 30, 'A2', 1, 1, 8.5), (3, 10, 'A2', 1, 1, 9),
  (4, 10, 'A1', 12, -1, 5), (4, 20, 'A2', 4, -1, 7), (5, 10, 'A4', 0.1, 1, 1), (5, 20, 'A4', 0.2, 1, 1),
  (6, 10, 'A4', 0.3, -1, 1), (7, 10, 'A1', 1, 1, 100), (8, 10, 'A5', -5, 1, 3), (9, 10, 'A1', 2, -1, 5),
  (10, 10, 'A1', 1, -1, 5), (11, 10, 'A2', 1, -1, 7);
)sql";

using Row = QVariantList;

// A database of the template's shape (see DataFixture) opened through the
// layer's own session, which translates with its stored queries and column
// types, binds parameters and adds the connection's functions.
class TemplateDb
{
public:
    TemplateDb()
        : m_path(testsupport::DataFixture::createDatabase())
    {
        testsupport::DataFixture::runSql(m_path, QString::fromUtf8(Fixture));
        m_session = std::make_unique<sqlite::Session>(m_path, 1000);
    }

    void exec(const QString &sql) { m_session->exec(sql); }
    void addQuery(const StoredQuery &q) { m_session->storeQuery(q); }
    Translation translate(const QString &jet) { return m_session->translate(jet); }

    // Prepares the statement; answers SQLite's message, or "" when it
    // prepared. Every host parameter must be one the translation lists.
    QString prepareError(const Translation &t)
    {
        try {
            const sqlite::Statement st = m_session->prepare(t.sql);
            if (!st.tail().trimmed().isEmpty())
                return u"text after the statement: "_s + st.tail();
            QStringList used;
            for (int i = 1; i <= st.parameterCount(); ++i) {
                const QString name = st.parameterName(i);
                used.append(name.mid(1));
                if (!name.startsWith(u':') || !t.parameterNames.contains(name.mid(1)))
                    return u"host parameter not listed: "_s + name;
            }
            for (const QString &name : t.parameterNames)
                if (!used.contains(name))
                    return u"listed parameter not in the statement: "_s + name;
        } catch (const RuntimeError &e) {
            return QString::fromStdString(e.what());
        }
        return QString();
    }

    // Runs a translation with its positional parameters (the Execute
    // arguments when there are some); answers the rows, and the column names
    // through columns.
    QList<Row> run(const Translation &t, const QList<Variant> &positional = {}, QStringList *columns = nullptr)
    {
        EXPECT_EQ(t.executeArguments.isEmpty() ? positional.size() : t.executeArguments.size(),
                  t.parameterNames.size());
        QList<Row> result;
        try {
            sqlite::Statement st = m_session->prepare(t.sql);
            m_session->bindParameters(st, t, positional);
            for (int c = 0; columns && c < st.columnCount(); ++c)
                columns->append(st.columnName(c));
            while (st.step()) {
                Row row;
                for (int c = 0; c < st.columnCount(); ++c) {
                    const sqlite::SqlValue v = st.value(c);
                    using Kind = sqlite::SqlValue::Kind;
                    row.append(v.kind() == Kind::Integer ? QVariant(qlonglong(v.toInteger()))
                               : v.kind() == Kind::Real  ? QVariant(v.toReal())
                               : v.kind() == Kind::Text  ? QVariant(v.toText())
                                                         : QVariant());
                }
                result.append(row);
            }
        } catch (const RuntimeError &e) {
            ADD_FAILURE() << e.what() << "\n" << t.sql.toStdString();
        }
        return result;
    }

    // Runs SQLite text as it is.
    QList<Row> rows(const QString &sql)
    {
        Translation t;
        t.sql = sql;
        return run(t);
    }

private:
    QString m_path;
    std::unique_ptr<sqlite::Session> m_session;
};

const Variant From2024 = Variant(DateTime(2024, 1, 1));
const Variant To2024 = Variant(DateTime(2024, 12, 31));

// One text of the program: how it must translate.
struct Case {
    QString jet;
    Translation::Kind kind = Translation::Kind::Select;
    QStringList parameters = {};
    QStringList mustContain = {};
};

// The two joins of the inventory report: without and with the counterparts.
const QString F1 = u"FROM (MagazRegMain INNER JOIN (Articoli INNER JOIN MagazRegDetail ON Articoli.Codice = MagazRegDetail.CodiceArticolo) ON MagazRegMain.IdReg = MagazRegDetail.IdReg) LEFT JOIN invCU ON MagazRegDetail.CodiceArticolo = invCU.CodiceArticolo "_s;
const QString F2 = u"FROM (MagazRegMain INNER JOIN (Articoli INNER JOIN (MagazRegDetail LEFT JOIN invCU ON MagazRegDetail.CodiceArticolo = invCU.CodiceArticolo) ON Articoli.Codice = MagazRegDetail.CodiceArticolo) ON MagazRegMain.IdReg = MagazRegDetail.IdReg) LEFT JOIN CliFor ON MagazRegMain.IdContropartita = CliFor.IdCliFor "_s;

// The inventory report grouped by article, category, counterpart, or
// counterpart and category; "invCU" becomes "invCM" for the average cost.
QString inventory(int grouping, bool averageCost, const QString &conditions = QString())
{
    const QString counterpart = u"[Nome] & ' (' & [TipoContropartita] & ')'"_s;
    const QString keys[4] = {QString(), u"Articoli.Categoria, "_s, counterpart + u", "_s,
                             counterpart + u", Articoli.Categoria, "_s};
    const QString article = u"MagazRegDetail.CodiceArticolo, Articoli.Descrizione, Articoli.UM, Articoli.Ubicazione"_s;
    const QString select = u"SELECT "_s + QString(keys[grouping]).replace(u"')', "_s, u"')' AS Contropartita, "_s)
                           + article + u", Sum([Quantità]*[Segno]) AS Q, Avg(invCU.CC) AS C, "
                                       "Sum([Quantità]*[Segno])*Avg([invCU].[CC]) AS V "_s;
    const QString text = u"PARAMETERS d1 DateTime, d2 DateTime; "_s + select + (grouping < 2 ? F1 : F2)
                         + u"WHERE ( MagazRegMain.DataIns Between [d1] And [d2] "_s + conditions + u" ) GROUP BY "_s
                         + keys[grouping] + article + u" ORDER BY "_s + keys[grouping]
                         + u"MagazRegDetail.CodiceArticolo "_s;
    return averageCost ? QString(text).replace(u"invCU"_s, u"invCM"_s) : text;
}

QString closing(bool averageCost)
{
    // The closing's opening lines as the closing of 2024 assembles them, for
    // the opening movement 57.
    QString q = u"INSERT INTO MagazRegDetail ( CodiceArticolo, Quantità, Costo, Segno, Riga, IdReg )"_s
                u" SELECT MagazRegDetail.CodiceArticolo, Sum([Quantità]*[Segno]) AS Q, Avg(invCU.CC) AS C, 1 AS S, 10 AS R, "_s
                u"57"_s u" AS I"_s
                u" FROM MagazRegMain INNER JOIN (invCU INNER JOIN MagazRegDetail ON invCU.CodiceArticolo = MagazRegDetail.CodiceArticolo) ON MagazRegMain.IdReg = MagazRegDetail.IdReg"_s
                u" WHERE (((MagazRegMain.DataIns) Between "_s u"#01/01/24#"_s u" And "_s u"#12/31/24#"_s u"))"_s
                u" GROUP BY MagazRegDetail.CodiceArticolo, 1, 10, "_s u"57"_s
                u" HAVING (((Sum([Quantità]*[Segno]))>0))"_s;
    if (averageCost)
        q.replace(u"invCU"_s, u"invCM"_s);
    return q;
}

// The program's texts that need translating, one of each shape; plain
// SQLite with a literal or two is left to the tests of the windows.
QList<Case> corpus()
{
    using K = Translation::Kind;
    const QStringList dates{u"d1"_s, u"d2"_s};
    QList<Case> c = {
        // start-up upgrades
        {u"UPDATE Articoli SET Articoli.ScortaMinima = 0 WHERE Articoli.ScortaMinima Is Null"_s, K::Modify, {},
         {u"SET ScortaMinima = 0 WHERE Articoli.ScortaMinima IS NULL"_s}},
        {u"UPDATE MagazRegMain SET MagazRegMain.Causale = 'Scarico' WHERE (((MagazRegMain.Causale)='Rettifica'))"_s, K::Modify, {},
         {u"SET Causale = 'Scarico'"_s}},
        // shared state and counters
        {u"SELECT CodiceIVA FROM CodiciIVA WHERE CodiciIVA.Predefinito = True"_s, K::Select, {}, {u"Predefinito = 1"_s}},
        // navigation nodes
        {u"SELECT Codice, Descrizione, UM, Ubicazione, Categoria, Nome AS Fornitore, Costo, PrezzoIvato FROM ViewArticoli"_s},
        {u"SELECT IdCliFor, Nome, Indirizzo, CAP, [Località], Prov, Telefono, Cellulare, pIVA FROM ViewClienti"_s},
        // main list view
        {u"Execute ViewMagazzino #01/01/26#, #03/15/26#"_s, K::Select, dates},
        {u"Execute RepGiacenze #01/01/26#, #03/15/26#"_s, K::Select, dates},
        // main window start-up and refresh
        {u"DELETE * FROM _Pars WHERE k01='gridlayout'"_s, K::Modify, {}, {u"DELETE FROM _Pars"_s}},
        {u"SELECT Giacenza FROM RepGiacenze WHERE ScortaMinima>Giacenza"_s, K::Select, dates, {u"WITH [RepGiacenze] AS ("_s}},
        // record commands of the main window
        {u"SELECT Codice FROM Articoli WHERE Categoria='Articoli per l''ufficio'"_s},
        // year-end closing and renumbering
        {u"SELECT CodiceArticolo As Codice, Articoli.Descrizione As Descrizione, UM, ScortaMinima, Sum([Quantità]*[Segno]) AS Giacenza"
          " FROM Articoli INNER JOIN (MagazRegMain INNER JOIN MagazRegDetail ON MagazRegMain.IdReg = MagazRegDetail.IdReg) ON Articoli.Codice = MagazRegDetail.CodiceArticolo"
          " WHERE (((MagazRegMain.DataIns) Between #01/01/25# And #12/31/25#))"
          " GROUP BY CodiceArticolo, Articoli.Descrizione, UM, ScortaMinima"
          " HAVING (((Sum([Quantità]*[Segno]))<0))"_s, K::Select, {},
         {u"BETWEEN '2025-01-01' AND '2025-12-31'"_s, u"HAVING (((ROUND(Sum([Quantità] * [Segno]), 4)) < 0))"_s}},
        {closing(false), K::Modify, {u"d2"_s}, {u"WITH [invCU] AS ("_s, u"GROUP BY MagazRegDetail.CodiceArticolo HAVING"_s}},
        {closing(true), K::Modify, {u"d2"_s, u"d1"_s}, {u"WITH [invCM] AS ("_s}},
        {u"SELECT * FROM MagazRegMain WHERE Year(DataIns)=2026 ORDER BY DataIns, IdReg"_s, K::Select, {},
         {u"jet_year(DataIns) = 2026"_s}},
        // movement model and window
        {u"Execute ViewGiacenze #01/01/26#, #12/31/26#"_s, K::Select, dates},
        // movement chooser and document
        {u"SELECT MagazRegMain.IdReg, MagazRegMain.DataIns, MagazRegMain.Progressivo, MagazRegMain.Descrizione, MagazRegMain.Causale, MagazRegMain.TipoContropartita, CliFor.Nome"
          " FROM (MagazRegMain INNER JOIN MagazRegDetail ON MagazRegMain.IdReg = MagazRegDetail.IdReg) LEFT JOIN CliFor ON MagazRegMain.IdContropartita = CliFor.IdCliFor"
          " WHERE (MagazRegMain.DataIns Between #01/01/26# And #03/15/26#) AND (MagazRegDetail.CodiceArticolo='A1')"_s, K::Select, {},
         {u"BETWEEN '2026-01-01' AND '2026-03-15'"_s}},
        {u"SELECT MagazRegMain.IdReg, MagazRegMain.DataIns, MagazRegMain.Progressivo, MagazRegMain.Causale, CliFor.Nome, MagazRegDetail.Riga, MagazRegDetail.CodiceArticolo, Articoli.Descrizione, Articoli.UM, Abs([Quantità]) AS Quanti, MagazRegDetail.Costo, MagazRegDetail.Prezzo"
          " FROM (Articoli INNER JOIN (MagazRegMain INNER JOIN MagazRegDetail ON MagazRegMain.IdReg = MagazRegDetail.IdReg) ON Articoli.Codice = MagazRegDetail.CodiceArticolo) LEFT JOIN CliFor ON MagazRegMain.IdContropartita = CliFor.IdCliFor"
          " WHERE MagazRegMain.IdReg=12"_s, K::Select, {}, {u"Abs([Quantità]) AS Quanti"_s}},
        // record windows
        {u"UPDATE CodiciIVA SET CodiciIVA.Predefinito = False WHERE CodiciIVA.CodiceIVA<>'IVA22'"_s, K::Modify, {},
         {u"SET Predefinito = 0 WHERE"_s}},
        // list reports
        {u"SELECT [Aliquota], [CodiceIVA], [Descrizione], [Esenzione], [Predefinito] FROM [CodiciIVA] ORDER BY [CodiciIVA].[CodiceIVA]"_s},
        // movement journal, inventory, below minimum
        {u"SELECT * FROM RepGiacenze WHERE ScortaMinima>Giacenza ORDER BY Codice"_s, K::Select, dates},
        // article reports
        {u"SELECT DataIns,  iif(NOT IsNull(Ubicazione), Codice & ' [' & Ubicazione & ']', Codice) AS Codice, Descrizione, Prezzo, PrezzoIvato From Articoli"_s, K::Select, {},
         {u"CASE WHEN NOT ((Ubicazione) IS NULL) THEN (IFNULL(Codice, '') || ' [' || IFNULL(Ubicazione, '') || ']') ELSE Codice END AS Codice"_s}},
        // label printing
        {u"SELECT MagazRegDetail.CodiceArticolo AS Codice, Articoli.Descrizione, CliFor.IdCliFor AS CodiceFornitore, CliFor.Nome AS Fornitore, Articoli.CodiceArtFor AS CodArtFornitore, Articoli.Prezzo, Articoli.Aliquota, Articoli.PrezzoIvato, MagazRegDetail.[Quantità] FROM (Articoli INNER JOIN (MagazRegMain INNER JOIN MagazRegDetail ON MagazRegMain.IdReg = MagazRegDetail.IdReg) ON Articoli.Codice = MagazRegDetail.CodiceArticolo) LEFT JOIN CliFor ON MagazRegMain.IdContropartita = CliFor.IdCliFor"
          " WHERE MagazRegMain.IdReg=12 ORDER BY MagazRegDetail.Riga"_s, K::Select},
    };
    // the movement journal, valued at cost and at sale price, with every filter
    const QString journalS =
        u"SELECT MagazRegMain.DataIns, MagazRegMain.Progressivo, MagazRegMain.Causale, MagazRegMain.TipoContropartita, CliFor.Nome AS Contropartita, MagazRegDetail.CodiceArticolo, Articoli.Descrizione, Articoli.UM, Articoli.Categoria, [Segno]*[Quantità] AS Q, [Segno]*[Quantità]*[MagazRegDetail].[Costo] AS V, [MagazRegDetail].[Costo]  "_s;
    const QString journalF =
        u"FROM (MagazRegMain INNER JOIN (Articoli INNER JOIN MagazRegDetail ON Articoli.Codice = MagazRegDetail.CodiceArticolo) ON MagazRegMain.IdReg = MagazRegDetail.IdReg) LEFT JOIN CliFor ON MagazRegMain.IdContropartita = CliFor.IdCliFor "_s;
    const QString journalW = u"WHERE ( MagazRegMain.DataIns Between #01/01/2026# And #03/15/2026# "_s;
    QString priced = journalS;
    priced.replace(u"[Segno]*[Quantità]*[MagazRegDetail].[Costo]"_s, u"[Segno]*[Quantità]*[MagazRegDetail].[Prezzo]"_s);
    priced.replace(u"[MagazRegDetail].[Costo]"_s, u"[MagazRegDetail].[Prezzo] AS Costo"_s);
    for (const QString &s : {journalS, priced}) {
        for (const QString &cond : {QString(), u" AND MagazRegMain.TipoContropartita = 'Cliente'"_s,
                                    u" AND MagazRegMain.TipoContropartita = 'Fornitore'"_s,
                                    u" AND MagazRegMain.TipoContropartita = 'Deposito' AND MagazRegMain.IdContropartita=2"
                                    u" AND Articoli.Categoria='Ferramenta' AND MagazRegDetail.CodiceArticolo='A1'"_s})
            c.append({s + journalF + journalW + cond + u" ) "_s + u" ORDER BY Progressivo"_s, K::Select, {},
                      {u"BETWEEN '2026-01-01' AND '2026-03-15'"_s}});
    }
    // the inventory in its four groupings, at last and at average cost
    for (int grouping = 0; grouping < 4; ++grouping)
        for (const bool average : {false, true})
            c.append({inventory(grouping, average, grouping == 3 ? u" AND Articoli.Categoria='Ferramenta'"_s : QString()),
                      K::Select, dates, {u"ROUND(Sum([Quantità] * [Segno]), 4) AS Q"_s}});
    return c;
}

} // namespace

TEST(JetCorpus, EveryStatementTranslatesPreparesAndRuns)
{
    TemplateDb db;
    for (const Case &c : corpus()) {
        SCOPED_TRACE(c.jet.toStdString());
        Translation t;
        try {
            t = db.translate(c.jet);
        } catch (const RuntimeError &e) {
            ADD_FAILURE() << e.what();
            continue;
        }
        EXPECT_EQ(t.kind, c.kind);
        EXPECT_EQ(t.parameterNames, c.parameters);
        for (const QString &piece : c.mustContain)
            EXPECT_TRUE(t.sql.contains(piece)) << t.sql.toStdString() << "\n  lacks " << piece.toStdString();
        // No Jet-only syntax survives.
        const QRegularExpression jetOnly(u"#|DELETE \\*| & |true"_s, QRegularExpression::CaseInsensitiveOption);
        EXPECT_FALSE(t.sql.contains(jetOnly)) << t.sql.toStdString();
        EXPECT_EQ(db.prepareError(t), QString()) << t.sql.toStdString();
        // Dates go in as the program binds them; rows are read to the end.
        QList<Variant> values = t.executeArguments;
        if (values.isEmpty())
            for (const QString &p : t.parameterNames)
                values.append(p == u"d1" ? From2024 : To2024);
        db.run(t, values);
    }
}

TEST(JetCorpus, TheOriginalStoredQueriesStillTranslate)
{
    // The start-up creates invCM and invCU as the first release wrote them; the
    // catalogue keeps the template's sound versions, but the old texts must
    // read and run too (Last through the connection's jet_last).
    TemplateDb db;
    const QString cm = u"CREATE PROCEDURE invCM AS PARAMETERS d2 DateTime, d1 DateTime; SELECT MagazRegDetail.CodiceArticolo, Sum([Costo]*[Quantità])/Sum([Quantità]) AS CC FROM MagazRegMain INNER JOIN MagazRegDetail ON MagazRegMain.IdReg = MagazRegDetail.IdReg WHERE (((MagazRegDetail.Segno)=1) AND ((MagazRegMain.DataIns) Between [d1] And [d2])) GROUP BY MagazRegDetail.CodiceArticolo"_s;
    const QString cu = u"CREATE PROCEDURE invCU AS PARAMETERS d2 DateTime; SELECT MagazRegDetail.CodiceArticolo, Last(MagazRegDetail.Costo) AS CC FROM MagazRegMain INNER JOIN MagazRegDetail ON MagazRegMain.IdReg = MagazRegDetail.IdReg WHERE (((MagazRegDetail.Segno)=1) AND ((MagazRegMain.DataIns)<=[d2])) GROUP BY MagazRegDetail.CodiceArticolo"_s;
    for (const QString &create : {cm, cu}) {
        const Translation t = db.translate(create);
        ASSERT_EQ(t.kind, Translation::Kind::CreateProcedure);
        StoredQuery old = *t.procedure;
        old.name = u"Old_"_s + old.name;
        db.addQuery(old);
        const Translation run = db.translate(u"SELECT * FROM "_s + old.name);
        EXPECT_EQ(db.prepareError(run), QString()) << run.sql.toStdString();
        EXPECT_EQ(run.parameterNames, old.parameterNames);
    }
    const auto rows = db.run(db.translate(u"SELECT CC FROM Old_invCU WHERE CodiceArticolo = 'A4'"_s), {To2024});
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][0].toDouble(), 1.0);
}

TEST(JetOnSqlite, ClosingWritesOneLinePerArticleInStockAndTheMovementListEndsBeforeATimeOfDay)
{
    TemplateDb db;
    const QString lines57 = u"SELECT CodiceArticolo, \"Quantità\", Costo, Segno, Riga FROM MagazRegDetail WHERE IdReg = 57 "
                            u"ORDER BY CodiceArticolo"_s;
    const Translation last = db.translate(closing(false));
    ASSERT_EQ(last.parameterNames, QStringList{u"d2"_s});
    db.run(last, {To2024});
    // A1: 13 in stock, last load line 20 of movement 2 at 8 (the 2025 load at
    // 100 is after the date). A2: 2 in stock, movement 3 beats movement 2 on
    // the same day. A4 nets to exactly 0 and A5 was returned in full.
    EXPECT_EQ(db.rows(lines57), (QList<Row>{Row{u"A1"_s, qlonglong(13), 8.0, qlonglong(1), qlonglong(10)},
                                            Row{u"A2"_s, qlonglong(2), 9.0, qlonglong(1), qlonglong(10)}}));

    // At average cost the last date binds first.
    db.exec(u"DELETE FROM MagazRegDetail WHERE IdReg = 57"_s);
    const Translation average = db.translate(closing(true));
    ASSERT_EQ(average.parameterNames, (QStringList{u"d2"_s, u"d1"_s}));
    db.run(average, {To2024, From2024});
    const auto lines = db.rows(lines57);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0][0].toString(), u"A1"_s);
    EXPECT_DOUBLE_EQ(lines[0][2].toDouble(), (10 * 5 + 10 * 6 + 5 * 8) / 25.0);
    EXPECT_DOUBLE_EQ(lines[1][2].toDouble(), (4 * 7 + 8.5 + 9) / 6.0);

    // The movement list ends before a time of day on its last date.
    const Translation t = db.translate(u"Execute ViewMagazzino #01/01/26#, #03/15/26#"_s);
    ASSERT_EQ(t.executeArguments.value(0), Variant(DateTime(2026, 1, 1)));
    QStringList columns;
    const auto rows = db.run(t, {}, &columns);
    EXPECT_EQ(columns, (QStringList{u"IdReg"_s, u"DataIns"_s, u"Prog"_s, u"Descrizione"_s, u"Causale"_s,
                                    u"TipoContropartita"_s, u"IdContropartita"_s, u"Anno"_s, u"Righe"_s,
                                    u"Contropartita"_s}));
    // Movement 11 of 15 March has a time of day, so it falls after the
    // last date, as in Jet.
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0], (Row{qlonglong(9), u"2026-02-01"_s, qlonglong(1), u"Fattura 2026"_s, u"Vendita"_s,
                            u"Cliente"_s, qlonglong(2), qlonglong(2026), qlonglong(1), u"Bianchi"_s}));

    const auto year = db.run(db.translate(u"SELECT IdReg FROM MagazRegMain WHERE Year(DataIns)=2026 ORDER BY DataIns, IdReg"_s));
    EXPECT_EQ(year, (QList<Row>{Row{qlonglong(9)}, Row{qlonglong(11)}}));
}
