#include "RecordsFixture.h"

#include "records/FinestraListe.h"

#include <QCheckBox>
#include <QPointer>

using namespace recordstest;
using namespace Qt::StringLiterals;

namespace {

class UnitWindowTest : public RecordWindowTest
{
};

TEST_F(UnitWindowTest, NewUnitIsSavedWithItsDefaultMarkAndClearsTheOthers)
{
    runSql(database, u"INSERT INTO Liste (Chiave, Codice, Descrizione, Predefinito) VALUES "
                     "('um', 'PZ', 'Pezzi', True), ('cat', NULL, 'Colle', True);"_s);
    QPointer<frm_io_UM> window = new frm_io_UM;
    window->Nuovo(0);
    ASSERT_TRUE(window->isVisible());
    activate(window);
    typeAndLeave(window->txtData[0], u"k'g"_s);
    EXPECT_EQ(window->txtData[0]->text(), u"KG"_s);
    typeAndLeave(window->txtData[1], u"Chilogrammi"_s);
    window->chkData[0]->setChecked(true);
    QTest::mouseClick(window->cmdSalva(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(cell(u"SELECT Descrizione || '|' || Predefinito FROM Liste WHERE Codice='KG'"_s), u"Chilogrammi|1"_s);
    EXPECT_EQ(cell(u"SELECT Predefinito FROM Liste WHERE Codice='PZ'"_s), u"0"_s);
    EXPECT_EQ(cell(u"SELECT Predefinito FROM Liste WHERE Chiave='cat'"_s), u"1"_s);
    EXPECT_EQ(MainModule::DefaultUM, u"KG"_s);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(UnitWindowTest, ModalNewHandsBackTheCodeOrNull)
{
    platform::Variant result;
    frm_io_UM window;
    onModal<frm_io_UM>([&] { result = window.Nuovo(1); }, [&](frm_io_UM *w) {
        EXPECT_EQ(w->cmdSalva()->text(), u"Inserisci"_s);
        typeAndLeave(w->txtData[0], u"mt"_s);
        QTest::mouseClick(w->cmdSalva(), Qt::LeftButton);
    });
    EXPECT_EQ(result, platform::Variant(u"MT"_s));
    EXPECT_EQ(refreshes, 0);

    frm_io_UM second;
    onModal<frm_io_UM>([&] { result = second.Nuovo(1); }, [&](frm_io_UM *w) {
        typeAndLeave(w->txtData[0], u"lt"_s);
        QTest::keyClick(w->txtData[1], Qt::Key_Escape);
    });
    EXPECT_TRUE(result.isNull());
    EXPECT_EQ(cell(u"SELECT COUNT(*) FROM Liste WHERE Chiave='um'"_s), u"1"_s);
}

} // namespace
