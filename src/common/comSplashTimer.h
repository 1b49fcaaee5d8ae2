#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

#include <functional>

// The splash window's minimum display time: started when the splash comes
// up, it tells how long is left and waits that out while the event loop
// keeps running. The clock and the waiting can be replaced, so that the
// splash's logic is checked without really waiting.
class comSplashTimer
{
public:
    // Milliseconds since any fixed moment.
    using Clock = std::function<qint64()>;
    // Lets the event loop run for about the given milliseconds.
    using Wait = std::function<void(qint64)>;

    comSplashTimer();

    void setClock(Clock clock);
    void setWait(Wait wait);

    // Starts a minimum time of `interval` milliseconds; 0 or less leaves the
    // timer off (no minimum time).
    void Start(int interval);
    // Switches the timer off whatever is left.
    void Stop() { m_enabled = false; }

    // True while the minimum time is not over yet.
    bool Enabled() const;
    // Milliseconds still to wait, 0 when the timer is off or over.
    qint64 Remaining() const;

    // Returns once the minimum time is over, letting events run meanwhile.
    void WaitUntilOver();

private:
    Clock m_clock;
    Wait m_wait;
    QElapsedTimer m_elapsed;
    bool m_enabled = false;
    qint64 m_deadline = 0;
};
