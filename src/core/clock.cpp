// Clock implementations: system time for live runs, a stepped virtual clock for replays and tests.
#include "core/clock.h"

#include <chrono>
#include <ctime>

namespace varnock {

int64_t Clock::shiftedUnixSeconds() const
{
    int64_t ms = utcMs();
    int64_t s = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
    return s - 7200;
}

int64_t SystemClock::utcMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

LocalDateTime SystemClock::localTime() const
{
    std::time_t t = static_cast<std::time_t>(utcMs() / 1000);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

LocalDateTime VirtualClock::localTime() const { return utcDateTime(now_); }

LocalDateTime utcDateTime(int64_t utcMs)
{
    int64_t secs = utcMs >= 0 ? utcMs / 1000 : -((-utcMs + 999) / 1000);
    int64_t days = secs >= 0 ? secs / 86400 : -((-secs + 86399) / 86400);
    int64_t rem = secs - days * 86400;
    // Days to civil date (Howard Hinnant's algorithm).
    int64_t z = days + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = yoe + era * 400;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t d = doy - (153 * mp + 2) / 5 + 1;
    int64_t m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
    return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d),
            static_cast<int>(rem / 3600), static_cast<int>((rem / 60) % 60), static_cast<int>(rem % 60)};
}

} // namespace varnock
