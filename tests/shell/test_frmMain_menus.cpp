// The main window's View, Grid, Data and Help menus and its status bar.
#include "MainWindowFixture.h"

#include "../common/ModalCall.h"
#include "common/comfrmManData.h"
#include "shell/frmOptions.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

using namespace shelltest;

namespace {

const QString CloseFirst = QStringLiteral("Chiudere prima tutte le schede dati.");

class MenusTest : public MainWindowTest
{
protected:
    QAction *item(const QMenu *menu, const QString &caption) const
    {
        QAction *action = frmMain::VoceMenu(menu, caption);
        EXPECT_NE(action, nullptr) << caption.toStdString();
        return action;
    }

    static void cancel(frmOptions *dialog)
    {
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdAnnulla")), Qt::LeftButton);
    }

    static void save(frmOptions *dialog)
    {
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdSalva")), Qt::LeftButton);
    }
};

} // namespace

TEST_F(MenusTest, DataMenuWaitsForTheOtherWindows)
{
    QWidget other;
    other.setWindowTitle(QStringLiteral("Articolo"));
    other.show();
    for (const QString &caption : {u"&Seleziona database"_qs, u"Nuovo database"_qs, u"Tabelle"_qs})
        item(window->mnuDb(), caption)->trigger();
    EXPECT_EQ(desk->prompts(), (QStringList{CloseFirst, CloseFirst, CloseFirst}));
    for (const platform::MsgBoxCall &box : desk->msgBoxes())
        EXPECT_EQ(box.style, platform::vbOKOnly);
}

TEST_F(MenusTest, TablesAreEditedOnlyAfterTheWarning)
{
    const QString warning = QStringLiteral(
        "Attenzione!\r\n\r\nLa modifica diretta delle tabelle è una operazione che va utilizzata solo in caso di "
        "reale necessità e comunque da utenti esperti.\r\n\r\nProcedere?");
    desk->queueMsgBox(platform::vbNo);
    item(window->mnuDb(), u"Tabelle"_qs)->trigger();
    ASSERT_EQ(desk->msgBoxes().size(), 1u);
    EXPECT_EQ(desk->msgBoxes()[0].prompt, warning);
    EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbYesNo | platform::vbExclamation | platform::vbDefaultButton2);

    desk->queueMsgBox(platform::vbYes);
    testsupport::callModal<comfrmManData>([&] { item(window->mnuDb(), u"Tabelle"_qs)->trigger(); },
                                          [](comfrmManData *editor) { editor->reject(); });
}

TEST_F(MenusTest, HelpItemsOpenTheirTopics)
{
    const QString folder = testsupport::freshDir(QStringLiteral("programma"));
    writeFile(folder + QStringLiteral("/brevel.chm"), QByteArray("guida"));
    MainModule::ImpostaCartellaProgramma(folder);
    for (const QString &caption :
         {u"&Guida in linea"_qs, u"La &mia prima registrazione"_qs, u"&Tasti di scelta rapida"_qs})
        item(window->mnuHelp(), caption)->trigger();
    const auto calls = desk->callsOf<platform::HelpCall>();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].contextId, 0);
    EXPECT_EQ(calls[1].contextId, 20);
    EXPECT_EQ(calls[2].contextId, 70);
    EXPECT_EQ(calls[0].helpFile, folder + QStringLiteral("/brevel.chm"));
    EXPECT_TRUE(desk->msgBoxes().empty());
}

TEST_F(MenusTest, GridItemsFollowTheNode)
{
    QAction *fields = item(window->mnuGrid(), u"&Campi"_qs);
    EXPECT_FALSE(fields->isEnabled());
    clickBar(2);
    EXPECT_TRUE(fields->isEnabled());
    EXPECT_TRUE(item(window->mnuGrid(), u"&Predefinito"_qs)->isEnabled());
    EXPECT_FALSE(item(window->mnuGrid(), u"&Ordina"_qs)->isVisible());
}

TEST_F(MenusTest, StatusBarOpensTheWorkingDateAndTheCounter)
{
    testsupport::callModal<frmOptions>(
        [&] { QTest::mouseClick(window->Panel(u"WorkData"_qs), Qt::LeftButton); },
        [](frmOptions *dialog) {
            dialog->findChild<QDateEdit *>(QStringLiteral("dtp"))->setDate(QDate(2031, 6, 2));
            save(dialog);
        });
    EXPECT_EQ(MainModule::WorkDate, platform::DateTime(2031, 6, 2));
    EXPECT_EQ(window->Panel(QStringLiteral("WorkData"))->text(), QStringLiteral("lun 2 giu 31"));

    testsupport::callModal<frmOptions>(
        [&] { QTest::mouseClick(window->Panel(u"Contatore"_qs), Qt::LeftButton); },
        [](frmOptions *dialog) {
            auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("txtProg0"));
            edit->setText(QStringLiteral("20"));
            save(dialog);
        });
    EXPECT_EQ(window->Panel(QStringLiteral("Contatore"))->text(), QStringLiteral("20"));

    // The View menu's items reach the same dialog.
    testsupport::callModal<frmOptions>([&] { item(window->mnuView(), u"Contatori"_qs)->trigger(); },
                                       cancel);
    testsupport::callModal<frmOptions>([&] { item(window->mnuView(), u"&Opzioni"_qs)->trigger(); }, cancel);
}
