#pragma once

#include "platform/desktop/DesktopServices.h"

#include <deque>
#include <variant>
#include <vector>

namespace platform {

// One record per kind of call the scripted desktop receives.
struct MsgBoxCall
{
    QString prompt;
    int style = vbOKOnly;
    QString title;    // as passed (empty = the application's name)
    QString caption;  // what the real box would show in its title bar
    int answer = 0;   // what the call returned
};

struct OpenFileCall
{
    FileDialogRequest request;
};

struct SaveFileCall
{
    FileDialogRequest request;
};

struct FontCall
{
    QFont initial;
    QString title;
};

struct HelpCall
{
    QString helpFile;
    int contextId = 0;
};

struct UrlCall
{
    QUrl url;
};

struct DocumentsFolderCall
{
};

struct PrintersCall
{
};

struct DefaultPrinterCall
{
};

struct RemoveCloseButtonCall
{
    QWidget *window = nullptr;  // for identity only; may be gone by now
};

struct FramelessCall
{
    QWidget *window = nullptr;  // for identity only; may be gone by now
    bool frameless = false;
};

using DesktopCall = std::variant<MsgBoxCall, OpenFileCall, SaveFileCall, FontCall, HelpCall, UrlCall,
                                 DocumentsFolderCall, PrintersCall, DefaultPrinterCall,
                                 RemoveCloseButtonCall, FramelessCall>;

// Desktop services for tests: records every call in order and answers from
// queues the test fills beforehand, so that nothing waits for a user.
class ScriptedDesktop : public DesktopServices
{
public:
    ScriptedDesktop();

    int msgBox(const QString &prompt, int style = vbOKOnly, const QString &title = {}) override;
    std::optional<QString> getOpenFileName(const FileDialogRequest &request) override;
    std::optional<QString> getSaveFileName(const FileDialogRequest &request) override;
    std::optional<QFont> chooseFont(const QFont &initial, const QString &title = {}) override;
    bool showHelp(const QString &helpFile, int contextId) override;
    bool openUrl(const QUrl &url) override;
    QString documentsFolder() override;
    QList<PrinterDescription> installedPrinters() override;
    QString defaultPrinter() override;
    // Really takes the close button off (so a test can check the window's
    // flags) and records the call.
    void removeCloseButton(QWidget *window) override;
    void setFrameless(QWidget *window, bool frameless) override;

    // Answers, used first in first out. With its queue empty a message box
    // answers as Enter would (defaultAnswer) and a dialog is cancelled.
    void queueMsgBox(int answer) { m_msgBoxAnswers.push_back(answer); }
    void queueOpenFile(std::optional<QString> path) { m_openAnswers.push_back(std::move(path)); }
    void queueSaveFile(std::optional<QString> path) { m_saveAnswers.push_back(std::move(path)); }
    void queueFont(std::optional<QFont> font) { m_fontAnswers.push_back(std::move(font)); }
    // Queued answers not used yet, of all kinds.
    int pendingAnswers() const;

    // What the queries return. By default: the standard documents folder
    // (below the test's HOME), no printers, whether the help file exists,
    // and true for openUrl.
    void setDocumentsFolder(const QString &folder) { m_documentsFolder = folder; }
    void setPrinters(const QList<PrinterDescription> &printers) { m_printers = printers; }
    void setDefaultPrinter(const QString &deviceName) { m_defaultPrinter = deviceName; }
    // nullopt: showHelp answers whether the file exists.
    void setHelpFileExists(std::optional<bool> exists) { m_helpFileExists = exists; }
    void setOpenUrlResult(bool result) { m_openUrlResult = result; }
    // Message boxes and file and font dialogs take the focus as real ones
    // do (the default): for the time of the call a modal stand-in window is
    // the active one, so the control that had the focus gets a focus-out
    // (reason ActiveWindowFocusReason) and, once the call is answered, a
    // focus-in. False leaves the focus alone.
    void setTakesFocus(bool takes) { m_takesFocus = takes; }

    // Every call so far, in order.
    const std::vector<DesktopCall> &calls() const { return m_calls; }

    // The calls of one kind, in order: callsOf<MsgBoxCall>().
    template <typename Call>
    std::vector<Call> callsOf() const
    {
        std::vector<Call> found;
        for (const DesktopCall &call : m_calls)
            if (const Call *typed = std::get_if<Call>(&call))
                found.push_back(*typed);
        return found;
    }

    std::vector<MsgBoxCall> msgBoxes() const { return callsOf<MsgBoxCall>(); }
    // The prompts of all message boxes shown so far.
    QStringList prompts() const;

    // Forgets the calls and the queued answers; the settings stay.
    void clear();

private:
    std::vector<DesktopCall> m_calls;
    std::deque<int> m_msgBoxAnswers;
    std::deque<std::optional<QString>> m_openAnswers;
    std::deque<std::optional<QString>> m_saveAnswers;
    std::deque<std::optional<QFont>> m_fontAnswers;
    QString m_documentsFolder;
    QList<PrinterDescription> m_printers;
    QString m_defaultPrinter;
    std::optional<bool> m_helpFileExists;
    bool m_openUrlResult = true;
    bool m_takesFocus = true;
};

// Installs a ScriptedDesktop for its own lifetime and puts the previous
// services back when it goes.
class ScopedScriptedDesktop
{
public:
    ScopedScriptedDesktop();
    ~ScopedScriptedDesktop();
    ScopedScriptedDesktop(const ScopedScriptedDesktop &) = delete;
    ScopedScriptedDesktop &operator=(const ScopedScriptedDesktop &) = delete;

    ScriptedDesktop &get() const { return *m_scripted; }
    ScriptedDesktop &operator*() const { return *m_scripted; }
    ScriptedDesktop *operator->() const { return m_scripted; }

private:
    ScriptedDesktop *m_scripted;
    std::unique_ptr<DesktopServices> m_previous;
};

} // namespace platform
