#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

class QWidget;

namespace platform {

// Message-box styles, the same numbers the windows have always passed to MsgBox:
// one button group, plus one icon, plus one default button.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbAbortRetryIgnore = 2;
inline constexpr int vbYesNoCancel = 3;
inline constexpr int vbYesNo = 4;
inline constexpr int vbRetryCancel = 5;
inline constexpr int vbCritical = 16;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;
inline constexpr int vbDefaultButton1 = 0;
inline constexpr int vbDefaultButton2 = 256;
inline constexpr int vbDefaultButton3 = 512;

// Message-box answers.
inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;
inline constexpr int vbAbort = 3;
inline constexpr int vbRetry = 4;
inline constexpr int vbIgnore = 5;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

// The parts of a style.
inline constexpr int vbButtonsMask = 0x7;
inline constexpr int vbIconMask = 0x70;
inline constexpr int vbDefaultButtonMask = 0x300;

// The answers a box of this style offers, in the order its buttons are listed
// (an unknown button group is treated as vbOKOnly).
QList<int> messageBoxAnswers(int style);

// The answer Enter gives: the default button chosen by the style, or the first
// button when the style names a button the box does not have.
int defaultAnswer(int style);

// The answer Esc gives: Cancel where the box has it, else No, else OK for a
// box with OK alone; 0 when Esc does nothing (Abort/Retry/Ignore).
int escapeAnswer(int style);

// The caption a message box shows: the title, or the application's display
// name when the title is empty.
QString messageBoxCaption(const QString &title);

// Bits of the file dialogs' Flags, as the windows pass them.
inline constexpr int OFN_READONLY = 0x1;
inline constexpr int OFN_OVERWRITEPROMPT = 0x2;
inline constexpr int OFN_HIDEREADONLY = 0x4;
inline constexpr int OFN_NOCHANGEDIR = 0x8;
inline constexpr int OFN_PATHMUSTEXIST = 0x800;
inline constexpr int OFN_FILEMUSTEXIST = 0x1000;
inline constexpr int OFN_CREATEPROMPT = 0x2000;
inline constexpr int OFN_LONGNAMES = 0x200000;

// What a window asks of an open or save file dialog. filter has the
// common-dialog form "description|patterns|description|patterns", patterns
// separated by ';'; filterIndex picks one of them, counting from 1.
struct FileDialogRequest
{
    QString title;
    QString initialDir;
    QString fileName;
    QString filter;
    int filterIndex = 1;
    QString defaultExt;
    int flags = 0;

    bool operator==(const FileDialogRequest &) const = default;
};

// A common-dialog filter turned into Qt's name filters, with the one to select.
struct NameFilters
{
    QStringList filters;
    QString selected;  // empty when there are no filters
};

// Converts "Database (*.mdb)|*.mdb|Testo|*.txt;*.csv" to
// {"Database (*.mdb)", "Testo (*.txt *.csv)"}. A description that already ends
// with its patterns in parentheses is kept as written; otherwise the patterns
// are appended in parentheses, because Qt reads the patterns from there.
// An index out of range selects the first filter, as the common dialog does.
NameFilters toNameFilters(const QString &filter, int filterIndex = 1);

// One installed printer: the name to print to and a line describing it.
struct PrinterDescription
{
    QString deviceName;
    QString detail;

    bool operator==(const PrinterDescription &) const = default;
};

// Takes the close button off a top-level window, keeping its title bar and its
// other buttons; a window already shown is shown again with the new frame.
void applyNoCloseButton(QWidget *window);
// The window-flag change behind setFrameless().
void applyFrameless(QWidget *window, bool frameless);

// Everything the windows ask of the desktop that either waits for the user or
// reaches outside the program; tests put a scripted stand-in in its place.
class DesktopServices
{
public:
    virtual ~DesktopServices() = default;

    // Shows a message and returns the answer (vbOK, vbYes, ...).
    virtual int msgBox(const QString &prompt, int style = vbOKOnly, const QString &title = {}) = 0;

    // The chosen file with '/' separators, or nullopt when the user cancelled.
    virtual std::optional<QString> getOpenFileName(const FileDialogRequest &request) = 0;
    virtual std::optional<QString> getSaveFileName(const FileDialogRequest &request) = 0;

    // The chosen font, or nullopt when the user cancelled.
    virtual std::optional<QFont> chooseFont(const QFont &initial, const QString &title = {}) = 0;

    // Opens the help file at a topic (0 = its start page). False when the file
    // does not exist or cannot be opened; the caller tells the user.
    virtual bool showHelp(const QString &helpFile, int contextId) = 0;

    // Opens a web page or a new mail (mailto:) with the desktop's programs.
    virtual bool openUrl(const QUrl &url) = 0;

    // The user's documents folder ('/' separators).
    virtual QString documentsFolder() = 0;

    // The installed printers in the system's order, and the default one's
    // device name (empty when there is none).
    virtual QList<PrinterDescription> installedPrinters() = 0;
    virtual QString defaultPrinter() = 0;

    // Leaves the window without a close button in its title bar.
    virtual void removeCloseButton(QWidget *window) = 0;
    // Shows the window without any frame or title bar (true), or with its
    // usual ones again (false). Changing the frame hides a shown window:
    // the caller shows it again.
    virtual void setFrameless(QWidget *window, bool frameless) = 0;
};

// The services in use: the real desktop unless something else was installed.
DesktopServices &desktop();

// Puts services in place and returns the ones they replace (null when none had
// been used yet). Installing null goes back to the real desktop.
std::unique_ptr<DesktopServices> installDesktop(std::unique_ptr<DesktopServices> services);

} // namespace platform
