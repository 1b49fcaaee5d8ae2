// Statements the program's windows run, written in the Jet dialect, run
// through connections and recordsets on a small database with results
// checked: defaults, names, counters, renumbering, layouts. (The closing,
// the inventory and the start-up upgrades run in the statement corpus.)
#include "SampleDbFixture.h"

using namespace platform;
using namespace Qt::StringLiterals;
using testsupport::DataFixture;

namespace {

class JetStatements : public testsupport::SampleDbTest
{
protected:
    void SetUp() override
    {
        SampleDbTest::SetUp();
        // Two more movements in 2024: a second load of A001 and a transfer
        // between stores with three lines.
        DataFixture::runSql(
            path, u"INSERT INTO MagazRegMain (IdReg, DataIns, Causale, TipoContropartita, IdContropartita) VALUES "
                  u"(4, '2024-06-01', 'Carico', 'Fornitore', 1), (5, '2024-07-01', 'Trasferimento', 'Deposito', NULL);"
                  u"INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo) VALUES "
                  u"(4, 10, 'A001', 50, 1, 0.2), (5, 10, 'B001', 0.1, 1, 0.02), (5, 20, 'B001', 0.2, 1, 0.02),"
                  u"(5, 30, 'B001', 0.3, -1, 0.02);"_s);
    }

    // Every row as its values joined by '|'.
    static QStringList rows(Recordset &rs)
    {
        QStringList list;
        for (rs.moveFirst(); !rs.isEOF(); rs.moveNext()) {
            QStringList values;
            for (int i = 0; i < rs.fieldCount(); ++i) {
                const Variant v = rs.value(i);
                values.append(v.isNull() ? u"Null"_s : v.isDate() ? v.get<DateTime>()->toIso() : v.toString(QLocale::c()));
            }
            list.append(values.join(u'|'));
        }
        return list;
    }
    QStringList query(const QString &sql) { return rows(*connection.executeQuery(sql)); }
};

} // namespace

TEST_F(JetStatements, StatementsOfTheWindowsReadAndWriteWhatTheyShould)
{
    EXPECT_EQ(query(u"SELECT CodiceIVA FROM CodiciIVA WHERE CodiciIVA.Predefinito = True"_s), QStringList{u"22"_s});
    EXPECT_EQ(query(u"SELECT Codice FROM Articoli WHERE Codice='a002'"_s), QStringList{u"A002"_s});
    EXPECT_EQ(connection.execute(u"UPDATE CodiciIVA SET CodiciIVA.Predefinito = False WHERE CodiciIVA.CodiceIVA<>'10'"_s), 1);
    EXPECT_EQ(column(u"SELECT Predefinito FROM CodiciIVA ORDER BY CodiceIVA"_s), (QStringList{u"0"_s, u"0"_s}));

    DataFixture::runSql(path, u"UPDATE Articoli SET Ubicazione = 'S1' WHERE Codice = 'A001'"_s);
    EXPECT_EQ(query(u"SELECT DataIns,  iif(NOT IsNull(Ubicazione), Codice & ' [' & Ubicazione & ']', Codice) AS Codice, "
                    u"Descrizione From Articoli WHERE Codice <> 'B001' ORDER BY Descrizione"_s),
              (QStringList{u"2024-01-02|A002|Dado M3"_s, u"2024-01-02|A001 [S1]|Vite 3x20"_s}));
    EXPECT_EQ(query(u"Execute ViewMagazzino #01/01/24#, #06/30/24#"_s).size(), 3);
}

TEST_F(JetStatements, RenumberingAYearInOneTransaction)
{
    auto rs = open(u"SELECT * FROM MagazRegMain WHERE Year(DataIns)=2024 ORDER BY DataIns, IdReg"_s);
    connection.beginTrans();
    int number = 0;
    for (rs->moveFirst(); !rs->isEOF(); rs->moveNext()) {
        rs->setValue(u"Progressivo"_s, Variant(std::int32_t(++number)));
        rs->update();
    }
    connection.commitTrans();
    EXPECT_EQ(column(u"SELECT IdReg || ':' || Progressivo FROM MagazRegMain ORDER BY IdReg"_s),
              (QStringList{u"1:1"_s, u"2:2"_s, u"3:1"_s, u"4:3"_s, u"5:4"_s}));
}

TEST_F(JetStatements, GridLayoutIsStoredAsBytesInTheSettingsTable)
{
    const QString layout = u"{\"colonne\": \"Quantità\"}"_s;
    const QByteArray bytes(reinterpret_cast<const char *>(layout.utf16()), layout.size() * 2);
    auto rs = open(u"SELECT * FROM _Pars WHERE k01='gridlayout' AND k02='gex_art'"_s);
    ASSERT_TRUE(rs->isEOF());
    rs->addNew();
    rs->setValue(u"k01"_s, Variant("gridlayout"));
    rs->setValue(u"k02"_s, Variant("gex_art"));
    rs->update();
    rs->setValue(u"m01"_s, Variant(bytes));
    rs->update();

    EXPECT_EQ(connection.executeQuery(u"SELECT m01 FROM _Pars WHERE k01='gridlayout'"_s)->value(0), Variant(bytes));
    EXPECT_EQ(column(u"SELECT typeof(m01) FROM _Pars WHERE k01='gridlayout'"_s), QStringList{u"blob"_s});
}
