#include "platform/data/BusyHandler.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <mutex>
#include <optional>
#include <utility>

namespace platform::sqlite {

namespace {

using Clock = std::chrono::steady_clock;

std::mutex listenerMutex;
BusyListener &currentListener()
{
    static BusyListener current;
    return current;
}

// When the calling thread's current engine call began to wait.
thread_local std::optional<Clock::time_point> waitStart;

void tell(BusyWait event)
{
    BusyListener copy;
    {
        const std::lock_guard lock(listenerMutex);
        copy = currentListener();
    }
    if (!copy)
        return;
    try {
        copy(event);
    } catch (...) {
        // Called from inside the engine: nothing may unwind through it.
    }
}

// Short sleeps first, so that a lock held for a moment costs little.
int delayMs(int attempt)
{
    static constexpr int delays[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
    return attempt < static_cast<int>(std::size(delays)) ? delays[attempt] : 100;
}

} // namespace

void BusyHandler::install(sqlite3 *db)
{
    sqlite3_busy_handler(db, &BusyHandler::retry, this);
}

int BusyHandler::retry(void *handler, int attempt)
{
    const int timeout = static_cast<BusyHandler *>(handler)->m_timeout;
    if (timeout <= 0)
        return 0;
    const Clock::time_point now = Clock::now();
    if (!waitStart) {
        waitStart = now;
        tell(BusyWait::Started);
    }
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - *waitStart).count();
    if (waited >= timeout)
        return 0;
    sqlite3_sleep(static_cast<int>(std::min<long long>(delayMs(attempt), timeout - waited)));
    return 1;
}

void BusyHandler::endWait()
{
    if (!waitStart)
        return;
    waitStart.reset();
    tell(BusyWait::Ended);
}

BusyListener BusyHandler::setListener(BusyListener listener)
{
    const std::lock_guard lock(listenerMutex);
    return std::exchange(currentListener(), std::move(listener));
}

} // namespace platform::sqlite
