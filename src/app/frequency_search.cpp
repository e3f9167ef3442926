// The E4000 and R820T limit searches: coarse-to-fine steps over the tuner's refusals.
#include "app/frequency_search.h"

#include <charconv>

namespace varnock {

namespace {

enum class While { Accepted, Refused };
enum class Until { Above, Below, NotZero };

// One search in progress: the probed frequency and the last answer.
struct Probe {
    const RtlSdrApi& api;
    rtlsdr_dev_t* device;
    uint32_t f;
    int r;

    bool accepted() const { return r == 0; }
    bool refused() const { return r < 0; }
    bool holds(While w) const { return w == While::Accepted ? accepted() : refused(); }

    // Steps of `step` Hz (negative: down) while the answer holds and f is short of the limit.
    // Returns the number of steps taken.
    int loop(int64_t step, While w, Until u, uint32_t limit)
    {
        int steps = 0;
        for (;;) {
            if (!holds(w)) return steps;
            if (u == Until::Above && !(f > limit)) return steps;
            if (u == Until::Below && !(f < limit)) return steps;
            if (u == Until::NotZero && f == 0) return steps;
            // A step down past 0 Hz stops at 0, where the "not 0" loops end.
            const int64_t next = int64_t(f) + step;
            f = next < 0 ? 0u : static_cast<uint32_t>(next);
            r = api.set_center_freq(device, f);
            ++steps;
        }
    }
};

constexpr While A = While::Accepted, R = While::Refused;

std::string quotedKHz(uint32_t f) { return "\"" + kiloHertzText(f) + " kHz\""; }

// Each loop walks while the answer stays the same, so it ends on the first frequency that got the
// other answer: every loop brackets the edge between its last two probes with its own step, and
// the next, finer loop walks back across it. An edge is reported only when the finest loop crossed
// it, so the reported frequency was probed and lies within one finest step of the edge.
struct E4000Row {
    const char* label;
    uint32_t start;
    int startR;
    uint32_t low, high; // the loops move between these
    bool downFirst;     // loop 1 moves down (and loop 2 up), or the other way
    While first;        // loop 1 walks while this holds; the later loops alternate
    int64_t reportOffset; // from the final probe to the reported frequency: 0 or back one finest step
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
    const While other = row.first == A ? R : A;
    p.loop(sign * 1000000, row.first, toward, towardLimit);
    p.loop(-sign * 100000, other, back, backLimit);
    p.loop(sign * 10000, row.first, toward, towardLimit);
    const int finest = p.loop(-sign * 1000, other, back, backLimit);

    // The finest loop must have crossed the edge, not stopped at the end of the search range.
    if (finest > 0 && p.holds(row.first)) {
        const uint32_t f = static_cast<uint32_t>(int64_t(p.f) + row.reportOffset);
        std::string line = std::string(row.label) + "\"" + kiloHertzText(f) + " kHz";
        if (row.closingQuote) line += "\"";
        log(line);
    } else {
        log("Cannot set freq:" + std::to_string(p.r));
    }
}

// First VHF and First HF end on the lowest accepted frequency, Last UHF and Last HF one step above
// the highest; the L-gap searches end on an accepted frequency one step outside the gap.
const E4000Row kE4000[] = {
    {"First VHF freq set: ", 70000000, 0, 50000000, 70000000, true, A, 0, true},
    {"Last UHF freq set: ", 2300000000u, -1, 1000000000, 2300000000u, true, R, -1000, true},
    {"First L-gap freq set: ", 1000000000, 0, 1000000000, 1300000000, false, A, 1000, true},
    {"Last L-gap freq set: ", 1300000000, 0, 1000000000, 1300000000, true, A, -1000, true},
    {"First HF freq set: ", 15000000, 0, 10000000, 15000000, true, A, 0, false},
    {"Last HF freq set: ", 40000000, -1, 10000000, 40000000, true, R, -1000, true},
};

void runR820T(Probe& p, const LogFn& log)
{
    // Down in 10 MHz steps to the first refusal, then back and forth across the lowest edge in
    // steps of 1 MHz, 1 MHz, 100 kHz and 10 kHz.
    p.f = 42000000;
    p.r = 0;
    p.loop(-10000000, A, Until::NotZero, 0);
    p.loop(1000000, R, Until::Below, 42000000);
    p.loop(-1000000, A, Until::NotZero, 0);
    p.loop(100000, R, Until::Below, 42000000);
    int finest = p.loop(-10000, A, Until::NotZero, 0);
    if (finest > 0 && p.refused())
        log("Lowest tuner freq set: " + quotedKHz(p.f + 10000));
    else if (p.accepted()) // down to 0 Hz without a refusal
        log("Lowest tuner freq set: " + quotedKHz(p.f));
    else
        log("Cannot set freq:" + std::to_string(p.r));

    // Up in 10 MHz steps to the first refusal, then down and up across the highest edge by 1 MHz.
    p.f = 1650000000;
    p.r = 0;
    p.loop(10000000, A, Until::Below, 2000000000);
    p.loop(-1000000, R, Until::Above, 1642000000);
    finest = p.loop(1000000, A, Until::Below, 2000000000);
    if (finest > 0 && p.refused())
        log("Highest HF freq set: " + quotedKHz(p.f - 1000000));
    else if (p.accepted()) // up to 2 GHz without a refusal
        log("Highest HF freq set: " + quotedKHz(p.f));
    else
        log("Cannot set freq:" + std::to_string(p.r));
}

} // namespace

std::string kiloHertzText(uint32_t f)
{
    // Fixed notation: the shortest form of 2,000,000 kHz would otherwise be "2e+06".
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, f / 1000.0, std::chars_format::fixed);
    return ec == std::errc() ? std::string(buf, end) : std::to_string(f / 1000);
}

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
