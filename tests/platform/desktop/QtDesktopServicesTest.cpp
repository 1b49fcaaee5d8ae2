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

#include "common/ModalCall.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace platform;
using namespace Qt::StringLiterals;

namespace {

using testsupport::onModal;

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
    ASSERT_TRUE(translator.load(u"qtbase_it"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QCoreApplication::installTranslator(&translator);

    QtDesktopServices services;
    bool inspected = false;
    onModal<QMessageBox>([&](QMessageBox *box) {
        inspected = true;
        EXPECT_EQ(box->windowTitle(), u"Conferma"_s);
        EXPECT_EQ(box->text(), u"Eliminare l'articolo?"_s);
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(buttonTexts(box), (QStringList{u"&Sì"_s, u"&No"_s}));
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        pressKey(box, Qt::Key_Return);
    });
    const int answer =
        services.msgBox(u"Eliminare l'articolo?"_s, vbYesNo + vbQuestion + vbDefaultButton2, u"Conferma"_s);
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
        {vbYesNoCancel, Qt::Key_Return, vbYes}, {vbYesNo + vbDefaultButton1, Qt::Key_Escape, vbNo},
        {vbOKOnly + vbInformation, Qt::Key_Escape, vbOK}, {vbYesNoCancel, Qt::Key_Escape, vbCancel},
        {vbRetryCancel + vbCritical, Qt::Key_Escape, vbCancel},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.style);
        const Qt::Key key = c.key;
        onModal<QMessageBox>([key](QMessageBox *box) { pressKey(box, key); });
        EXPECT_EQ(services.msgBox(u"Messaggio"_s, c.style), c.expected);
    }
}

TEST(QtMessageBox, AbortRetryIgnoreIgnoresEscapeAndThePromptIsPlainTextUnderTheApplicationsCaption)
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
    EXPECT_EQ(services.msgBox(u"Stampante non pronta."_s, vbAbortRetryIgnore + vbCritical), vbRetry);

    // A prompt is plain text with line breaks; the caption defaults to the application.
    const QString before = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(u"Velmora"_s);
    onModal<QMessageBox>([](QMessageBox *box) {
        EXPECT_EQ(box->windowTitle(), u"Velmora"_s);
        EXPECT_EQ(box->text(), u"Quantità <b>0</b>\nRiga due\nRiga tre"_s);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(services.msgBox(u"Quantità <b>0</b>\r\nRiga due\rRiga tre"_s, vbExclamation), vbOK);
    QGuiApplication::setApplicationDisplayName(before);
}

TEST(FileFilters, DescriptionsGetTheirPatternsOnceAndTheIndexCountsWellFormedPairsFromOne)
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
        {"Testo (solo ASCII)|*.txt", {"Testo (solo ASCII) (*.txt)"}}, {"|*.csv;*.txt", {"*.csv *.txt"}}, {"", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(toNameFilters(QString::fromUtf8(c.filter)).filters, c.expected) << c.filter;

    // The second pair has no patterns and the trailing description none
    // either: index 3 still means the third pair as written.
    const QString filter = u"Access|*.mdb|Vuoto||Testo|*.txt|Avanzo"_s;
    EXPECT_EQ(toNameFilters(filter, 3).filters, (QStringList{u"Access (*.mdb)"_s, u"Testo (*.txt)"_s}));
    EXPECT_EQ(toNameFilters(filter, 3).selected, u"Testo (*.txt)"_s);
    for (int outOfRange : {0, 2, 5, -1})
        EXPECT_EQ(toNameFilters(filter, outOfRange).selected, u"Access (*.mdb)"_s) << outOfRange;
    EXPECT_TRUE(toNameFilters(QString()).selected.isEmpty());
}

TEST(QtFileDialog, RequestsConfigureTheDialogSaveAddsTheExtensionAndCancellingGivesNothing)
{
    const QString folder = testsupport::freshDir();
    FileDialogRequest request;
    request.title = u"Salva copia"_s;
    request.initialDir = folder;
    request.filter = u"File di Access (*.mdb)|*.mdb|Tutti i file|*.*"_s;
    request.filterIndex = 2;
    request.defaultExt = u".mdb"_s;
    // A dialog for the request with these flags, to save or to open.
    const auto configured = [&request](int flags, bool save) {
        request.flags = flags;
        auto dialog = std::make_unique<QFileDialog>();
        QtDesktopServices::configureFileDialog(*dialog, request, save);
        return dialog;
    };

    const auto dialog = configured(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, true);
    EXPECT_EQ(dialog->windowTitle(), u"Salva copia"_s);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile);
    EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(dialog->nameFilters(), (QStringList{u"File di Access (*.mdb)"_s, u"Tutti i file (*.*)"_s}));
    EXPECT_EQ(dialog->selectedNameFilter(), u"Tutti i file (*.*)"_s);
    EXPECT_EQ(dialog->defaultSuffix(), u"mdb"_s);
    EXPECT_EQ(dialog->directory().absolutePath(), folder);
    EXPECT_TRUE(configured(0, true)->testOption(QFileDialog::DontConfirmOverwrite));
    // Opening needs an existing file only when asked.
    const auto mustExist = configured(OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, false);
    EXPECT_EQ(mustExist->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(mustExist->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(configured(OFN_HIDEREADONLY, false)->fileMode(), QFileDialog::AnyFile);

    // Saving adds the default extension; cancelling any dialog gives nothing.
    request.fileName = u"magazzino"_s;
    request.filter = u"File di Access (*.mdb)|*.mdb"_s;
    QtDesktopServices services;
    // QFileDialog::accept is protected; QDialog's is public and virtual.
    onModal<QFileDialog>([](QFileDialog *dialog) { static_cast<QDialog *>(dialog)->accept(); });
    EXPECT_EQ(services.getSaveFileName(request), folder + "/magazzino.mdb");

    onModal<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
    EXPECT_EQ(services.getOpenFileName(request), std::nullopt);
    onModal<QFontDialog>([](QFontDialog *dialog) {
        EXPECT_EQ(dialog->windowTitle(), u"Carattere"_s);
        dialog->reject();
    });
    EXPECT_EQ(services.chooseFont(QFont(), u"Carattere"_s), std::nullopt);
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
    const Qt::WindowFlags kept = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                 | Qt::WindowMinMaxButtonsHint;
    EXPECT_EQ(window.windowFlags() & (kept | Qt::WindowCloseButtonHint), kept);

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
