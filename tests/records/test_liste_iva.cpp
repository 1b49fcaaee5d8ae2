// The VAT code, unit and category windows: the "Predefinito" mark and the
// shared defaults, the exemption that greys the rate, the key handed back
// to a modal caller.
#include "RecordsFixture.h"

#include "records/FinestraListe.h"
#include "records/frm_io_IVA.h"

#include <QCheckBox>
#include <QLabel>

using namespace recordstest;
using namespace Qt::StringLiterals;
using platform::Variant;

namespace {

using ListeTest = RecordWindowTest;

// Each row's key and mark, by kind (categories, VAT codes, units): "Colle:1 Viti:0", ...
const QString Marks = u"SELECT group_concat(k || ':' || Predefinito, ' ') FROM ("
                      "SELECT 'iva' AS g, CodiceIVA AS k, Predefinito FROM CodiciIVA UNION ALL "
                      "SELECT Chiave, IfNull(Codice, Descrizione), Predefinito FROM Liste ORDER BY 1, 2) "
                      "GROUP BY g ORDER BY g"_s;

void tick(QCheckBox *box, bool on)
{
    box->setFocus(Qt::OtherFocusReason);
    if (box->isChecked() != on)
        QTest::keyClick(box, Qt::Key_Space);
}

} // namespace

TEST_F(ListeTest, ATickedSaveMakesTheOnlyDefaultOfItsKindAfterItIsStored)
{
    MainModule::DefaultCodiceIVA = u"22"_s;
    MainModule::DefaultUM = u"PZ"_s;
    MainModule::DefaultCategoria = u"Colle"_s;
    const struct
    {
        QString name;
        QStringList texts; // typed into txtData0, txtData1, ...
        int mark;          // the index of the "Predefinito" box
        QStringList marks;
        QString defaults;  // DefaultCodiceIVA|DefaultUM|DefaultCategoria
    } cases[] = {
        {u"frm_io_UM"_s, {u"lt"_s, u"Litri"_s}, 0, {u"Colle:1 Viti:0"_s, u"22:1 ES:0"_s, u"KG:0 LT:1 PZ:0"_s},
         u"22|LT|Colle"_s},
        {u"frm_io_Cat"_s, {u"Legno"_s}, 0, {u"Colle:0 Legno:1 Viti:0"_s, u"22:1 ES:0"_s, u"KG:0 LT:1 PZ:0"_s},
         u"22|LT|Legno"_s},
        {u"frm_io_IVA"_s, {u"10"_s, u"Ridotta"_s, u"10"_s}, 1,
         {u"Colle:0 Legno:1 Viti:0"_s, u"10:1 22:0 ES:0"_s, u"KG:0 LT:1 PZ:0"_s}, u"10|LT|Legno"_s},
    };
    int saved = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        FinestraRecord *window = openNew<FinestraRecord>(c.name);
        ASSERT_TRUE(window);
        typeInto(window, c.texts);
        tick(child<QCheckBox>(window, u"chkData%1"_s.arg(c.mark)), true);
        QTest::mouseClick(window->cmdSalva(), Qt::LeftButton);
        EXPECT_EQ(queryColumn(database, Marks), c.marks);
        EXPECT_EQ(QStringList({MainModule::DefaultCodiceIVA, MainModule::DefaultUM, MainModule::DefaultCategoria})
                      .join(u'|'),
                  c.defaults);
        EXPECT_EQ(refreshes, ++saved);
    }
    EXPECT_TRUE(desk->msgBoxes().empty());
}

TEST_F(ListeTest, AnUntickedSaveTouchesNoOtherRowNorTheSharedDefault)
{
    MainModule::DefaultUM = u"PZ"_s;
    MainModule::DefaultCategoria = u"Colle"_s;
    runSql(database, u"INSERT INTO Articoli (Codice, Categoria) VALUES ('A1', 'Colle')"_s);
    // The default unit loses its mark; the default category is renamed.
    auto *unit = openKey<frm_io_UM>(u"frm_io_UM"_s, 1);
    ASSERT_TRUE(unit);
    tick(unit->chkData[0], false);
    QTest::mouseClick(unit->cmdSalva(), Qt::LeftButton);
    auto *category = openKey<frm_io_Cat>(u"frm_io_Cat"_s, 3);
    ASSERT_TRUE(category);
    typeAndLeave(category->txtData[0], u"Adesivi"_s);
    tick(category->chkData[0], false);
    QTest::mouseClick(category->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(queryColumn(database, Marks), (QStringList{u"Adesivi:0 Viti:0"_s, u"22:1 ES:0"_s, u"KG:0 PZ:0"_s}));
    EXPECT_EQ(MainModule::DefaultUM, u"PZ"_s);
    EXPECT_EQ(MainModule::DefaultCategoria, u"Colle"_s);
    EXPECT_EQ(cell(u"SELECT Categoria FROM Articoli"_s), u"Colle"_s);

    // Renamed again with the mark: the default follows the new text.
    category = openKey<frm_io_Cat>(u"frm_io_Cat"_s, 3);
    ASSERT_TRUE(category);
    typeAndLeave(category->txtData[0], u"Colle e adesivi"_s);
    tick(category->chkData[0], true);
    QTest::mouseClick(category->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(MainModule::DefaultCategoria, u"Colle e adesivi"_s);
    EXPECT_EQ(refreshes, 3);
}

TEST_F(ListeTest, ClearingTheOtherMarksFailsAndNothingOfTheSaveStays)
{
    MainModule::DefaultUM = u"PZ"_s;
    runSql(database, u"CREATE TRIGGER NoClear BEFORE UPDATE OF Predefinito ON Liste "
                     "BEGIN SELECT RAISE(ABORT, 'refused'); END"_s);
    const QStringList before = dumpDatabase(database);
    auto *unit = openNew<frm_io_UM>(u"frm_io_UM"_s);
    ASSERT_TRUE(unit);
    typeAndLeave(unit->txtData[0], u"LT"_s);
    tick(unit->chkData[0], true);
    QTest::mouseClick(unit->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(desk->prompts(), QStringList{u"L'operazione sul database non è riuscita."_s});
    EXPECT_EQ(dumpDatabase(database), before);
    EXPECT_EQ(MainModule::DefaultUM, u"PZ"_s);
    ASSERT_EQ(shown(), unit);

    // Saved again once the statement can run.
    runSql(database, u"DROP TRIGGER NoClear"_s);
    QTest::mouseClick(unit->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(queryColumn(database, Marks)[2], u"KG:0 LT:1 PZ:0"_s);
    EXPECT_EQ(MainModule::DefaultUM, u"LT"_s);
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
    // The greyed box is passed over.
    QTest::keyClick(vat->chkData[0], Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), vat->chkData[1]);
    tick(vat->chkData[0], false);
    EXPECT_FALSE(greyed());
    EXPECT_EQ(vat->txtData[2]->text(), u"0"_s);
    QTest::mouseClick(vat->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(cell(u"SELECT Aliquota || Esenzione FROM CodiciIVA WHERE CodiceIVA='E8'"_s), u"0.00"_s);

    vat = openKey<frm_io_IVA>(u"frm_io_IVA"_s, u"ES"_s);
    ASSERT_TRUE(vat);
    EXPECT_TRUE(greyed());
    vat = nullptr;
    EXPECT_TRUE(desk->msgBoxes().empty());
}

TEST_F(ListeTest, ModalNewHandsBackWhatArticlesStoreOrNull)
{
    const struct
    {
        std::function<FinestraRecord *()> make;
        QStringList texts;
        Variant key;
    } cases[] = {
        {[] { return new frm_io_UM; }, {u"mt"_s, u"Metri"_s}, u"MT"_s},
        {[] { return new frm_io_Cat; }, {u"Legno"_s}, u"Legno"_s},
        {[] { return new frm_io_IVA; }, {u"4"_s, u"Minima"_s, u"4"_s}, u"4"_s},
    };
    for (const auto &c : cases) {
        for (bool save : {false, true}) {
            std::unique_ptr<FinestraRecord> window(c.make());
            SCOPED_TRACE(window->objectName().toStdString());
            Variant result = 1;
            const auto nuovo = [&] {
                if (auto *liste = qobject_cast<FinestraListe *>(window.get()))
                    result = liste->Nuovo(1);
                else
                    result = static_cast<frm_io_IVA *>(window.get())->Nuovo(1);
            };
            onModal<FinestraRecord>(nuovo, [&](FinestraRecord *w) {
                EXPECT_EQ(w->cmdSalva()->text(), u"Inserisci"_s);
                typeInto(w, c.texts);
                if (save)
                    QTest::mouseClick(w->cmdSalva(), Qt::LeftButton);
                else
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            });
            EXPECT_EQ(result, save ? c.key : Variant::null());
        }
    }
    EXPECT_EQ(cell(u"SELECT (SELECT COUNT(*) FROM CodiciIVA) || (SELECT COUNT(*) FROM Liste)"_s), u"36"_s);
    EXPECT_EQ(refreshes, 0);
}
