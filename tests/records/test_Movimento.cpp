#include "RecordsFixture.h"

#include "platform/data/ConflictError.h"
#include "platform/data/Recordset.h"
#include "records/Movimento.h"

using namespace recordstest;
using namespace Qt::StringLiterals;
using platform::Variant;

namespace {

class MovimentoTest : public RecordWindowTest
{
protected:
    void SetUp() override
    {
        RecordWindowTest::SetUp();
        runSql(database, u"INSERT INTO Articoli (Codice, Descrizione, Costo, PrezzoIvato) VALUES "
                         "('A1', 'Vite', 1.5, 3), ('A2', 'Dado', 2, 4);"_s);
    }

    static void riga(Movimento &m, const QString &codice, double q, double costo)
    {
        m.Righe().addNew();
        m.Righe().setValue(u"CodiceArticolo"_s, codice);
        m.Righe().setValue(Movimento::CampoQuantita, q);
        m.Righe().setValue(u"Costo"_s, costo);
    }
};

TEST_F(MovimentoTest, NewReturnIsNumberedStoredNegativeAndKeepsItsSignOnASecondSave)
{
    Movimento m;
    m.Nuovo(u"Reso a Fornitore"_s, platform::DateTime(2031, 3, 15));
    riga(m, u"A1"_s, 5, 1.5);
    riga(m, u"A2"_s, 2, 2);
    EXPECT_EQ(m.Totale(1), platform::Currency::fromDouble(11.5));
    m.Salva(RegolaCausale::Di(u"Reso a Fornitore"_s), 2031);
    EXPECT_FALSE(m.IsNuovo());
    EXPECT_EQ(m.Progressivo(), 1);
    EXPECT_EQ(cell(u"SELECT group_concat(Riga || ':' || \"Quantità\" || ':' || Segno || ':' || (IdReg = "
                   "(SELECT MAX(IdReg) FROM MagazRegMain)), ' ') FROM MagazRegDetail"_s),
              u"10:-5:1:1 20:-2:1:1"_s);
    EXPECT_EQ(cell(u"SELECT CAST(l02 AS INTEGER) FROM _Pars WHERE k01='maga' AND l01=2031"_s), u"1"_s);

    Movimento reopened;
    ASSERT_TRUE(reopened.Carica(m.IdReg()));
    EXPECT_EQ(reopened.Totale(1), platform::Currency::fromDouble(11.5));
    riga(reopened, u"A1"_s, 1, 1.5);
    reopened.Salva(RegolaCausale::Di(u"Reso a Fornitore"_s), 2031);
    EXPECT_EQ(cell(u"SELECT group_concat(Riga || ':' || \"Quantità\", ' ') FROM (SELECT * FROM MagazRegDetail ORDER BY Riga)"_s),
              u"10:-5 20:-2 30:-1"_s);
    EXPECT_EQ(cell(u"SELECT CAST(l02 AS INTEGER) FROM _Pars WHERE k01='maga' AND l01=2031"_s), u"1"_s);
}

TEST_F(MovimentoTest, AConflictStoresNothingAndGivesTheNumberBack)
{
    Movimento first;
    first.Nuovo(u"Carico"_s, platform::DateTime(2031, 3, 15));
    riga(first, u"A1"_s, 1, 1);
    first.Salva(RegolaCausale::Di(u"Carico"_s), 2031);
    Movimento a, b;
    ASSERT_TRUE(a.Carica(first.IdReg()));
    ASSERT_TRUE(b.Carica(first.IdReg()));
    a.Righe().moveFirst();
    a.Righe().setValue(Movimento::CampoQuantita, 7);
    a.Salva(RegolaCausale::Di(u"Carico"_s), 2031);
    b.Righe().moveFirst();
    b.Righe().setValue(Movimento::CampoQuantita, 9);
    EXPECT_THROW(b.Salva(RegolaCausale::Di(u"Carico"_s), 2031), platform::ConflictError);
    EXPECT_EQ(cell(u"SELECT \"Quantità\" FROM MagazRegDetail"_s), u"7"_s);

    // A new movement whose save fails stores nothing and uses no number.
    Movimento failing;
    failing.Nuovo(u"Carico"_s, platform::DateTime(2031, 3, 15));
    riga(failing, u"A1"_s, 1, 1);
    runSql(database, u"CREATE TRIGGER no_lines BEFORE INSERT ON MagazRegDetail BEGIN SELECT RAISE(ABORT, 'x'); END;"_s);
    EXPECT_THROW(failing.Salva(RegolaCausale::Di(u"Carico"_s), 2031), platform::DatabaseError);
    EXPECT_EQ(cell(u"SELECT COUNT(*) || '/' || MAX(Progressivo) FROM MagazRegMain"_s), u"1/1"_s);
    EXPECT_EQ(cell(u"SELECT CAST(l02 AS INTEGER) FROM _Pars WHERE k01='maga' AND l01=2031"_s), u"1"_s);
    runSql(database, u"DROP TRIGGER no_lines;"_s);
    failing.Salva(RegolaCausale::Di(u"Carico"_s), 2031);
    EXPECT_EQ(failing.Progressivo(), 2);
    EXPECT_EQ(cell(u"SELECT COUNT(*) FROM MagazRegDetail WHERE IdReg=(SELECT MAX(IdReg) FROM MagazRegMain)"_s),
              u"1"_s);
}

} // namespace
