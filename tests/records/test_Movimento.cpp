// Saving movements: numbering, conflicts, locks and read-only files, two
// copies saving at once, a copy killed inside its save, and a random run
// checked against a plain model.
#include "RecordsFixture.h"
#include "support/HelperProcess.h"

#include "platform/data/ConflictError.h"
#include "platform/data/Recordset.h"
#include "records/Movimento.h"

#include <QProcess>

#include <sqlite3.h>

#include <array>
#include <map>
#include <random>

using namespace recordstest;
using namespace Qt::StringLiterals;
using platform::DatabaseError;

namespace {

const QString Occupato = u"Il database è in uso da un altro utente. Riprovare più tardi."_s;
const QString SolaLettura = u"Il database è di sola lettura: le modifiche non possono essere salvate."_s;

// Another program in the middle of reading the database: its shared lock
// lets a save write but not commit.
std::unique_ptr<sqlite3, int (*)(sqlite3 *)> lettore(const QString &path)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    EXPECT_EQ(sqlite3_exec(db, "BEGIN; SELECT COUNT(*) FROM MagazRegMain;", nullptr, nullptr, nullptr), SQLITE_OK);
    return {db, sqlite3_close};
}

class MovimentoTest : public RecordWindowTest
{
protected:
    void SetUp() override
    {
        RecordWindowTest::SetUp();
        runSql(database, u"INSERT INTO Articoli (Codice, Descrizione, Costo, PrezzoIvato) VALUES "
                         "('A1', 'Vite', 1.5, 3), ('A2', 'Dado', 2, 4);"_s);
    }

    static void riga(Movimento &m, const QString &codice, double q)
    {
        m.Righe().addNew();
        m.Righe().setValue(u"CodiceArticolo"_s, codice);
        m.Righe().setValue(Movimento::CampoQuantita, q);
        m.Righe().setValue(u"Costo"_s, 1);
    }
    // A new movement dated 2031 with lines of (article, quantity) at cost 1.
    static void nuovo(Movimento &m, const QString &causale, const QList<std::pair<QString, double>> &lines)
    {
        m.Nuovo(causale, platform::DateTime(2031, 3, 15));
        for (const auto &[codice, q] : lines)
            riga(m, codice, q);
    }
    static void salva(Movimento &m, const QString &causale, std::int16_t anno = 2031)
    {
        m.Salva(RegolaCausale::Di(causale), anno);
    }
    // The movement's lines as "Riga:Quantità" in their order.
    static QString righe(const Movimento &m)
    {
        QStringList lines;
        const auto &rs = m.Righe();
        for (int row = 0; row < rs.rowCount(); ++row)
            lines << rs.valueAt(row, rs.fieldIndex(u"Riga"_s)).toString() + u':'
                    + rs.valueAt(row, rs.fieldIndex(Movimento::CampoQuantita)).toString();
        return lines.join(u' ');
    }
    QString contatore(int anno = 2031) const
    {
        return cell(u"SELECT CAST(l02 AS INTEGER) FROM _Pars WHERE k01='maga' AND l01=%1"_s.arg(anno));
    }
    // Every stored line as IdReg/Riga:CodiceArticolo:Quantità:Segno.
    QString righeSalvate() const
    {
        return cell(u"SELECT group_concat(IdReg || '/' || Riga || ':' || CodiceArticolo || ':' || \"Quantità\" "
                    "|| ':' || Segno, ' ') FROM (SELECT * FROM MagazRegDetail ORDER BY IdReg, Riga)"_s);
    }
    // Headers without lines / lines without header.
    QString orfani() const
    {
        return cell(u"SELECT (SELECT COUNT(*) FROM MagazRegMain M WHERE NOT EXISTS "
                    "(SELECT 1 FROM MagazRegDetail D WHERE D.IdReg = M.IdReg)) || '/' || "
                    "(SELECT COUNT(*) FROM MagazRegDetail D WHERE NOT EXISTS "
                    "(SELECT 1 FROM MagazRegMain M WHERE M.IdReg = D.IdReg))"_s);
    }
    // A copy of the program running movimento_helper.
    static void avvia(QProcess &process, const QStringList &args)
    {
        testsupport::startHelper(process, u"movimento_helper"_s, args);
    }
};

TEST_F(MovimentoTest, AConflictStoresNothingAndGivesTheNumberBack)
{
    Movimento first;
    nuovo(first, u"Carico"_s, {{u"A1"_s, 1}});
    salva(first, u"Carico"_s);
    Movimento a, b, c;
    ASSERT_TRUE(a.Carica(first.IdReg()));
    ASSERT_TRUE(b.Carica(first.IdReg()));
    ASSERT_TRUE(c.Carica(first.IdReg()));
    a.Righe().moveFirst();
    a.Righe().setValue(Movimento::CampoQuantita, 7);
    salva(a, u"Carico"_s);
    b.Righe().moveFirst();
    b.Righe().setValue(Movimento::CampoQuantita, 9);
    EXPECT_THROW(salva(b, u"Carico"_s), platform::ConflictError);
    EXPECT_EQ(cell(u"SELECT \"Quantità\" FROM MagazRegDetail"_s), u"7"_s);

    // A line added to a movement deleted meanwhile is not stored either.
    a.Elimina();
    riga(c, u"A2"_s, 4);
    EXPECT_THROW(salva(c, u"Carico"_s), platform::ConflictError);
    EXPECT_EQ(cell(u"SELECT COUNT(*) FROM MagazRegDetail"_s), u"0"_s);

    // A new movement whose save fails stores nothing and uses no number.
    Movimento failing;
    nuovo(failing, u"Carico"_s, {{u"A1"_s, 1}});
    runSql(database, u"CREATE TRIGGER no_lines BEFORE INSERT ON MagazRegDetail BEGIN SELECT RAISE(ABORT, 'x'); END;"_s);
    EXPECT_THROW(salva(failing, u"Carico"_s), DatabaseError);
    EXPECT_FALSE(failing.Progressivo().has_value());
    EXPECT_EQ(cell(u"SELECT COUNT(*) FROM MagazRegMain"_s), u"0"_s);
    EXPECT_EQ(contatore(), u"1"_s);
    runSql(database, u"DROP TRIGGER no_lines;"_s);
    salva(failing, u"Carico"_s);
    EXPECT_EQ(failing.Progressivo(), 2);
    EXPECT_EQ(orfani(), u"0/0"_s);
}

// Another program writing (the save cannot start), another program reading
// (the save cannot commit) and a file that cannot be written: each save
// fails with the data layer's message, stores nothing, and the movements
// keep their edits for a retry once the obstacle is gone.
TEST_F(MovimentoTest, ABusyOrReadOnlyDatabaseStoresNothingAndTheSaveCanBeRetried)
{
    Movimento stored, nuovo, modificato;
    MovimentoTest::nuovo(stored, u"Carico"_s, {{u"A1"_s, 3}, {u"A2"_s, 4}});
    salva(stored, u"Carico"_s);
    MovimentoTest::nuovo(nuovo, u"Reso da Cliente"_s, {{u"A1"_s, 5}, {u"A2"_s, 2}});
    ASSERT_TRUE(modificato.Carica(stored.IdReg()));
    EXPECT_EQ(modificato.Totale(1), platform::Currency::fromInt(7));
    modificato.Righe().moveFirst();
    modificato.Righe().setValue(Movimento::CampoQuantita, 7);
    modificato.Righe().moveLast();
    modificato.Righe().deleteRecord();
    riga(modificato, u"A2"_s, 1);

    const QStringList before = dumpDatabase(database);
    const auto fails = [&](const QString &message) {
        for (Movimento *m : {&nuovo, &modificato}) {
            try {
                salva(*m, m == &nuovo ? u"Reso da Cliente"_s : u"Carico"_s);
                ADD_FAILURE() << "saved";
            } catch (const DatabaseError &e) {
                EXPECT_EQ(e.description(), message);
            }
        }
        EXPECT_TRUE(nuovo.IsNuovo());
        EXPECT_FALSE(nuovo.Progressivo().has_value());
        EXPECT_EQ(righe(nuovo), u"10:-5 20:-2"_s);
        EXPECT_EQ(righe(modificato), u"10:7 30:1"_s);
    };
    {
        AltroProgramma writing(database, false);
        fails(Occupato);
    }
    {
        const auto reading = lettore(database);
        fails(Occupato);
    }
    {
        ReadOnlyFile readOnly(database);
        ASSERT_TRUE(readOnly.holds());
        fails(SolaLettura);
    }
    EXPECT_EQ(dumpDatabase(database), before);

    // The user turns the failed return into a sale before saving again.
    nuovo.Testata().setValue(u"Causale"_s, u"Vendita"_s);
    salva(nuovo, u"Vendita"_s);
    salva(modificato, u"Carico"_s);
    EXPECT_EQ(nuovo.Progressivo(), 2);
    EXPECT_EQ(righeSalvate(), u"1/10:A1:7:1 1/30:A2:1:1 2/10:A1:5:-1 2/20:A2:2:-1"_s);
    EXPECT_EQ(contatore(), u"2"_s);
}

// Two copies save at once, then a third is killed inside its save: every
// movement is numbered once with all its lines, and the killed one leaves
// no trace of itself.
TEST_F(MovimentoTest, CopiesSavingAtOnceOrKilledInsideTheSaveKeepNumbersAndLinesWhole)
{
    std::array<QProcess, 2> workers;
    for (QProcess &worker : workers)
        avvia(worker, {u"salva"_s, database, u"2031"_s, u"40"_s, u"3"_s});
    for (QProcess &worker : workers)
        ASSERT_EQ(testsupport::helperLine(worker), QByteArray("pronto"));
    QProcess *const both[] = {&workers[0], &workers[1]};
    ASSERT_TRUE(testsupport::goAndWait(both, 2));
    for (QProcess &worker : workers) {
        EXPECT_EQ(worker.exitCode(), 0) << worker.readAllStandardError().toStdString();
    }
    QProcess killed;
    avvia(killed, {u"interrompi"_s, database, u"2031"_s, u"2"_s, u"1000"_s});
    ASSERT_EQ(testsupport::helperLine(killed), QByteArray("dentro"));
    killed.kill();
    ASSERT_TRUE(killed.waitForFinished(30000));

    EXPECT_EQ(cell(u"PRAGMA integrity_check"_s), u"ok"_s);
    EXPECT_EQ(cell(u"SELECT COUNT(*) || '/' || COUNT(DISTINCT Progressivo) || '/' || MIN(Progressivo) || '/' || "
                   "MAX(Progressivo) FROM MagazRegMain"_s),
              u"82/82/1/82"_s);
    EXPECT_EQ(cell(u"SELECT group_concat(n) FROM (SELECT COUNT(*) AS n FROM MagazRegDetail GROUP BY IdReg "
                   "ORDER BY IdReg DESC LIMIT 3)"_s),
              u"1000,1000,3"_s);
    EXPECT_EQ(cell(u"SELECT COUNT(*) FROM MagazRegDetail"_s), u"2240"_s);
    EXPECT_EQ(orfani(), u"0/0"_s);
    EXPECT_EQ(contatore(), u"82"_s);
    Movimento next;
    nuovo(next, u"Carico"_s, {{u"A1"_s, 1}});
    salva(next, u"Carico"_s);
    EXPECT_EQ(next.Progressivo(), 83);
}

// A random run of new saves, modifies and deletes over the six causali,
// checked after every step against a plain model: the stored lines (each
// with its header's sign, returns negative, the others positive), hence the
// stock of every article, the totals, the numbers and the counters.
TEST_F(MovimentoTest, RandomSavesModifiesAndDeletesKeepLinesStockAndNumbersRight)
{
    // Causale: the sign its lines carry, and +1 when its quantities add to stock.
    const std::map<QString, std::pair<int, int>> effetto{
        {u"Acquisto"_s, {1, 1}},         {u"Carico"_s, {1, 1}},   {u"Reso a Fornitore"_s, {1, -1}},
        {u"Reso da Cliente"_s, {-1, 1}}, {u"Scarico"_s, {-1, -1}}, {u"Vendita"_s, {-1, -1}}};
    const QStringList articoli{u"A1"_s, u"A2"_s, u"A3"_s};
    struct Mov
    {
        QString causale;
        int anno;
        int numero;
        std::map<int, std::pair<QString, int>> righe; // Riga -> article, quantity as typed
    };
    std::map<int, Mov> modello;
    std::map<int, int> numeri; // year -> numbers handed out
    std::mt19937 rng(20310315);
    const auto caso = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const auto aggiungi = [&](Movimento &m, Mov &mov) {
        const int riga = m.ProssimaRiga();
        const QString codice = articoli[caso(3)];
        const int q = 1 + caso(20);
        MovimentoTest::riga(m, codice, q);
        mov.righe[riga] = {codice, q};
    };

    const auto verifica = [&] {
        QStringList lines, numbers;
        for (const auto &[id, mov] : modello) {
            const auto [segno, verso] = effetto.at(mov.causale);
            numbers << u"%1/%2"_s.arg(mov.anno).arg(mov.numero);
            for (const auto &[riga, line] : mov.righe) {
                lines << u"%1/%2:%3:%4:%5"_s.arg(id).arg(riga).arg(line.first).arg(line.second * verso * segno).arg(segno);
            }
        }
        ASSERT_EQ(righeSalvate(), lines.join(u' '));
        ASSERT_EQ(cell(u"SELECT group_concat(strftime('%Y', DataIns) || '/' || Progressivo, ' ') FROM "
                       "(SELECT * FROM MagazRegMain ORDER BY IdReg)"_s),
                  numbers.join(u' '));
        for (const auto &[anno, n] : numeri)
            ASSERT_EQ(contatore(anno), QString::number(n));
    };

    for (int step = 0; step < 300; ++step) {
        SCOPED_TRACE(step);
        const int azione = modello.empty() ? 0 : caso(10);
        if (azione < 4) {
            Mov mov{RegolaCausale::Causali[caso(6)], 2030 + caso(2), 0, {}};
            Movimento m;
            m.Nuovo(mov.causale, platform::DateTime(mov.anno, 1 + caso(12), 1));
            for (int n = 1 + caso(4); n > 0; --n)
                aggiungi(m, mov);
            salva(m, mov.causale, static_cast<std::int16_t>(mov.anno));
            mov.numero = ++numeri[mov.anno];
            ASSERT_EQ(m.Progressivo(), mov.numero);
            modello[m.IdReg()] = mov;
        } else {
            auto it = std::next(modello.begin(), caso(static_cast<int>(modello.size())));
            Movimento m;
            ASSERT_TRUE(m.Carica(it->first));
            // Quantities total without their sign, returns as the others.
            int totale = 0;
            for (const auto &[riga, line] : it->second.righe)
                totale += line.second;
            ASSERT_EQ(m.Totale(1), platform::Currency::fromInt(totale));
            if (azione >= 8) {
                m.Elimina();
                modello.erase(it);
            } else {
                Mov &mov = it->second;
                for (int row = m.Righe().rowCount(); row > 0; --row) {
                    m.Righe().setAbsolutePosition(row);
                    const int riga = m.Righe().value(u"Riga"_s).toInt32();
                    if (const int scelta = caso(6); scelta == 0 && mov.righe.size() > 1) {
                        m.Righe().deleteRecord();
                        mov.righe.erase(riga);
                    } else if (scelta < 3) {
                        const int q = 1 + caso(20);
                        m.Righe().setValue(Movimento::CampoQuantita, q);
                        mov.righe[riga].second = q;
                    }
                }
                for (int n = caso(3); n > 0; --n)
                    aggiungi(m, mov);
                salva(m, mov.causale, static_cast<std::int16_t>(2030 + caso(2)));
            }
        }
        verifica();
        // The stock tables follow every save, change and delete.
        ASSERT_EQ(testsupport::DataFixture::storedStockTables(database),
                  testsupport::DataFixture::expectedStockTables(database));
        if (HasFatalFailure())
            return;
    }
}

} // namespace
