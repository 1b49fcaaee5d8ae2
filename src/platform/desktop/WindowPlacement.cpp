#include "platform/desktop/WindowPlacement.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

namespace platform {

namespace {

// The frame around a window's client area. Until the window manager has
// framed a window its frame is unknown: a title bar is allowed for then.
QMargins frameOf(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    if (handle && !handle->frameMargins().isNull())
        return handle->frameMargins();
    if (window->windowFlags() & Qt::FramelessWindowHint)
        return {};
    return {0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0};
}

// Fits its window to the screen whenever the program shows it.
class ScreenFitter : public QObject
{
public:
    explicit ScreenFitter(QWidget *window) : QObject(window) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && !event->spontaneous() && watched == parent())
            fitToScreen(static_cast<QWidget *>(watched));
        return false;
    }
};

} // namespace

QRect fitIntoArea(const QRect &frame, const QRect &area)
{
    QRect fitted(frame.topLeft(), frame.size().boundedTo(area.size()));
    if (fitted.right() > area.right())
        fitted.moveRight(area.right());
    if (fitted.bottom() > area.bottom())
        fitted.moveBottom(area.bottom());
    if (fitted.left() < area.left())
        fitted.moveLeft(area.left());
    if (fitted.top() < area.top())
        fitted.moveTop(area.top());
    return fitted;
}

void fitToScreen(QWidget *window)
{
    const QMargins margins = frameOf(window);
    const QRect frame = window->geometry().marginsAdded(margins);
    const QScreen *screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = window->screen();
    if (!screen)
        return;
    const QRect fitted = fitIntoArea(frame, screen->availableGeometry());
    if (fitted.size() != frame.size()) {
        const QSize client = fitted.size().shrunkBy(margins);
        window->setMinimumSize(window->minimumSize().boundedTo(client));
        window->resize(client);
    }
    const bool placesItself = qobject_cast<QDialog *>(window) && !window->testAttribute(Qt::WA_Moved);
    if (!placesItself && fitted.topLeft() != frame.topLeft())
        window->move(fitted.topLeft());
}

void keepOnScreen(QWidget *window)
{
    window->installEventFilter(new ScreenFitter(window));
}

} // namespace platform
