#include "platform/desktop/ScriptedDesktop.h"

#include "platform/desktop/QtDesktopServices.h"

#include <QFileInfo>
#include <QtDebug>

namespace platform {

namespace {
template <typename T>
std::optional<T> takeFront(std::deque<std::optional<T>> &queue)
{
    std::optional<T> answer;
    if (!queue.empty()) {
        answer.swap(queue.front());
        queue.pop_front();
    }
    return answer;
}
} // namespace

ScriptedDesktop::ScriptedDesktop()
    : m_documentsFolder(QtDesktopServices::standardDocumentsFolder())
{
}

int ScriptedDesktop::msgBox(const QString &prompt, int style, const QString &title)
{
    int answer = defaultAnswer(style);
    if (!m_msgBoxAnswers.empty()) {
        answer = m_msgBoxAnswers.front();
        m_msgBoxAnswers.pop_front();
        // A queued answer the box has no button for means the test expected
        // another question here; say so instead of failing silently later.
        if (!messageBoxAnswers(style).contains(answer))
            qWarning("ScriptedDesktop: answer %d queued for a box of style %d that has no such "
                     "button: \"%s\"",
                     answer, style, qUtf8Printable(prompt));
    }
    m_calls.emplace_back(MsgBoxCall{prompt, style, title, messageBoxCaption(title), answer});
    return answer;
}

std::optional<QString> ScriptedDesktop::getOpenFileName(const FileDialogRequest &request)
{
    m_calls.emplace_back(OpenFileCall{request});
    return takeFront(m_openAnswers);
}

std::optional<QString> ScriptedDesktop::getSaveFileName(const FileDialogRequest &request)
{
    m_calls.emplace_back(SaveFileCall{request});
    return takeFront(m_saveAnswers);
}

std::optional<QFont> ScriptedDesktop::chooseFont(const QFont &initial, const QString &title)
{
    m_calls.emplace_back(FontCall{initial, title});
    return takeFront(m_fontAnswers);
}

bool ScriptedDesktop::showHelp(const QString &helpFile, int contextId)
{
    m_calls.emplace_back(HelpCall{helpFile, contextId});
    if (m_helpFileExists)
        return *m_helpFileExists;
    return !helpFile.isEmpty() && QFileInfo(helpFile).isFile();
}

bool ScriptedDesktop::openUrl(const QUrl &url)
{
    m_calls.emplace_back(UrlCall{url});
    return m_openUrlResult;
}

QString ScriptedDesktop::documentsFolder()
{
    m_calls.emplace_back(DocumentsFolderCall{});
    return m_documentsFolder;
}

QList<PrinterDescription> ScriptedDesktop::installedPrinters()
{
    m_calls.emplace_back(PrintersCall{});
    return m_printers;
}

QString ScriptedDesktop::defaultPrinter()
{
    m_calls.emplace_back(DefaultPrinterCall{});
    return m_defaultPrinter;
}

void ScriptedDesktop::removeCloseButton(QWidget *window)
{
    m_calls.emplace_back(RemoveCloseButtonCall{window});
    applyNoCloseButton(window);
}

void ScriptedDesktop::setFrameless(QWidget *window, bool frameless)
{
    m_calls.emplace_back(FramelessCall{window, frameless});
    applyFrameless(window, frameless);
}

int ScriptedDesktop::pendingAnswers() const
{
    return static_cast<int>(m_msgBoxAnswers.size() + m_openAnswers.size() + m_saveAnswers.size()
                            + m_fontAnswers.size());
}

QStringList ScriptedDesktop::prompts() const
{
    QStringList result;
    for (const MsgBoxCall &call : msgBoxes())
        result << call.prompt;
    return result;
}

void ScriptedDesktop::clear()
{
    m_calls.clear();
    m_msgBoxAnswers.clear();
    m_openAnswers.clear();
    m_saveAnswers.clear();
    m_fontAnswers.clear();
}

ScopedScriptedDesktop::ScopedScriptedDesktop()
{
    auto scripted = std::make_unique<ScriptedDesktop>();
    m_scripted = scripted.get();
    m_previous = installDesktop(std::move(scripted));
}

ScopedScriptedDesktop::~ScopedScriptedDesktop()
{
    // Dropping what installDesktop hands back destroys our ScriptedDesktop.
    installDesktop(std::move(m_previous));
}

} // namespace platform
