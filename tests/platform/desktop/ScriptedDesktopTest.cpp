// The scripted desktop the window tests install: records, queued answers and
// the scoped installation.
#include "platform/desktop/QtDesktopServices.h"
#include "platform/desktop/ScriptedDesktop.h"

#include "support/TestEnv.h"

#include <QFile>
#include <QGuiApplication>
#include <QWidget>

#include <gtest/gtest.h>

using namespace platform;

TEST(ScriptedDesktop, MessageBoxesAreRecordedAndAnsweredInOrder)
{
    const QString before = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Velmora"));

    ScriptedDesktop scripted;
    scripted.queueMsgBox(vbNo);
    scripted.queueMsgBox(vbCancel);
    EXPECT_EQ(scripted.pendingAnswers(), 2);

    EXPECT_EQ(scripted.msgBox(QStringLiteral("Salvare le modifiche?"), vbYesNo + vbQuestion), vbNo);
    EXPECT_EQ(scripted.msgBox(QStringLiteral("Stampare l'etichetta?"), vbOKCancel,
                              QStringLiteral("Etichette")),
              vbCancel);
    EXPECT_EQ(scripted.pendingAnswers(), 0);

    const std::vector<MsgBoxCall> boxes = scripted.msgBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].prompt, QStringLiteral("Salvare le modifiche?"));
    EXPECT_EQ(boxes[0].style, vbYesNo + vbQuestion);
    EXPECT_TRUE(boxes[0].title.isEmpty());
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Velmora"));
    EXPECT_EQ(boxes[0].answer, vbNo);
    EXPECT_EQ(boxes[1].title, QStringLiteral("Etichette"));
    EXPECT_EQ(boxes[1].caption, QStringLiteral("Etichette"));
    EXPECT_EQ(scripted.prompts(), (QStringList{QStringLiteral("Salvare le modifiche?"),
                                               QStringLiteral("Stampare l'etichetta?")}));

    QGuiApplication::setApplicationDisplayName(before);
}

TEST(ScriptedDesktop, UnansweredMessageBoxGetsTheDefaultButton)
{
    ScriptedDesktop scripted;
    EXPECT_EQ(scripted.msgBox(QStringLiteral("Articolo salvato.")), vbOK);
    EXPECT_EQ(scripted.msgBox(QStringLiteral("Eliminare?"), vbYesNo + vbDefaultButton2), vbNo);
    EXPECT_EQ(scripted.msgBox(QStringLiteral("Errore"), vbAbortRetryIgnore + vbDefaultButton3), vbIgnore);
    EXPECT_EQ(scripted.msgBoxes().back().answer, vbIgnore);
}

TEST(ScriptedDesktop, FileDialogsHaveTheirOwnQueuesAndRecordTheRequest)
{
    ScriptedDesktop scripted;
    FileDialogRequest request;
    request.title = QStringLiteral("Apri archivio");
    request.initialDir = QStringLiteral("/dati");
    request.filter = QStringLiteral("File di Access (*.mdb)|*.mdb");
    request.defaultExt = QStringLiteral("mdb");
    request.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;

    scripted.queueOpenFile(QStringLiteral("/dati/gest01.mdb"));
    scripted.queueOpenFile(std::nullopt);
    // An answer queued for opening never answers a save dialog.
    EXPECT_EQ(scripted.getSaveFileName(request), std::nullopt);
    EXPECT_EQ(scripted.getOpenFileName(request), QStringLiteral("/dati/gest01.mdb"));
    EXPECT_EQ(scripted.getOpenFileName(request), std::nullopt);
    EXPECT_EQ(scripted.getOpenFileName(request), std::nullopt);  // queue empty: cancelled

    scripted.queueSaveFile(QStringLiteral("/dati/copia.mdb"));
    EXPECT_EQ(scripted.getSaveFileName(request), QStringLiteral("/dati/copia.mdb"));

    const auto opens = scripted.callsOf<OpenFileCall>();
    const auto saves = scripted.callsOf<SaveFileCall>();
    ASSERT_EQ(opens.size(), 3u);
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(opens[0].request, request);
    EXPECT_EQ(saves[1].request.flags, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
}

TEST(ScriptedDesktop, FontDialogAnswersAndRecords)
{
    ScriptedDesktop scripted;
    const QFont initial(QStringLiteral("DejaVu Sans"), 10);
    QFont chosen(QStringLiteral("DejaVu Serif"), 12);
    chosen.setBold(true);
    scripted.queueFont(chosen);

    EXPECT_EQ(scripted.chooseFont(initial, QStringLiteral("Carattere griglia")), chosen);
    EXPECT_EQ(scripted.chooseFont(initial), std::nullopt);

    const auto fonts = scripted.callsOf<FontCall>();
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0].initial, initial);
    EXPECT_EQ(fonts[0].title, QStringLiteral("Carattere griglia"));
}

TEST(ScriptedDesktop, HelpAnswersWhetherTheFileExistsUnlessTold)
{
    const QString helpFile = testsupport::freshDir() + "/velmora.chm";
    QFile file(helpFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    ScriptedDesktop scripted;
    EXPECT_TRUE(scripted.showHelp(helpFile, 1020));
    EXPECT_FALSE(scripted.showHelp(helpFile + ".manca", 0));
    scripted.setHelpFileExists(true);
    EXPECT_TRUE(scripted.showHelp(QStringLiteral("/nessuna/guida.chm"), 0));
    scripted.setHelpFileExists(false);
    EXPECT_FALSE(scripted.showHelp(helpFile, 0));

    const auto help = scripted.callsOf<HelpCall>();
    ASSERT_EQ(help.size(), 4u);
    EXPECT_EQ(help[0].helpFile, helpFile);
    EXPECT_EQ(help[0].contextId, 1020);
}

TEST(ScriptedDesktop, QueriesReturnWhatWasSetAndEveryCallIsKeptInOrder)
{
    ScriptedDesktop scripted;
    EXPECT_EQ(scripted.documentsFolder(), QtDesktopServices::standardDocumentsFolder());
    EXPECT_TRUE(scripted.installedPrinters().isEmpty());
    EXPECT_TRUE(scripted.defaultPrinter().isEmpty());
    EXPECT_TRUE(scripted.openUrl(QUrl(QStringLiteral("mailto:info@example.com"))));

    const QList<PrinterDescription> printers{{QStringLiteral("Zebra"), QStringLiteral("Zebra GK420t")},
                                             {QStringLiteral("Ufficio"), QStringLiteral("Laser")}};
    scripted.setDocumentsFolder(QStringLiteral("/home/utente/Documenti"));
    scripted.setPrinters(printers);
    scripted.setDefaultPrinter(QStringLiteral("Ufficio"));
    scripted.setOpenUrlResult(false);
    EXPECT_EQ(scripted.documentsFolder(), QStringLiteral("/home/utente/Documenti"));
    EXPECT_EQ(scripted.installedPrinters(), printers);
    EXPECT_EQ(scripted.defaultPrinter(), QStringLiteral("Ufficio"));
    EXPECT_FALSE(scripted.openUrl(QUrl(QStringLiteral("https://www.example.com"))));

    const std::vector<DesktopCall> &calls = scripted.calls();
    ASSERT_EQ(calls.size(), 8u);
    EXPECT_TRUE(std::holds_alternative<DocumentsFolderCall>(calls[0]));
    EXPECT_TRUE(std::holds_alternative<PrintersCall>(calls[1]));
    EXPECT_TRUE(std::holds_alternative<DefaultPrinterCall>(calls[2]));
    ASSERT_TRUE(std::holds_alternative<UrlCall>(calls[3]));
    EXPECT_EQ(std::get<UrlCall>(calls[3]).url, QUrl(QStringLiteral("mailto:info@example.com")));
    EXPECT_EQ(std::get<UrlCall>(calls[7]).url, QUrl(QStringLiteral("https://www.example.com")));
}

TEST(ScriptedDesktop, ClearForgetsCallsAndAnswersButKeepsSettings)
{
    ScriptedDesktop scripted;
    scripted.setDefaultPrinter(QStringLiteral("Zebra"));
    scripted.queueMsgBox(vbNo);
    scripted.queueOpenFile(QStringLiteral("/a.mdb"));
    scripted.queueSaveFile(QStringLiteral("/b.mdb"));
    scripted.queueFont(QFont());
    scripted.msgBox(QStringLiteral("Uno"), vbYesNo);
    EXPECT_EQ(scripted.pendingAnswers(), 3);

    scripted.clear();
    EXPECT_TRUE(scripted.calls().empty());
    EXPECT_TRUE(scripted.prompts().isEmpty());
    EXPECT_EQ(scripted.pendingAnswers(), 0);
    EXPECT_EQ(scripted.getOpenFileName({}), std::nullopt);
    EXPECT_EQ(scripted.defaultPrinter(), QStringLiteral("Zebra"));
}

TEST(ScriptedDesktop, RemoveCloseButtonIsRecordedAndApplied)
{
    ScriptedDesktop scripted;
    QWidget window;
    scripted.removeCloseButton(&window);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::CustomizeWindowHint);
    const auto calls = scripted.callsOf<RemoveCloseButtonCall>();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].window, &window);
}

TEST(DesktopInstallation, RealDesktopByDefaultAndScopedScriptRestoresThePrevious)
{
    DesktopServices *original = &desktop();
    EXPECT_NE(dynamic_cast<QtDesktopServices *>(original), nullptr);
    {
        ScopedScriptedDesktop outer;
        EXPECT_EQ(&desktop(), &outer.get());
        outer->queueMsgBox(vbYes);
        EXPECT_EQ(desktop().msgBox(QStringLiteral("Continuare?"), vbYesNo), vbYes);
        {
            ScopedScriptedDesktop inner;
            EXPECT_EQ(&desktop(), &*inner);
            desktop().msgBox(QStringLiteral("Interno"));
            EXPECT_EQ(inner->prompts(), QStringList{QStringLiteral("Interno")});
        }
        EXPECT_EQ(&desktop(), &outer.get());
        EXPECT_EQ(outer->prompts(), QStringList{QStringLiteral("Continuare?")});
    }
    EXPECT_EQ(&desktop(), original);
}

TEST(DesktopInstallation, InstallReturnsThePreviousServices)
{
    auto first = std::make_unique<ScriptedDesktop>();
    ScriptedDesktop *firstPtr = first.get();
    std::unique_ptr<DesktopServices> real = installDesktop(std::move(first));
    EXPECT_EQ(&desktop(), firstPtr);

    std::unique_ptr<DesktopServices> back = installDesktop(std::move(real));
    EXPECT_EQ(back.get(), firstPtr);
    EXPECT_NE(dynamic_cast<QtDesktopServices *>(&desktop()), nullptr);
}
