#include "platform/desktop/ScriptedDesktop.h"

#include "platform/desktop/QtDesktopServices.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>
#include <QtDebug>

namespace platform {

namespace {

// For its lifetime, a modal window stands where the real box or dialog
// would: it becomes the active window, as the desktop makes a new modal
// window, and the window that was active gets the focus back afterwards.
class StandIn
{
public:
    explicit StandIn(bool active)
    {
        // Without a widget application (a helper program) there is no
        // window to take the focus from.
        if (!active || !qobject_cast<QApplication *>(QCoreApplication::instance()))
            return;
        m_previous = QApplication::activeWindow();
        m_box = std::make_unique<QWidget>(nullptr, Qt::Dialog);
        m_box->setWindowModality(Qt::ApplicationModal);
        m_box->setAttribute(Qt::WA_DontShowOnScreen);
        m_box->show();
        QApplication::setActiveWindow(m_box.get());
    }
    ~StandIn()
    {
        if (!m_box)
            return;
        m_box->hide();
        if (m_previous)
            QApplication::setActiveWindow(m_previous);
    }
    StandIn(const StandIn &) = delete;
    StandIn &operator=(const StandIn &) = delete;

private:
    QPointer<QWidget> m_previous;
    std::unique_ptr<QWidget> m_box;
};

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
    StandIn box(m_takesFocus);
    return answer;
}

std::optional<QString> ScriptedDesktop::getOpenFileName(const FileDialogRequest &request)
{
    m_calls.emplace_back(OpenFileCall{request});
    StandIn dialog(m_takesFocus);
    return takeFront(m_openAnswers);
}

std::optional<QString> ScriptedDesktop::getSaveFileName(const FileDialogRequest &request)
{
    m_calls.emplace_back(SaveFileCall{request});
    StandIn dialog(m_takesFocus);
    return takeFront(m_saveAnswers);
}

std::optional<QFont> ScriptedDesktop::chooseFont(const QFont &initial, const QString &title)
{
    m_calls.emplace_back(FontCall{initial, title});
    StandIn dialog(m_takesFocus);
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
