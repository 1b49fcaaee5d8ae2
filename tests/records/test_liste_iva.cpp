// The VAT code, unit and category windows: the "Predefinito" mark and the
// shared defaults, and the exemption that greys the rate.
#include "RecordsFixture.h"

#include "records/FinestraListe.h"
#include "records/frm_io_IVA.h"

#include <QCheckBox>
#include <QLabel>

using namespace recordstest;
using namespace Qt::StringLiterals;

namespace {

// Each row's key and mark by kind (categories, VAT codes, units), and the
// three shared defaults.
QStringList marks(const QString &database)
{
    return queryColumn(database, u"SELECT group_concat(k || ':' || Predefinito, ' ') FROM ("
                                 "SELECT 'iva' AS g, CodiceIVA AS k, Predefinito FROM CodiciIVA UNION ALL "
                                 "SELECT Chiave, IfNull(Codice, Descrizione), Predefinito FROM Liste ORDER BY 1, 2) "
                                 "GROUP BY g ORDER BY g"_s)
        << MainModule::DefaultCategoria + u'|' + MainModule::DefaultCodiceIVA + u'|' + MainModule::DefaultUM;
}

void tick(QCheckBox *box, bool on)
{
    box->setFocus();
    if (box->isChecked() != on)
        QTest::keyClick(box, Qt::Key_Space);
}

class ListeTest : public SampleRowsTest
{
protected:
    // Saves a record of the window, typing the texts and setting its mark.
    static void save(FinestraRecord *window, const QStringList &texts, const QString &mark, bool on)
    {
        ASSERT_TRUE(window);
        typeInto(window, texts);
        tick(child<QCheckBox>(window, mark), on);
        QTest::mouseClick(window->cmdSalva(), Qt::LeftButton);
    }
};

} // namespace

TEST_F(ListeTest, ATickedSaveMakesTheOnlyDefaultOfItsKind)
{
    save(openNew(u"frm_io_UM"_s), {u"lt"_s, u"Litri"_s}, u"chkData0"_s, true);
    EXPECT_EQ(marks(database), (QStringList{u"Colle:1 Viti:0"_s, u"22:1 ES:0"_s, u"KG:0 LT:1 PZ:0"_s,
                                            u"Colle|22|LT"_s}));
    save(openNew(u"frm_io_Cat"_s), {u"Legno"_s}, u"chkData0"_s, true);
    save(openNew(u"frm_io_IVA"_s), {u"10"_s, u"Ridotta"_s, u"10"_s}, u"chkData1"_s, true);
    EXPECT_EQ(marks(database), (QStringList{u"Colle:0 Legno:1 Viti:0"_s, u"10:1 22:0 ES:0"_s, u"KG:0 LT:1 PZ:0"_s,
                                            u"Legno|10|LT"_s}));
    EXPECT_EQ(refreshes, 3);
    EXPECT_TRUE(desk->msgBoxes().empty());
}

TEST_F(ListeTest, AnUntickedSaveTouchesNoOtherRowNorTheSharedDefault)
{
    runSql(database, u"INSERT INTO Articoli (Codice, Categoria) VALUES ('A1', 'Colle')"_s);
    // The default unit loses its mark; the default category is renamed.
    save(openKey(u"frm_io_UM"_s, 1), {}, u"chkData0"_s, false);
    save(openKey(u"frm_io_Cat"_s, 3), {u"Adesivi"_s}, u"chkData0"_s, false);
    EXPECT_EQ(marks(database), (QStringList{u"Adesivi:0 Viti:0"_s, u"22:1 ES:0"_s, u"KG:0 PZ:0"_s, u"Colle|22|PZ"_s}));
    EXPECT_EQ(cell(u"SELECT Categoria FROM Articoli"_s), u"Colle"_s);
    // Renamed again with the mark: the default follows the new text.
    save(openKey(u"frm_io_Cat"_s, 3), {u"Colle e adesivi"_s}, u"chkData0"_s, true);
    EXPECT_EQ(marks(database).last(), u"Colle e adesivi|22|PZ"_s);
    EXPECT_EQ(refreshes, 3);
}

TEST_F(ListeTest, WhenClearingTheOtherMarksFailsNothingOfTheSaveStays)
{
    runSql(database, u"CREATE TRIGGER NoClear BEFORE UPDATE OF Predefinito ON Liste "
                     "BEGIN SELECT RAISE(ABORT, 'refused'); END"_s);
    const QStringList before = dumpDatabase(database);
    auto *unit = openNew(u"frm_io_UM"_s);
    save(unit, {u"LT"_s}, u"chkData0"_s, true);
    EXPECT_EQ(desk->prompts(), QStringList{u"L'operazione sul database non è riuscita."_s});
    EXPECT_EQ(dumpDatabase(database), before);
    EXPECT_EQ(MainModule::DefaultUM, u"PZ"_s);
    ASSERT_EQ(shown(), unit);

    // Saved again once the statement can run.
    runSql(database, u"DROP TRIGGER NoClear"_s);
    QTest::mouseClick(unit->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(marks(database).mid(2), (QStringList{u"KG:0 LT:1 PZ:0"_s, u"Colle|22|LT"_s}));
    EXPECT_EQ(refreshes, 1);
}

TEST_F(ListeTest, ExemptionGreysTheRateAndSetsItToZero)
{
    auto *vat = openNew<frm_io_IVA>(u"frm_io_IVA"_s);
    ASSERT_TRUE(vat);
    typeInto(vat, {u"E8"_s, u"Esente 8"_s, u"8"_s});
    const auto greyed = [&vat] { return !vat->txtData[2]->isEnabled() && !vat->lblData[2]->isEnabled(); };
    tick(vat->chkData[0], true);
    EXPECT_TRUE(greyed());
    EXPECT_EQ(vat->txtData[2]->text(), u"0"_s);
    tick(vat->chkData[0], false);
    EXPECT_FALSE(greyed());
    EXPECT_EQ(vat->txtData[2]->text(), u"0"_s);
    QTest::mouseClick(vat->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(cell(u"SELECT Aliquota || Esenzione FROM CodiciIVA WHERE CodiceIVA='E8'"_s), u"0.00"_s);

    vat = openKey<frm_io_IVA>(u"frm_io_IVA"_s, u"ES"_s);
    ASSERT_TRUE(vat);
    EXPECT_TRUE(greyed());
    EXPECT_TRUE(desk->msgBoxes().empty());
}
