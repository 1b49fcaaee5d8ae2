// The real desktop services, driven through their real Qt dialogs offscreen,
// and the common-dialog filters ("desc|patterns|...") as Qt name filters.
#include "platform/desktop/QtDesktopServices.h"

#include "support/TestEnv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <functional>

using namespace platform;

namespace {

// Runs action on the dialog of type Dialog once it is the active modal widget,
// that is once the call under test has opened it and waits in its event loop.
template <typename Dialog>
void onModal(std::function<void(Dialog *)> action, int triesLeft = 100)
{
    QTimer::singleShot(0, [action, triesLeft] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
            action(dialog);
        } else if (triesLeft > 0) {
            onModal<Dialog>(action, triesLeft - 1);
        } else {
            ADD_FAILURE() << "no modal dialog appeared";
        }
    });
}

// Presses a key where the user's keystroke would land.
void pressKey(QWidget *dialog, Qt::Key key)
{
    QWidget *target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
    QTest::keyClick(target, key);
}

QStringList buttonTexts(const QMessageBox *box)
{
    QStringList texts;
    for (QMessageBox::StandardButton b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Ok,
                                          QMessageBox::Cancel, QMessageBox::Abort,
                                          QMessageBox::Retry, QMessageBox::Ignore})
        if (QAbstractButton *button = box->button(b); button && button->isVisible())
            texts << button->text();
    return texts;
}

} // namespace

TEST(QtMessageBox, YesNoWithSecondDefaultShowsItalianButtonsAndEnterAnswersNo)
{
    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral("qtbase_it"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QCoreApplication::installTranslator(&translator);

    QtDesktopServices services;
    bool inspected = false;
    onModal<QMessageBox>([&](QMessageBox *box) {
        inspected = true;
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Conferma"));
        EXPECT_EQ(box->text(), QStringLiteral("Eliminare l'articolo?"));
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(buttonTexts(box), (QStringList{QStringLiteral("&Sì"), QStringLiteral("&No")}));
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        pressKey(box, Qt::Key_Return);
    });
    const int answer = services.msgBox(QStringLiteral("Eliminare l'articolo?"),
                                       vbYesNo + vbQuestion + vbDefaultButton2,
                                       QStringLiteral("Conferma"));
    QCoreApplication::removeTranslator(&translator);
    EXPECT_TRUE(inspected);
    EXPECT_EQ(answer, vbNo);
}

TEST(QtMessageBox, EnterAnswersTheFirstButtonByDefaultAndEscapeCancelThenNoThenOk)
{
    QtDesktopServices services;
    const struct
    {
        int style;
        Qt::Key key;
        int expected;
    } cases[] = {
        {vbYesNoCancel, Qt::Key_Return, vbYes},
        {vbYesNo + vbDefaultButton1, Qt::Key_Escape, vbNo},
        {vbOKOnly + vbInformation, Qt::Key_Escape, vbOK},
        {vbYesNoCancel, Qt::Key_Escape, vbCancel},
        {vbRetryCancel + vbCritical, Qt::Key_Escape, vbCancel},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.style);
        const Qt::Key key = c.key;
        onModal<QMessageBox>([key](QMessageBox *box) { pressKey(box, key); });
        EXPECT_EQ(services.msgBox(QStringLiteral("Messaggio"), c.style), c.expected);
    }
}

TEST(QtMessageBox, AbortRetryIgnoreIgnoresEscapeAndHasNoCloseButton)
{
    QtDesktopServices services;
    onModal<QMessageBox>([](QMessageBox *box) {
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_FALSE(box->windowFlags() & Qt::WindowCloseButtonHint);
        pressKey(box, Qt::Key_Escape);
        EXPECT_FALSE(box->close());  // the window manager's close is refused too
        EXPECT_TRUE(box->isVisible());
        box->button(QMessageBox::Retry)->click();
    });
    EXPECT_EQ(services.msgBox(QStringLiteral("Stampante non pronta."), vbAbortRetryIgnore + vbCritical),
              vbRetry);
}

TEST(QtMessageBox, PromptIsPlainTextWithLineBreaksAndCaptionDefaultsToTheApplication)
{
    const QString before = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Velmora"));
    QtDesktopServices services;
    onModal<QMessageBox>([](QMessageBox *box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Velmora"));
        EXPECT_EQ(box->text(), QStringLiteral("Quantità <b>0</b>\nRiga due\nRiga tre"));
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(services.msgBox(QStringLiteral("Quantità <b>0</b>\r\nRiga due\rRiga tre"), vbExclamation),
              vbOK);
    QGuiApplication::setApplicationDisplayName(before);
}

TEST(FileFilters, DescriptionsGetTheirPatternsInParenthesesOnce)
{
    const struct {
        const char *filter;
        QStringList expected;
    } cases[] = {
        // Kept as written when the patterns are already there.
        {"File di Access (*.mdb)|*.mdb", {"File di Access (*.mdb)"}},
        // Appended otherwise, blank-separated as Qt reads them.
        {"Immagini|*.bmp;*.jpg; *.gif|Tutti i file|*.*", {"Immagini (*.bmp *.jpg *.gif)", "Tutti i file (*.*)"}},
        {"Database (*.mdb;*.mde)|*.mdb;*.mde", {"Database (*.mdb *.mde)"}},
        // Parentheses that are not the patterns do not count.
        {"Testo (solo ASCII)|*.txt", {"Testo (solo ASCII) (*.txt)"}},
        {"|*.csv;*.txt", {"*.csv *.txt"}},
        {"", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(toNameFilters(QString::fromUtf8(c.filter)).filters, c.expected) << c.filter;
}

TEST(FileFilters, TheIndexCountsFromOneOverWellFormedPairsAndFallsBackToTheFirst)
{
    // The second pair has no patterns and the trailing description none
    // either: index 3 still means the third pair as written.
    const QString filter = QStringLiteral("Access|*.mdb|Vuoto||Testo|*.txt|Avanzo");
    EXPECT_EQ(toNameFilters(filter, 3).filters, (QStringList{QStringLiteral("Access (*.mdb)"), QStringLiteral("Testo (*.txt)")}));
    EXPECT_EQ(toNameFilters(filter, 3).selected, QStringLiteral("Testo (*.txt)"));
    for (int outOfRange : {0, 2, 5, -1})
        EXPECT_EQ(toNameFilters(filter, outOfRange).selected, QStringLiteral("Access (*.mdb)")) << outOfRange;
    EXPECT_TRUE(toNameFilters(QString()).selected.isEmpty());
}

TEST(QtFileDialog, RequestsConfigureTheDialog)
{
    const QString folder = testsupport::freshDir();
    FileDialogRequest request;
    request.title = QStringLiteral("Salva copia");
    request.initialDir = folder;
    request.filter = QStringLiteral("File di Access (*.mdb)|*.mdb|Tutti i file|*.*");
    request.filterIndex = 2;
    request.defaultExt = QStringLiteral(".mdb");
    request.flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;

    QFileDialog dialog;
    QtDesktopServices::configureFileDialog(dialog, request, true);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Salva copia"));
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.fileMode(), QFileDialog::AnyFile);
    EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(dialog.nameFilters(), (QStringList{QStringLiteral("File di Access (*.mdb)"),
                                                 QStringLiteral("Tutti i file (*.*)")}));
    EXPECT_EQ(dialog.selectedNameFilter(), QStringLiteral("Tutti i file (*.*)"));
    EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("mdb"));
    EXPECT_EQ(dialog.directory().absolutePath(), folder);

    request.flags = 0;
    QFileDialog quiet;
    QtDesktopServices::configureFileDialog(quiet, request, true);
    EXPECT_TRUE(quiet.testOption(QFileDialog::DontConfirmOverwrite));

    // Opening needs an existing file only when asked.
    request.flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    QFileDialog mustExist;
    QtDesktopServices::configureFileDialog(mustExist, request, false);
    EXPECT_EQ(mustExist.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(mustExist.fileMode(), QFileDialog::ExistingFile);
    request.flags = OFN_HIDEREADONLY;
    QFileDialog any;
    QtDesktopServices::configureFileDialog(any, request, false);
    EXPECT_EQ(any.fileMode(), QFileDialog::AnyFile);
}

TEST(QtFileDialog, SaveAddsTheDefaultExtensionAndCancellingAnyDialogGivesNothing)
{
    const QString folder = testsupport::freshDir();
    FileDialogRequest request;
    request.initialDir = folder;
    request.fileName = QStringLiteral("magazzino");
    request.filter = QStringLiteral("File di Access (*.mdb)|*.mdb");
    request.defaultExt = QStringLiteral("mdb");

    QtDesktopServices services;
    // QFileDialog::accept is protected; QDialog's is public and virtual.
    onModal<QFileDialog>([](QFileDialog *dialog) { static_cast<QDialog *>(dialog)->accept(); });
    EXPECT_EQ(services.getSaveFileName(request), folder + "/magazzino.mdb");

    onModal<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
    EXPECT_EQ(services.getOpenFileName(request), std::nullopt);
    onModal<QFontDialog>([](QFontDialog *dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Carattere"));
        dialog->reject();
    });
    EXPECT_EQ(services.chooseFont(QFont(), QStringLiteral("Carattere")), std::nullopt);
}

TEST(QtDesktopServices, MissingHelpFileIsReportedAndDocumentsLieInTheHomeFolder)
{
    QtDesktopServices services;
    EXPECT_FALSE(services.showHelp(testsupport::freshDir() + "/velmora.chm", 0));
    EXPECT_FALSE(services.showHelp(QString(), 0));
    EXPECT_FALSE(services.showHelp(testsupport::freshDir(), 0));  // a folder is no help file

    const QString documents = services.documentsFolder();
    const QString home = QDir(testsupport::homeDir()).canonicalPath();
    EXPECT_TRUE(QDir::isAbsolutePath(documents));
    EXPECT_FALSE(documents.contains(u'\\'));
    EXPECT_FALSE(documents.endsWith(u'/'));
    EXPECT_TRUE(documents == testsupport::homeDir() || documents.startsWith(testsupport::homeDir() + "/")
                || documents == home || documents.startsWith(home + "/"))
        << documents.toStdString();
}

TEST(RemoveCloseButton, KeepsTitleAndOtherButtonsOfShownWindowsToo)
{
    QtDesktopServices services;
    QWidget window;
    services.removeCloseButton(&window);
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_EQ(flags & Qt::WindowMinMaxButtonsHint, Qt::WindowMinMaxButtonsHint);

    QDialog dialog;
    services.removeCloseButton(&dialog);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowTitleHint);

    services.removeCloseButton(nullptr);  // nothing to do

    // A shown window stays shown; a child means its window.
    QWidget shown;
    auto *child = new QLabel(&shown);
    shown.show();
    services.removeCloseButton(child);
    EXPECT_TRUE(shown.isVisible());
    EXPECT_FALSE(shown.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(child->isWindow());
}
