#include "platform/desktop/DesktopServices.h"

#include "platform/desktop/QtDesktopServices.h"

#include <QGuiApplication>
#include <QWidget>

namespace platform {

QList<int> messageBoxAnswers(int style)
{
    switch (style & vbButtonsMask) {
    case vbOKCancel:
        return {vbOK, vbCancel};
    case vbAbortRetryIgnore:
        return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel:
        return {vbYes, vbNo, vbCancel};
    case vbYesNo:
        return {vbYes, vbNo};
    case vbRetryCancel:
        return {vbRetry, vbCancel};
    default:
        return {vbOK};
    }
}

int defaultAnswer(int style)
{
    const QList<int> answers = messageBoxAnswers(style);
    const qsizetype index = (style & vbDefaultButtonMask) >> 8;
    return index < answers.size() ? answers.at(index) : answers.first();
}

int escapeAnswer(int style)
{
    const QList<int> answers = messageBoxAnswers(style);
    for (int answer : {vbCancel, vbNo})
        if (answers.contains(answer))
            return answer;
    return answers == QList<int>{vbOK} ? vbOK : 0;
}

QString messageBoxCaption(const QString &title)
{
    return title.isEmpty() ? QGuiApplication::applicationDisplayName() : title;
}

namespace {

// Splits "*.mdb; *.mde" (or a blank- or comma-separated list) into patterns.
QStringList splitPatterns(const QString &text)
{
    QStringList patterns;
    QString current;
    for (QChar c : text) {
        if (c == u';' || c == u',' || c.isSpace()) {
            if (!current.isEmpty())
                patterns << current;
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.isEmpty())
        patterns << current;
    return patterns;
}

// One Qt name filter for a description and its patterns. Qt takes the patterns
// from the last parenthesised group of the filter and splits them at blanks,
// so that group must list exactly the patterns, blank-separated.
QString nameFilter(const QString &description, const QStringList &patterns)
{
    const QString joined = patterns.join(u' ');
    const QString desc = description.trimmed();
    if (desc.isEmpty())
        return joined;

    if (desc.endsWith(u')')) {
        const qsizetype open = desc.lastIndexOf(u'(');
        if (open >= 0) {
            const QStringList own = splitPatterns(desc.mid(open + 1, desc.size() - open - 2));
            QStringList sortedOwn = own;
            QStringList sortedPatterns = patterns;
            sortedOwn.sort();
            sortedPatterns.sort();
            if (sortedOwn == sortedPatterns)
                return desc.left(open) + u'(' + own.join(u' ') + u')';
        }
    }
    return desc + QStringLiteral(" (") + joined + u')';
}

} // namespace

NameFilters toNameFilters(const QString &filter, int filterIndex)
{
    NameFilters result;
    if (filter.trimmed().isEmpty())
        return result;

    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QStringList patterns = splitPatterns(parts.at(i + 1));
        if (patterns.isEmpty())
            continue;  // a description without patterns filters nothing
        const QString entry = nameFilter(parts.at(i), patterns);
        result.filters << entry;
        if (i / 2 + 1 == filterIndex)
            result.selected = entry;
    }
    if (result.selected.isEmpty() && !result.filters.isEmpty())
        result.selected = result.filters.first();
    return result;
}

void applyFrameless(QWidget *window, bool frameless)
{
    if (!window)
        return;
    QWidget *top = window->window();
    top->setWindowFlag(Qt::FramelessWindowHint, frameless);
}

void applyNoCloseButton(QWidget *window)
{
    if (!window)
        return;
    QWidget *top = window->window();
    Qt::WindowFlags flags = top->windowFlags();
    if (!(flags & Qt::CustomizeWindowHint)) {
        // Once CustomizeWindowHint is set only the hints named explicitly are
        // drawn, so name the ones the window had by default.
        flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
        const Qt::WindowType type = top->windowType();
        if (type != Qt::Dialog && type != Qt::Sheet && type != Qt::Tool)
            flags |= Qt::WindowMinMaxButtonsHint;
    }
    flags |= Qt::CustomizeWindowHint;
    flags &= ~Qt::WindowCloseButtonHint;
    if (flags == top->windowFlags())
        return;
    const bool wasVisible = top->isVisible();
    top->setWindowFlags(flags);  // hides the window
    if (wasVisible)
        top->show();
}

namespace {
std::unique_ptr<DesktopServices> &installed()
{
    static std::unique_ptr<DesktopServices> services;
    return services;
}
} // namespace

DesktopServices &desktop()
{
    std::unique_ptr<DesktopServices> &services = installed();
    if (!services)
        services = std::make_unique<QtDesktopServices>();
    return *services;
}

std::unique_ptr<DesktopServices> installDesktop(std::unique_ptr<DesktopServices> services)
{
    std::unique_ptr<DesktopServices> previous = std::move(installed());
    installed() = std::move(services);
    return previous;
}

} // namespace platform
