#include "common/comSplashTimer.h"

#include <QEventLoop>
#include <QTimer>

#include <utility>

comSplashTimer::comSplashTimer()
{
    m_elapsed.start();
    m_clock = [this] { return m_elapsed.elapsed(); };
    m_wait = [](qint64 milliseconds) {
        // A local event loop, so that paint events, timers and input for the
        // windows already shown go on being handled during the wait.
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(milliseconds), Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    };
}

void comSplashTimer::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

void comSplashTimer::setWait(Wait wait)
{
    m_wait = std::move(wait);
}

void comSplashTimer::Start(int interval)
{
    if (interval <= 0)
        return;
    m_enabled = true;
    m_deadline = m_clock() + interval;
}

bool comSplashTimer::Enabled() const
{
    return Remaining() > 0;
}

qint64 comSplashTimer::Remaining() const
{
    if (!m_enabled)
        return 0;
    return qMax<qint64>(0, m_deadline - m_clock());
}

void comSplashTimer::WaitUntilOver()
{
    for (qint64 left = Remaining(); left > 0; left = Remaining())
        m_wait(left);
    m_enabled = false;
}
