// Mode A/C scan: detectors, thresholds, noise-code filter, second reception, altitude, time and bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/command_line_options.h"
#include "demod/magnitude.h"
#include "demod/modeac_counts.h"
#include "demod/modeac_scan.h"
#include "demod/tick_counters.h"

using namespace varnock;

namespace {

struct Replies final : ModeACOutput {
    std::vector<ModeACReply> got;
    void emitModeACReply(const ModeACReply& r) override { got.push_back(r); }
};

// Offsets of the code bits in the order A4 A2 A1 B4 B2 B1 C4 C2 C1 D4 D2 D1.
constexpr int kBitOffsets[12] = {18, 12, 6, 36, 30, 24, 15, 9, 3, 39, 33, 27};

// An ideal reply: F1 at k, F2 at k + 42, one sample per pulse.
void paintReply(std::vector<uint16_t>& m, int k, const char* code, uint16_t hi = 100, bool xPulse = false)
{
    m[size_t(k)] = m[size_t(k + 42)] = hi;
    for (int bit = 0; bit < 12; ++bit) {
        if ((code[bit / 3] - '0') & (4 >> (bit % 3))) m[size_t(k + kBitOffsets[bit])] = hi;
    }
    if (xPulse) m[size_t(k + 21)] = hi;
}

int64_t stampValue(const uint8_t s[6])
{
    int64_t v = 0;
    for (int i = 0; i < 6; ++i) v = (v << 8) | s[i];
    return v;
}

struct ScanFixture : ::testing::Test {
    std::vector<uint16_t> m = std::vector<uint16_t>(kPairsPerBuffer, 0);
    TickCounters counters;
    CommandLineOptions options;
    std::unique_ptr<ModeACCodeCounts> counts = std::make_unique<ModeACCodeCounts>();
    Replies out;
    ModeACScan scan{counters, options, *counts, &out};

    void believe(const char* code) { counts->count[std::stoi(code)] = 1; }
    void run(int noise = 7) { scan.scan(m.data(), noise); } // T = 10
    void reset()
    {
        std::fill(m.begin(), m.end(), 0);
        out.got.clear();
    }
};

} // namespace

TEST_F(ScanFixture, ThresholdFromNoiseFeedsTheNoiseStatistics)
{
    const struct { int noise, t; } cases[] = {{0, 0}, {3, 4}, {7, 10}, {10, 14}, {11, 16}, {28, 40}};
    for (const auto& c : cases) {
        counters = TickCounters{};
        run(c.noise);
        EXPECT_EQ(scan.threshold(), c.t) << c.noise;
        EXPECT_EQ(counters.noiseSum, c.t);
        EXPECT_EQ(counters.noiseCount, 1);
    }
}

TEST_F(ScanFixture, NoiseCodesAreDroppedOthersBelievedOnSecondReception)
{
    const struct { const char* code; bool passes; } cases[] = {
        {"0000", false}, {"4000", false}, {"0400", false}, {"0200", false}, {"0100", false}, {"0040", false},
        {"0020", false}, {"0010", false}, {"0004", false}, {"0002", false}, {"0001", false},
        {"2000", true},  {"1000", true},  {"7700", true},  {"7777", true},
    };
    for (const auto& c : cases) {
        reset();
        counters.packetCounter = 0;
        paintReply(m, 5000, c.code);
        run();
        EXPECT_TRUE(out.got.empty()) << c.code; // never on the first reception
        run();
        ASSERT_EQ(out.got.size(), c.passes ? 1u : 0u) << c.code;
        EXPECT_EQ(counts->count[std::stoi(c.code)], c.passes ? 2 : 0) << c.code; // noise is not even counted
        EXPECT_EQ(counters.packetCounter, c.passes ? 1 : 0);
        if (c.passes) {
            EXPECT_STREQ(out.got[0].code, c.code);
            EXPECT_EQ(out.got[0].level, 100);
        }
    }
}

TEST_F(ScanFixture, XPulseBlocksOnlyTheClassicDetector)
{
    paintReply(m, 2000, "1234", 100, true);
    believe("1234");
    run();
    EXPECT_TRUE(out.got.empty());
    options.newp = true;
    run();
    ASSERT_EQ(out.got.size(), 1u);
    EXPECT_STREQ(out.got[0].code, "1234"); // X is never read as a code bit
}

TEST_F(ScanFixture, AlternativeDetectorIsNotFooledByTheQuietBeforeAReply)
{
    // The quiet stretch ending at F1 looks like an empty reply whose F2 is the real F1, and the
    // sample before F1 moves the detector onto F1 with a threshold taken from the quiet.
    options.newp = true;
    std::fill(m.begin(), m.end(), 2);
    paintReply(m, 5000, "5252", 80);
    believe("5252");
    run();
    ASSERT_EQ(out.got.size(), 1u);
    EXPECT_STREQ(out.got[0].code, "5252");
}

TEST_F(ScanFixture, F1PeakOnTheSecondSample)
{
    // F1 and F2 smeared over two samples, peaks on the later one; the code pulses follow the peak.
    const int k = 3000;
    paintReply(m, k + 1, "3456");
    m[k] = 60;
    m[k + 42] = 10;
    believe("3456");

    // Classic: the F2 sample it demands above T becomes a gap sample after the move, so it never
    // passes that way.
    run(5);
    EXPECT_TRUE(out.got.empty());

    options.newp = true;
    counters.bufferCounterLow = 1;
    run(5);
    ASSERT_EQ(out.got.size(), 1u);
    EXPECT_STREQ(out.got[0].code, "3456");
    EXPECT_EQ(stampValue(out.got[0].stamp), 1024000 + k + 1);
    EXPECT_EQ(scan.threshold(), 10); // the largest gap sample
}

TEST_F(ScanFixture, LowerThresholdAndLevel)
{
    // {F1 = F2, C1 pulse, bit}: lo is level/2 below 50, level/4 below 100, else level/10,
    // halves to even; level 26 goes out as 27 but is used as 26.
    const struct { uint16_t f; uint16_t pulse; bool one; } cases[] = {
        {26, 13, false}, {26, 14, true}, {45, 22, false}, {45, 23, true}, {80, 20, false}, {80, 21, true},
        {90, 22, false}, {90, 23, true}, {150, 15, false}, {150, 16, true}, {181, 18, false}, {181, 19, true},
    };
    believe("4410");
    believe("4400");
    for (const auto& c : cases) {
        reset();
        paintReply(m, 100, "4400", c.f);
        m[100 + 3] = c.pulse;
        run();
        ASSERT_EQ(out.got.size(), 1u);
        EXPECT_STREQ(out.got[0].code, c.one ? "4410" : "4400") << c.f << " " << c.pulse;
        EXPECT_EQ(out.got[0].level, c.f == 26 ? 27 : c.f);
    }

    // `newp`: midway between level and the largest gap sample, (100 + 20) / 2 = 60.
    options.newp = true;
    reset();
    paintReply(m, 100, "4400");
    m[100 + 20] = 20;
    m[100 + 3] = 61;
    m[100 + 9] = 60;
    run();
    ASSERT_EQ(out.got.size(), 1u);
    EXPECT_STREQ(out.got[0].code, "4410");
}

TEST_F(ScanFixture, LowerThresholdBandsTurnOnF1NotOnLevel)
{
    // {F1, F2, lo}: the band is chosen by F1 alone, at 50 and 100 exactly, while lo is a fraction
    // of level = (F1 + F2) / 2, halves to even. F2 is picked so that a band chosen by level, or a
    // band edge one off, gives another lo.
    const struct { uint16_t f1, f2; int lo; } cases[] = {
        {49, 51, 25},  // level 50 / 2
        {50, 50, 12},  // level 50 / 4 = 12.5
        {50, 48, 12},  // level 49 would still be in the lowest band
        {51, 49, 12},
        {99, 101, 25}, // level 100 / 4
        {99, 99, 25},  // 24.75
        {100, 100, 10},
        {100, 98, 10}, // level 99 / 10 = 9.9; by level it would be 25
        {101, 99, 10},
    };
    believe("4410");
    believe("4400");
    for (const auto& c : cases) {
        for (int pulse : {c.lo, c.lo + 1}) {
            reset();
            paintReply(m, 100, "4400", c.f1);
            m[100 + 42] = c.f2;
            m[100 + 3] = static_cast<uint16_t>(pulse); // C1: a one only above lo
            run();
            ASSERT_EQ(out.got.size(), 1u) << c.f1 << "/" << c.f2;
            EXPECT_STREQ(out.got[0].code, pulse > c.lo ? "4410" : "4400") << c.f1 << "/" << c.f2 << " pulse " << pulse;
        }
    }

    // The alternative detector has no bands: lo is midway between level and its gap threshold.
    options.newp = true;
    for (uint16_t f : {49, 50, 51, 99, 100, 101}) {
        for (int pulse : {f / 2, f / 2 + 1}) {
            reset();
            paintReply(m, 100, "4400", f);
            m[100 + 3] = static_cast<uint16_t>(pulse);
            run();
            ASSERT_EQ(out.got.size(), 1u) << f;
            EXPECT_STREQ(out.got[0].code, pulse > f / 2 ? "4410" : "4400") << f << " pulse " << pulse;
        }
    }
}

TEST_F(ScanFixture, ModeCAltitude)
{
    // 0620: c = 2 (C2) with fiveHundreds 2 is 0 ft; 0640: c = 1 (C4) is -200 ft. C digits 0, 5, 7
    // form no altitude at all.
    const struct { const char* code; bool valid; int fl; } cases[] = {
        {"0620", true, 0},   {"0640", false, 0}, {"0660", false, 0}, {"5124", true, 350}, {"2364", true, 489},
        {"2324", false, 0},  {"0710", true, 13}, {"1200", false, 0}, {"1250", false, 0},  {"1270", false, 0},
    };
    int k = 100;
    for (const auto& c : cases) {
        paintReply(m, k, c.code);
        believe(c.code);
        k += 100;
    }
    run();
    ASSERT_EQ(out.got.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(out.got[i].altitudeValid, cases[i].valid) << cases[i].code;
        if (cases[i].valid) {
            EXPECT_EQ(out.got[i].flightLevel, cases[i].fl) << cases[i].code;
        }
    }
}

TEST_F(ScanFixture, HoldOffAndTime)
{
    counters.bufferCounterLow = 3;
    believe("1111");
    believe("2222");
    paintReply(m, 1000, "1111");
    paintReply(m, 1045, "2222");          // 45 after a decoded F1: examined
    paintReply(m, 1045 + 62069, "1111");  // 30,000 us later
    paintReply(m, 1045 + 62069 + 44, "2222"); // 44 after: hidden
    run();
    ASSERT_EQ(out.got.size(), 3u);
    EXPECT_STREQ(out.got[1].code, "2222");
    EXPECT_STREQ(out.got[2].code, "1111");

    const int64_t stamp = 3 * 1024000 + 1000;
    EXPECT_EQ(stampValue(out.got[0].stamp), stamp);
    EXPECT_EQ(out.got[0].timeUs, std::llround(stamp * 0.48333333));
    EXPECT_EQ(out.got[0].deltaUs, 99999);
    EXPECT_EQ(out.got[1].deltaUs, 22); // 45 samples
    EXPECT_EQ(out.got[2].deltaUs, 30000);
    EXPECT_EQ(counters.previousTimeUs, out.got[2].timeUs);
    EXPECT_EQ(counters.packetCounter, 3);

    // The previous time is shared with Mode S: a later one leaves a negative delta as it is.
    counters.previousTimeUs = out.got[2].timeUs + 500;
    run();
    EXPECT_LT(out.got[3].deltaUs, 0);
}

TEST_F(ScanFixture, NeverReadsPastTheLastMagnitude)
{
    // A reply whose F2 is the last sample is decoded.
    believe("4321");
    paintReply(m, modeac::kScanEnd - 1, "4321");
    run();
    EXPECT_EQ(out.got.size(), 1u);

    // At the last start a later F1 peak would put F2 one past the end: both detectors refuse it.
    for (bool newp : {false, true}) {
        reset();
        options.newp = newp;
        paintReply(m, modeac::kScanEnd - 1, "4321", 60);
        m[modeac::kScanEnd] = 100;
        run();
        EXPECT_TRUE(out.got.empty()) << newp;
    }

    // Random magnitudes, mostly quiet with bright spikes so that both detectors pass often.
    uint32_t x = 99;
    for (bool newp : {false, true}) {
        options.newp = newp;
        for (int round = 0; round < 3; ++round) {
            for (auto& v : m) {
                x = x * 1664525u + 1013904223u;
                const uint32_t r = x >> 24;
                v = static_cast<uint16_t>(r < 200 ? r % 8 : 60 + r % 122);
            }
            run(4);
        }
    }
    EXPECT_GT(out.got.size(), 10u);
    for (const auto& r : out.got) EXPECT_NE(r.level, 26);
}
