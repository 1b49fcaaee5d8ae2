#include "platform/desktop/QtDesktopServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QStandardPaths>

#include <utility>

namespace platform {

namespace {

// A message box whose Esc key and close button can be switched off, for the
// boxes (Abort/Retry/Ignore) that must be answered with one of their buttons.
class ClassicMessageBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

    void setEscapeEnabled(bool enabled) { m_escapeEnabled = enabled; }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (!m_escapeEnabled && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }

    void closeEvent(QCloseEvent *event) override
    {
        if (!m_escapeEnabled) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

private:
    bool m_escapeEnabled = true;
};

constexpr std::pair<int, QMessageBox::StandardButton> answerButtons[] = {
    {vbOK, QMessageBox::Ok},       {vbCancel, QMessageBox::Cancel}, {vbAbort, QMessageBox::Abort},
    {vbRetry, QMessageBox::Retry}, {vbIgnore, QMessageBox::Ignore}, {vbYes, QMessageBox::Yes},
    {vbNo, QMessageBox::No},
};

QMessageBox::StandardButton buttonFor(int answer)
{
    for (const auto &[vb, button] : answerButtons)
        if (vb == answer)
            return button;
    return QMessageBox::NoButton;
}

int answerFor(QMessageBox::StandardButton button)
{
    for (const auto &[vb, standard] : answerButtons)
        if (standard == button)
            return vb;
    return 0;
}

QMessageBox::Icon iconFor(int style)
{
    switch (style & vbIconMask) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// Dialogs open over the window the user is working in.
QWidget *dialogParent()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

std::optional<QString> runFileDialog(const FileDialogRequest &request, bool save)
{
    QFileDialog dialog(dialogParent());
    QtDesktopServices::configureFileDialog(dialog, request, save);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return QDir::fromNativeSeparators(files.first());
}

} // namespace

int QtDesktopServices::msgBox(const QString &prompt, int style, const QString &title)
{
    // The windows write line breaks as CR LF; the text is never markup.
    QString text = prompt;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');

    ClassicMessageBox box(dialogParent());
    box.setWindowTitle(messageBoxCaption(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(iconFor(style));

    QMessageBox::StandardButtons buttons;
    const QList<int> answers = messageBoxAnswers(style);
    for (int answer : answers)
        buttons |= buttonFor(answer);
    box.setStandardButtons(buttons);
    box.setDefaultButton(buttonFor(defaultAnswer(style)));

    const int escape = escapeAnswer(style);
    if (escape != 0) {
        box.setEscapeButton(buttonFor(escape));
    } else {
        box.setEscapeEnabled(false);
        applyNoCloseButton(&box);
    }

    box.exec();
    const int answer = answerFor(box.standardButton(box.clickedButton()));
    if (answer != 0)
        return answer;
    return escape != 0 ? escape : defaultAnswer(style);
}

void QtDesktopServices::configureFileDialog(QFileDialog &dialog, const FileDialogRequest &request,
                                            bool save)
{
    // Without a title Qt shows its own ("Open", "Save As"), as the common dialog did.
    if (!request.title.isEmpty())
        dialog.setWindowTitle(request.title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(!save && (request.flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile
                                                                    : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite,
                     !(save && (request.flags & OFN_OVERWRITEPROMPT)));

    const NameFilters filters = toNameFilters(request.filter, request.filterIndex);
    if (!filters.filters.isEmpty()) {
        dialog.setNameFilters(filters.filters);
        dialog.selectNameFilter(filters.selected);
    }

    QString suffix = request.defaultExt.trimmed();
    while (suffix.startsWith(u'.'))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);

    if (!request.initialDir.isEmpty())
        dialog.setDirectory(request.initialDir);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
}

std::optional<QString> QtDesktopServices::getOpenFileName(const FileDialogRequest &request)
{
    return runFileDialog(request, false);
}

std::optional<QString> QtDesktopServices::getSaveFileName(const FileDialogRequest &request)
{
    return runFileDialog(request, true);
}

std::optional<QFont> QtDesktopServices::chooseFont(const QFont &initial, const QString &title)
{
    QFontDialog dialog(initial, dialogParent());
    if (!title.isEmpty())
        dialog.setWindowTitle(title);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}

bool QtDesktopServices::showHelp(const QString &helpFile, int /*contextId*/)
{
    const QFileInfo info(helpFile);
    if (helpFile.isEmpty() || !info.isFile())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

bool QtDesktopServices::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

QString QtDesktopServices::standardDocumentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir::cleanPath(documents.isEmpty() ? QDir::homePath() : documents);
}

QString QtDesktopServices::documentsFolder()
{
    return standardDocumentsFolder();
}

QList<PrinterDescription> QtDesktopServices::installedPrinters()
{
    QList<PrinterDescription> printers;
    const QList<QPrinterInfo> available = QPrinterInfo::availablePrinters();
    for (const QPrinterInfo &info : available) {
        const QString model = info.makeAndModel();
        printers.append({info.printerName(), model.isEmpty() ? info.description() : model});
    }
    return printers;
}

QString QtDesktopServices::defaultPrinter()
{
    return QPrinterInfo::defaultPrinterName();
}

void QtDesktopServices::removeCloseButton(QWidget *window)
{
    applyNoCloseButton(window);
}

void QtDesktopServices::setFrameless(QWidget *window, bool frameless)
{
    applyFrameless(window, frameless);
}

} // namespace platform
