// Mode-S scan on painted magnitude buffers: preamble rules, slicing, sizing, resume, buffer end,
// and the fast scan against the plain one.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <cstring>
#include <vector>

#include "demod/magnitude.h"
#include "demod/modes_scan.h"
#include "demod/parity.h"
#include "test_support.h"

using namespace varnock;
using varnock::test::fromHex;
using varnock::test::paintFrame;

namespace {

struct Collect final : CandidateSink {
    std::vector<RawFrame> frames;
    bool onCandidate(RawFrame& f) override
    {
        frames.push_back(f);
        return true;
    }
};

std::vector<uint16_t> quiet(uint16_t v = 3) { return std::vector<uint16_t>(kPairsPerBuffer, v); }

const char* kKlm = "8D4840D6202CC371C32CE0576098";

std::vector<RawFrame> scanBoth(const std::vector<uint16_t>& m)
{
    Collect fast, plain;
    std::vector<uint8_t> bytes(m.size());
    for (std::size_t i = 0; i < m.size(); ++i) bytes[i] = static_cast<uint8_t>(std::min<uint16_t>(m[i], kMagnitudeClip));
    scanModeS(bytes.data(), fast);
    scanModeSReference(m.data(), plain);
    EXPECT_EQ(fast.frames.size(), plain.frames.size());
    for (std::size_t i = 0; i < std::min(fast.frames.size(), plain.frames.size()); ++i) {
        EXPECT_EQ(fast.frames[i].sampleIndex, plain.frames[i].sampleIndex);
        EXPECT_EQ(0, std::memcmp(fast.frames[i].bytes, plain.frames[i].bytes, 14));
    }
    return fast.frames;
}

} // namespace

TEST(Preamble, MarginOfTwoPassesOneFails)
{
    auto m = quiet(0);
    const int k = 1000;
    for (int i : {0, 2, 7, 9}) m[k + i] = 12;
    for (int i : {1, 3, 4, 5, 6, 8, 10, 11, 12, 13, 14, 15}) m[k + i] = 10;
    EXPECT_TRUE(preambleAt(m.data(), k));
    m[k + 13] = 11;
    EXPECT_FALSE(preambleAt(m.data(), k));
    m[k + 13] = 10;
    m[k + 9] = 11;
    EXPECT_FALSE(preambleAt(m.data(), k));
}

TEST(Slice, EqualHalvesGiveZeroAndLevelEscapesTwentySix)
{
    auto m = quiet();
    paintFrame(m.data(), 500, fromHex(kKlm));
    // Make bit 0 (a 1) equal in both halves: it must read 0, turning df 17 into df 1 (dropped).
    m[516] = m[517];
    EXPECT_TRUE(scanBoth(m).empty());

    for (auto [hi, expect] : {std::pair{26, 27}, {25, 25}, {28, 28}}) {
        auto n = quiet(0);
        paintFrame(n.data(), 500, fromHex(kKlm), static_cast<uint16_t>(hi), 0);
        auto got = scanBoth(n);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].level, expect);
    }
}

TEST(Slice, LengthRuleAndDfFilter)
{
    struct Case {
        std::string hex;
        size_t count;
        int length;
    } cases[] = {
        {kKlm, 1, 14},
        {"8D4840D6202CC371C32CE0000000", 1, 7},  // df 17, last 24 bits zero: short
        {"5D4840D6000000000000000000", 0, 0},     // short df 11 with zero parity bytes: dropped
        {"204840D6123456", 1, 7},                // df 4
        {"084840D6123456", 0, 0},                // df 1: not a Mode-S reply kind we take
        {"B04840D6123456", 0, 0},                // df 22
    };
    for (const auto& c : cases) {
        auto m = quiet();
        auto b = fromHex(c.hex);
        b.resize(14, 0);
        paintFrame(m.data(), 7000, b);
        auto got = scanBoth(m);
        ASSERT_EQ(got.size(), c.count) << c.hex;
        if (c.count) {
            EXPECT_EQ(got[0].length, c.length) << c.hex;
            EXPECT_EQ(got[0].sampleIndex, 7016);
        }
    }
}

TEST(Scan, ResumesTwoHundredTwentyFiveSamplesAfterAPreamble)
{
    for (auto [gap, expect] : {std::pair{224, 1u}, {225, 2u}}) {
        auto m = quiet();
        paintFrame(m.data(), 3000, fromHex(kKlm));
        auto second = quiet();
        paintFrame(second.data(), 3000 + gap, fromHex(kKlm));
        // Overlay the second frame only where it extends past the first.
        for (int i = 3000 + 240; i < 3000 + gap + 240; ++i) m[i] = second[i];
        for (int i = 3000 + gap; i < 3000 + gap + 16; ++i) m[i] = second[i];
        EXPECT_EQ(scanBoth(m).size(), expect) << "gap " << gap;
    }
}

TEST(Scan, BufferEndNeverInventsFramesNorReadsPast)
{
    // Preamble at 1,023,759: sliced, last data sample 1,023,998. At 1,023,760: never sliced.
    std::vector<uint8_t> df4 = fromHex("204840D6123456");
    df4.resize(14, 0);
    for (auto [k, expect] : {std::pair{1023759, 1u}, {1023760, 0u}}) {
        auto m = quiet();
        // Only paint what fits inside the buffer.
        std::vector<uint16_t> big(kPairsPerBuffer + 300, 3);
        paintFrame(big.data(), k, df4);
        std::copy(big.begin(), big.begin() + kPairsPerBuffer, m.begin());
        std::vector<uint16_t> exact(m);
        exact.shrink_to_fit();
        EXPECT_EQ(scanBoth(exact).size(), expect) << k;
    }
}

TEST(Scan, FastScanMatchesPlainScanOnRandomAndBusyBuffers)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 3; ++round) {
        std::vector<uint16_t> m(kPairsPerBuffer);
        std::uniform_int_distribution<int> noise(0, round == 0 ? 181 : 20);
        for (auto& v : m) v = static_cast<uint16_t>(noise(rng));
        std::uniform_int_distribution<int> pos(0, kPairsPerBuffer - 260);
        for (int i = 0; i < 400; ++i) {
            auto b = fromHex(kKlm);
            b[1] = static_cast<uint8_t>(rng());
            paintFrame(m.data(), pos(rng), b, static_cast<uint16_t>(30 + rng() % 150), static_cast<uint16_t>(rng() % 10));
        }
        scanBoth(m);
    }
}

TEST(Noise, EstimateAndClip)
{
    std::vector<uint16_t> m(kPairsPerBuffer, 4);
    for (int i = 0; i < kPairsPerBuffer; i += 2) m[i] = 5; // mean 4.5 -> 2 * 4.5 = 9
    EXPECT_EQ(estimateNoiseAndClip(m.data(), kPairsPerBuffer), 9);
    std::vector<uint16_t> strong(kPairsPerBuffer, 15);
    strong[10] = 200;
    EXPECT_EQ(estimateNoiseAndClip(strong.data(), kPairsPerBuffer), 0);
    EXPECT_EQ(strong[10], 181);
    // Ties go to even: a sum giving exactly 2.5 rounds to 2.
    std::vector<uint16_t> tie(kPairsPerBuffer, 0);
    for (int i = 0; i < kPairsPerBuffer / 4; ++i) tie[i] = 5; // mean 1.25 -> 2.5
    EXPECT_EQ(estimateNoiseAndClip(tie.data(), kPairsPerBuffer), 2);
}

TEST(Magnitude, AbsoluteSumAroundOneTwentyEight)
{
    const uint8_t iq[] = {128, 128, 0, 255, 255, 0, 127, 129};
    uint16_t m[4];
    computeMagnitudes(iq, m, 4);
    EXPECT_EQ(m[0], 0);
    EXPECT_EQ(m[1], 128 + 127);
    EXPECT_EQ(m[2], 127 + 128);
    EXPECT_EQ(m[3], 2);
}
