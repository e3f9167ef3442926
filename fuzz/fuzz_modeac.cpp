// Magnitudes through the Mode A/C scan, with the per-buffer and the per-reply detector: every reply
// handed on is a believed octal code with a consistent altitude, level and time, one per packet counted.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/command_line_options.h"
#include "demod/magnitude.h"
#include "demod/modeac_counts.h"
#include "demod/modeac_scan.h"
#include "fuzz_check.h"

using namespace varnock;

namespace {

struct Capture final : ModeACOutput {
    std::vector<ModeACReply> replies;
    void emitModeACReply(const ModeACReply& r) override { replies.push_back(r); }
};

void check(const std::vector<uint16_t>& clipped, int noise, bool newp)
{
    TickCounters counters;
    CommandLineOptions options;
    options.newp = newp;
    auto counts = std::make_unique<ModeACCodeCounts>();
    Capture out;
    ModeACScan scan(counters, options, *counts, &out);
    // A code is believed from its second reception: inputs repeat a reply to get one handed on.
    counters.bufferCounterLow = 1;
    scan.scan(clipped.data(), noise);

    // Shows whether a seed reaches the checks below.
    if (std::getenv("VARNOCK_FUZZ_VERBOSE")) std::fprintf(stderr, "%s detector: %zu replies\n", newp ? "per-reply" : "per-buffer", out.replies.size());
    FUZZ_CHECK(static_cast<size_t>(counters.packetCounter) == out.replies.size(), "%d packets, %zu replies",
               counters.packetCounter, out.replies.size());
    int64_t previous = 0;
    for (const ModeACReply& r : out.replies) {
        for (int digit : {r.a, r.b, r.c, r.d}) FUZZ_CHECK(digit >= 0 && digit <= 7, "digit %d", digit);
        const char text[5] = {char('0' + r.a), char('0' + r.b), char('0' + r.c), char('0' + r.d), 0};
        FUZZ_CHECK(std::memcmp(text, r.code, 5) == 0, "code text %.5s for %s", r.code, text);
        const int number = 1000 * r.a + 100 * r.b + 10 * r.c + r.d;
        FUZZ_CHECK(counts->count[number] >= 2, "code %s handed on after %d receptions", text, counts->count[number]);
        FUZZ_CHECK(r.level >= 0 && r.level <= 181 && r.level != 26, "level %d", r.level);
        bool valid = false;
        const int feet = modeCAltitude(r.a, r.b, r.c, r.d, valid);
        FUZZ_CHECK(r.altitudeValid == valid && (!valid || (r.flightLevel == feet / 100 && r.flightLevel >= 0 &&
                                                           r.flightLevel <= 489)),
                   "altitude of %s: valid %d level %d", text, r.altitudeValid, r.flightLevel);
        FUZZ_CHECK(r.deltaUs >= 0 && r.deltaUs <= 99999 && r.timeUs >= previous, "time %lld after %lld",
                   static_cast<long long>(r.timeUs), static_cast<long long>(previous));
        previous = r.timeUs;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Input bytes are raw magnitudes (before clipping) at the start and at the end of a quiet buffer.
    static std::vector<uint16_t> m(kPairsPerBuffer);
    std::fill(m.begin(), m.end(), uint16_t{3});
    const size_t n = size < m.size() / 2 ? size : m.size() / 2;
    for (size_t i = 0; i < n; ++i) {
        m[i] = data[i];
        m[m.size() - n + i] = data[size - n + i];
    }
    const int noise = estimateNoiseAndClip(m.data(), kPairsPerBuffer);
    for (size_t i = 0; i < n; ++i)
        FUZZ_CHECK(m[i] <= 181 && m[m.size() - n + i] <= 181, "magnitude above 181 after clipping");
    check(m, noise, false);
    check(m, noise, true);
    return 0;
}
