// Clock interface: every reading of wall, local and UTC time in the core goes through it.
#pragma once

#include <cstdint>

namespace varnock {

struct LocalDateTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since 1970-01-01 00:00:00 UTC.
    virtual int64_t utcMs() const = 0;
    // Local calendar time of the same instant (the 30003-style lines use it).
    virtual LocalDateTime localTime() const = 0;

    // Whole UTC seconds since 1970 minus 7200: the time scale of `lastseen` and the HTTP replies.
    int64_t shiftedUnixSeconds() const;
};

// Live runs: the operating system's clock and time zone.
class SystemClock final : public Clock {
public:
    int64_t utcMs() const override;
    LocalDateTime localTime() const override;
};

// Tests and the replay tool: time moves only when told to; local time equals UTC so runs are
// reproducible on any machine.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(int64_t startUtcMs = kDefaultStartMs) : now_(startUtcMs) {}
    int64_t utcMs() const override { return now_; }
    LocalDateTime localTime() const override;
    void advanceMs(int64_t ms) { now_ += ms; }
    void setUtcMs(int64_t ms) { now_ = ms; }

    // 2026-01-01 00:00:00 UTC.
    static constexpr int64_t kDefaultStartMs = 1767225600000LL;

private:
    int64_t now_;
};

// Calendar fields of a UTC instant (proleptic Gregorian, no time zone).
LocalDateTime utcDateTime(int64_t utcMs);

} // namespace varnock
