// The E4000 and R820T limit searches: coarse-to-fine steps over the tuner's refusals.
#include "app/frequency_search.h"

#include "app/controls_actions.h"

namespace varnock {

namespace {

enum class While { Accepted, Refused, NotRefused };
enum class Until { Above, Below, NotZero };

// One search in progress: the probed frequency and the last answer.
struct Probe {
    const RtlSdrApi& api;
    rtlsdr_dev_t* device;
    uint32_t f;
    int r;

    bool holds(While w) const
    {
        switch (w) {
        case While::Accepted: return r == 0;
        case While::Refused: return r < 0;
        case While::NotRefused: return r >= 0;
        }
        return false;
    }
    // Steps of `step` Hz (negative: down) while the answer holds and f is short of the limit.
    void loop(int64_t step, While w, Until u, uint32_t limit)
    {
        for (;;) {
            if (!holds(w)) return;
            if (u == Until::Above && !(f > limit)) return;
            if (u == Until::Below && !(f < limit)) return;
            if (u == Until::NotZero && f == 0) return;
            // A step down past 0 Hz stops at 0, where the "not 0" loops end.
            const int64_t next = int64_t(f) + step;
            f = next < 0 ? 0u : static_cast<uint32_t>(next);
            r = api.set_center_freq(device, f);
        }
    }
};

std::string quotedKHz(uint32_t f) { return "\"" + kiloHertzText(f) + " kHz\""; }

// The E4000 rows share one shape: a coarse, a medium, a fine and a finest loop, then a report.
struct E4000Row {
    const char* label;
    uint32_t start;
    int startR;
    uint32_t low, high; // the loops move between these
    bool downFirst;     // loop 1 moves down (and loop 2 up), or the other way
    While w1, w2, w3, w4;
    bool reportWhenAccepted; // else when refused
    int64_t reportOffset;
    bool closingQuote;
};

void runE4000(Probe& p, const E4000Row& row, const LogFn& log)
{
    p.f = row.start;
    p.r = row.startR;
    const int64_t sign = row.downFirst ? -1 : 1;
    const Until toward = row.downFirst ? Until::Above : Until::Below;
    const Until back = row.downFirst ? Until::Below : Until::Above;
    const uint32_t towardLimit = row.downFirst ? row.low : row.high;
    const uint32_t backLimit = row.downFirst ? row.high : row.low;
    p.loop(sign * 1000000, row.w1, toward, towardLimit);
    p.loop(-sign * 100000, row.w2, back, backLimit);
    p.loop(sign * 10000, row.w3, toward, towardLimit);
    p.loop(-sign * 1000, row.w4, back, backLimit);

    const bool report = row.reportWhenAccepted ? p.r == 0 : p.r < 0;
    if (report) {
        const uint32_t f = static_cast<uint32_t>(int64_t(p.f) + row.reportOffset);
        std::string line = std::string(row.label) + "\"" + kiloHertzText(f) + " kHz";
        if (row.closingQuote) line += "\"";
        log(line);
    } else {
        log("Cannot set freq:" + std::to_string(p.r));
    }
}

constexpr While A = While::Accepted, R = While::Refused, NR = While::NotRefused;

const E4000Row kE4000[] = {
    {"First VHF freq set: ", 70000000, 0, 50000000, 70000000, true, A, R, A, NR, false, -1000, true},
    {"Last UHF freq set: ", 2300000000u, -1, 1000000000, 2300000000u, true, R, A, R, A, false, -1000, true},
    {"First L-gap freq set: ", 1000000000, 0, 1000000000, 1300000000, false, A, R, A, R, true, 1000, true},
    {"Last L-gap freq set: ", 1300000000, 0, 1000000000, 1300000000, true, A, R, A, R, true, -1000, true},
    {"First HF freq set: ", 15000000, 0, 10000000, 15000000, true, A, R, A, NR, false, -1000, false},
    {"Last HF freq set: ", 40000000, -1, 10000000, 40000000, true, R, A, R, A, false, -1000, true},
};

void runR820T(Probe& p, const LogFn& log)
{
    p.f = 42000000;
    p.r = 0;
    p.loop(-10000000, A, Until::NotZero, 0);
    p.r = 0;
    p.loop(1000000, A, Until::Below, 42000000);
    p.r = 0;
    p.loop(-1000000, A, Until::NotZero, 0);
    p.loop(100000, A, Until::Below, 42000000);
    p.loop(-10000, A, Until::NotZero, 0);
    log("Lowest tuner freq set: " + quotedKHz(p.f + 10000));

    p.f = 1650000000;
    p.r = 0;
    p.loop(10000000, A, Until::Below, 2000000000);
    p.r = 0;
    p.loop(-1000000, A, Until::Above, 1642000000);
    p.r = 0;
    p.loop(1000000, A, Until::Below, 2000000000);
    log("Highest HF freq set: " + quotedKHz(p.f - 1000000));
}

} // namespace

std::string kiloHertzText(uint32_t f) { return shortestDecimal(f / 1000.0); }

void FrequencyRangeSearch(const RtlSdrApi& api, rtlsdr_dev_t* device, int tunerType, const LogFn& log)
{
    log("Searching frequencies...please wait...");
    Probe p{api, device, 0, 0};
    if (tunerType == 1) {
        for (const E4000Row& row : kE4000) runE4000(p, row, log);
    } else if (tunerType == 5) {
        runR820T(p, log);
    }
    log("Max/min/gap search completed...");
}

} // namespace varnock
