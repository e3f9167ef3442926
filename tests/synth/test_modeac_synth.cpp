// Mode A/C synthesis: pulse layout and timing, Gillham encoding, and the seeded Mode A/C sky.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <vector>

#include "demod/modeac_counts.h"
#include "synth/modeac_scenario.h"

using namespace varnock::synth;

namespace {

std::vector<int> magnitudes(const std::vector<uint8_t>& iq)
{
    std::vector<int> m(iq.size() / 2);
    for (size_t p = 0; p < m.size(); ++p) m[p] = magnitudeAt(iq.data(), p);
    return m;
}

ModeACCode code(const char* text)
{
    ModeACCode c;
    EXPECT_TRUE(c.parse(text)) << text;
    return c;
}

} // namespace

TEST(ModeACTransmitter, PulsesSitEveryThreeSamples)
{
    const struct { const char* code; bool x; std::vector<int> offsets; } cases[] = {
        {"0000", false, {0, 42}},
        {"7700", false, {0, 6, 12, 18, 24, 30, 36, 42}},
        {"0077", true, {0, 3, 9, 15, 21, 27, 33, 39, 42}},
        {"1234", false, {0, 3, 6, 9, 30, 39, 42}},
    };
    for (const auto& c : cases) {
        PlacedModeACReply r;
        r.code = code(c.code);
        r.sample = 100;
        r.amplitude = 100.0;
        r.phase = 0.7;
        r.xPulse = c.x;
        const auto m = magnitudes(renderModeACTestBuffer({&r, 1}, 0.0, 1, 200));
        for (int p = 0; p < 200; ++p) {
            const bool pulse = std::count(c.offsets.begin(), c.offsets.end(), p - 100) > 0;
            // A 0.45 us pulse covers 93 % of a 1/2,068,965 s sample.
            const int expect = pulse ? 93 : 0;
            EXPECT_NEAR(m[size_t(p)], expect, pulse ? 2 : 1) << c.code << " at " << p - 100;
        }
    }
}

TEST(ModeACTransmitter, GillhamEncodingRoundTrips)
{
    for (int feet = -1200; feet <= 126700; feet += 100) {
        ModeACCode c;
        ASSERT_TRUE(modeCCodeOf(feet, c)) << feet;
        bool valid = false;
        EXPECT_EQ(varnock::modeCAltitude(c.a, c.b, c.c, c.d, valid), feet) << c.text();
        EXPECT_EQ(valid, feet >= 0 && feet <= 48900) << feet;
        EXPECT_TRUE(c.c != 0 && c.c != 5 && c.c != 7) << feet;
    }
    ModeACCode c;
    EXPECT_FALSE(modeCCodeOf(-1300, c));
    EXPECT_FALSE(modeCCodeOf(126800, c));
    EXPECT_FALSE(modeCCodeOf(1250, c));
    ASSERT_TRUE(modeCCodeOf(0, c));
    EXPECT_EQ(c.text(), "0620");
}

TEST(ModeACScenario, ScheduleKeepsRepliesApartAtTheirRates)
{
    ModeACScenario sky;
    const double seconds = 20.0;
    std::vector<ModeACSkyReply> all;
    sky.repliesInRange(0, int64_t(seconds * kModeACSampleRate), all);

    std::map<int, int> perAircraft;
    std::map<int, ModeACKind> lastKind;
    for (size_t i = 0; i < all.size(); ++i) {
        const ModeACSkyReply& r = all[i];
        if (i > 0) {
            EXPECT_GE(r.sample - all[i - 1].sample, 45 + 2) << i; // past the receiver's hold-off
        }
        const ModeACAircraft& a = sky.aircraft(r.aircraft);
        EXPECT_EQ(r.code, r.kind == ModeACKind::ModeA ? a.squawk : a.altitudeCode);
        if (lastKind.count(r.aircraft)) {
            EXPECT_NE(lastKind[r.aircraft], r.kind); // A and C alternate
        }
        lastKind[r.aircraft] = r.kind;
        ++perAircraft[r.aircraft];
    }
    ASSERT_EQ(perAircraft.size(), 12u);
    std::set<int> codes; // no code names two things
    for (const auto& [i, n] : perAircraft) {
        codes.insert(sky.aircraft(i).squawk.number());
        codes.insert(sky.aircraft(i).altitudeCode.number());
        const double rate = n / seconds;
        EXPECT_NEAR(rate, sky.aircraft(i).repliesPerSecond, 0.6) << i;
        EXPECT_GE(rate, 4.5);
        EXPECT_LE(rate, 10.5);
    }
    EXPECT_EQ(codes.size(), 24u);

    // Buffer by buffer gives the same replies as one range.
    std::vector<ModeACSkyReply> buffered, one;
    for (uint64_t n = 0; n < 3; ++n) {
        sky.repliesInBuffer(n, one);
        for (auto r : one) {
            r.sample += int64_t(n * kBufferPairs);
            buffered.push_back(r);
        }
    }
    sky.repliesInRange(0, int64_t(3 * kBufferPairs), one);
    ASSERT_EQ(buffered.size(), one.size());
    for (size_t i = 0; i < one.size(); ++i) {
        EXPECT_EQ(buffered[i].sample, one[i].sample);
        EXPECT_EQ(buffered[i].code, one[i].code);
    }
}

TEST(ModeACScenario, RenderingIsDeterministic)
{
    std::vector<uint8_t> a(2 * kBufferPairs), b(2 * kBufferPairs), c(2 * kBufferPairs);
    ModeACScenario first, second;
    ModeACScenarioParams other;
    other.seed = 2;
    ModeACScenario third(other);
    second.renderBuffer(0, b.data()); // different history, same buffer
    first.renderBuffer(2, a.data());
    second.renderBuffer(2, b.data());
    third.renderBuffer(2, c.data());
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
}

TEST(ModeACScenario, RepliesArriveAtEveryPhaseOfASample)
{
    ModeACScenario sky;
    std::vector<ModeACSkyReply> all;
    sky.repliesInRange(0, int64_t(20 * kModeACSampleRate), all);
    ASSERT_GT(all.size(), 1000u);
    int quarters[4] = {};
    for (const ModeACSkyReply& r : all) {
        ASSERT_GE(r.offset, 0.0);
        ASSERT_LT(r.offset, 1.0);
        ++quarters[int(r.offset * 4.0)];
    }
    for (int q : quarters) EXPECT_NEAR(double(q) / double(all.size()), 0.25, 0.04);
}

// Parameters that describe no sky are brought into range instead of building or scheduling for ever.
TEST(ModeACScenario, ImpossibleParametersAreBounded)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        int aircraft;
        double minRate, maxRate, spread;
    };
    const Case cases[] = {
        {1000, 5.0, 10.0, 1.0}, // more aircraft than distinct altitudes to give them
        {12, 0.0, 0.0, 1.0},    // no reply ever: an endless search for the next one
        {12, nan, nan, nan},
        {64, 1e9, 1e12, 5.0},   // faster than the slots can hold
        {-3, 5.0, 10.0, -1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.aircraft);
        ModeACScenarioParams p;
        p.aircraftCount = c.aircraft;
        p.minRepliesPerSecond = c.minRate;
        p.maxRepliesPerSecond = c.maxRate;
        p.timingSpread = c.spread;
        ModeACScenario sky(p);
        EXPECT_EQ(sky.aircraftCount(), std::clamp(c.aircraft, 0, kMaxModeACAircraft));
        const ModeACScenarioParams& used = sky.params();
        EXPECT_GE(used.timingSpread, 0.0);
        EXPECT_LE(used.timingSpread, 1.0);
        EXPECT_GE(used.minRepliesPerSecond, 0.1);
        EXPECT_GE(used.maxRepliesPerSecond, used.minRepliesPerSecond);

        std::vector<ModeACSkyReply> replies;
        sky.repliesInRange(0, int64_t(2 * kBufferPairs), replies);
        for (size_t i = 1; i < replies.size(); ++i)
            ASSERT_GE(replies[i].sample - replies[i - 1].sample, 45 + 2) << i; // never overlapping
        std::vector<uint8_t> iq(2 * kBufferPairs);
        sky.renderBuffer(1, iq.data());
    }
}
