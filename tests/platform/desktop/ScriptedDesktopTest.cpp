// The buttons, Enter and Esc answers implied by a message-box style, and the
// scripted desktop the window tests install: records, queued answers (the
// default button's when none is queued) and the scoped installation.
#include "platform/desktop/QtDesktopServices.h"
#include "platform/desktop/ScriptedDesktop.h"

#include <QApplication>
#include <QGuiApplication>
#include <QFocusEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace platform;

TEST(ScriptedDesktop, MessageBoxesAndDialogsAreRecordedAndAnsweredFromTheirOwnQueuesAndClearKeepsSettings)
{
    const QString before = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Velmora"));
    ScriptedDesktop scripted;
    scripted.queueMsgBox(vbNo);
    EXPECT_EQ(scripted.msgBox(QStringLiteral("Salvare le modifiche?"), vbYesNo + vbQuestion), vbNo);
    EXPECT_EQ(scripted.msgBox(QStringLiteral("Eliminare?"), vbYesNo + vbDefaultButton2, QStringLiteral("Etichette")), vbNo);
    EXPECT_EQ(scripted.msgBox(QStringLiteral("Errore"), vbAbortRetryIgnore + vbDefaultButton3), vbIgnore);
    EXPECT_EQ(scripted.msgBox(QStringLiteral("Articolo salvato.")), vbOK);

    const std::vector<MsgBoxCall> boxes = scripted.msgBoxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].style, vbYesNo + vbQuestion);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Velmora"));
    EXPECT_EQ(boxes[1].caption, QStringLiteral("Etichette"));
    EXPECT_EQ(boxes[2].answer, vbIgnore);
    EXPECT_EQ(scripted.prompts().front(), QStringLiteral("Salvare le modifiche?"));
    QGuiApplication::setApplicationDisplayName(before);

    // The other dialogs have queues of their own.
    FileDialogRequest request;
    request.title = QStringLiteral("Apri archivio");
    request.flags = OFN_FILEMUSTEXIST;
    scripted.queueOpenFile(QStringLiteral("/dati/gest01.mdb"));
    // An answer queued for opening never answers a save dialog; an empty
    // queue cancels.
    EXPECT_EQ(scripted.getSaveFileName(request), std::nullopt);
    EXPECT_EQ(scripted.getOpenFileName(request), QStringLiteral("/dati/gest01.mdb"));
    EXPECT_EQ(scripted.getOpenFileName(request), std::nullopt);
    ASSERT_EQ(scripted.callsOf<OpenFileCall>().size(), 2u);
    EXPECT_EQ(scripted.callsOf<OpenFileCall>()[0].request, request);

    QFont chosen(QStringLiteral("DejaVu Serif"), 12);
    scripted.queueFont(chosen);
    EXPECT_EQ(scripted.chooseFont(QFont(), QStringLiteral("Carattere griglia")), chosen);
    EXPECT_EQ(scripted.chooseFont(QFont()), std::nullopt);
    EXPECT_EQ(scripted.callsOf<FontCall>()[0].title, QStringLiteral("Carattere griglia"));

    // Help answers whether the file exists, unless told.
    EXPECT_FALSE(scripted.showHelp(QStringLiteral("/nessuna/guida.chm"), 1020));
    scripted.setHelpFileExists(true);
    EXPECT_TRUE(scripted.showHelp(QStringLiteral("/nessuna/guida.chm"), 0));
    EXPECT_EQ(scripted.callsOf<HelpCall>()[0].contextId, 1020);

    scripted.setDefaultPrinter(QStringLiteral("Zebra"));
    scripted.queueMsgBox(vbNo);
    scripted.clear();
    EXPECT_TRUE(scripted.calls().empty());
    EXPECT_EQ(scripted.pendingAnswers(), 0);
    EXPECT_EQ(scripted.defaultPrinter(), QStringLiteral("Zebra"));
}

TEST(DesktopInstallation, RealDesktopByDefaultAndScopedScriptsRestoreThePrevious)
{
    DesktopServices *original = &desktop();
    EXPECT_NE(dynamic_cast<QtDesktopServices *>(original), nullptr);
    {
        ScopedScriptedDesktop outer;
        EXPECT_EQ(&desktop(), &outer.get());
        {
            ScopedScriptedDesktop inner;
            desktop().msgBox(QStringLiteral("Interno"));
            EXPECT_EQ(inner->prompts(), QStringList{QStringLiteral("Interno")});
        }
        EXPECT_EQ(&desktop(), &outer.get());
        EXPECT_TRUE(outer->prompts().isEmpty());
    }
    EXPECT_EQ(&desktop(), original);

    auto scripted = std::make_unique<ScriptedDesktop>();
    ScriptedDesktop *installed = scripted.get();
    std::unique_ptr<DesktopServices> real = installDesktop(std::move(scripted));
    EXPECT_EQ(&desktop(), installed);
    EXPECT_EQ(installDesktop(std::move(real)).get(), installed);
    EXPECT_EQ(&desktop(), original);
}

TEST(MessageBoxStyle, ButtonsEnterAndEscapeForEveryGroupWhateverTheIcon)
{
    const struct {
        int style;
        QList<int> answers;
        int enter[3]; // with vbDefaultButton1, 2, 3
        int escape;
    } cases[] = {
        {vbOKOnly, {vbOK}, {vbOK, vbOK, vbOK}, vbOK},
        {vbOKCancel + vbCritical, {vbOK, vbCancel}, {vbOK, vbCancel, vbOK}, vbCancel},
        {vbAbortRetryIgnore, {vbAbort, vbRetry, vbIgnore}, {vbAbort, vbRetry, vbIgnore}, 0},
        {vbYesNoCancel + vbExclamation, {vbYes, vbNo, vbCancel}, {vbYes, vbNo, vbCancel}, vbCancel},
        {vbYesNo + vbQuestion, {vbYes, vbNo}, {vbYes, vbNo, vbYes}, vbNo},
        {vbRetryCancel + vbInformation, {vbRetry, vbCancel}, {vbRetry, vbCancel, vbRetry}, vbCancel},
        // An unknown button group is an OK box.
        {6, {vbOK}, {vbOK, vbOK, vbOK}, vbOK},
    };
    const int defaults[] = {vbDefaultButton1, vbDefaultButton2, vbDefaultButton3};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.style);
        EXPECT_EQ(messageBoxAnswers(c.style), c.answers);
        EXPECT_EQ(escapeAnswer(c.style), c.escape);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(defaultAnswer(c.style + defaults[i]), c.enter[i]) << "default button " << i + 1;
    }
    // vbDefaultButton4 names a fourth button no box has.
    EXPECT_EQ(defaultAnswer(vbYesNoCancel + 768), vbYes);
}

// A box takes the focus by default: the control that had it gets a
// focus-out while the box is up, as a real box's, and the focus back once
// it is answered.
TEST(ScriptedDesktop, ABoxThatTakesTheFocusLeavesTheControlForItsTimeAndGivesItBack)
{
    QWidget window;
    auto *edit = new QLineEdit(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    edit->setFocus();
    ASSERT_TRUE(edit->hasFocus());

    struct FocusLog : QObject
    {
        QStringList seen;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
                seen << QStringLiteral("%1 %2")
                            .arg(event->type() == QEvent::FocusIn ? QStringLiteral("in") : QStringLiteral("out"))
                            .arg(static_cast<QFocusEvent *>(event)->reason());
            return false;
        }
    } log;
    edit->installEventFilter(&log);

    ScriptedDesktop scripted;
    scripted.msgBox(QStringLiteral("Errore nell'inserimento dei dati"));
    const QStringList away{QStringLiteral("out %1").arg(Qt::ActiveWindowFocusReason),
                           QStringLiteral("in %1").arg(Qt::ActiveWindowFocusReason)};
    EXPECT_EQ(log.seen, away);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(QApplication::activeWindow(), &window);
    scripted.getSaveFileName({});
    EXPECT_EQ(log.seen, away + away);

    // Without it nothing moves.
    scripted.setTakesFocus(false);
    scripted.msgBox(QStringLiteral("Errore nell'inserimento dei dati"));
    EXPECT_EQ(log.seen, away + away);
}
