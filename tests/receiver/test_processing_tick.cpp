// The processing tick: ready-index guard, explorer tap, time stamps, counters and LEDs.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/clock.h"
#include "demod/magnitude.h"
#include "receiver/processing_tick.h"
#include "flights/aircraft_table.h"
#include "test_support.h"

using namespace varnock;

namespace {

struct Frames final : FrameOutput {
    std::vector<RawFrame> got;
    void emitModeSFrame(const RawFrame& f) override { got.push_back(f); }
};

struct Tap final : MagnitudeTap {
    bool live = true;
    uint16_t seen = 0;
    bool isLive() const override { return live; }
    void onMagnitudes(const uint16_t* m, int count) override
    {
        ASSERT_EQ(count, kPairsPerBuffer);
        seen = m[5];
    }
};

struct Brackets final : ListBracket {
    int open = 0, closed = 0;
    void beginUpdate() override { ++open; }
    void endUpdate() override { ++closed; }
};

// An I/Q buffer carrying one ideal long frame with its preamble at k.
std::vector<uint8_t> iqWithFrame(const std::string& hex, int k)
{
    std::vector<uint8_t> iq(kBytesPerBuffer, 128);
    std::vector<uint16_t> m(kPairsPerBuffer, 0);
    test::paintFrame(m.data(), k, test::fromHex(hex), 60, 0);
    for (int p = 0; p < kPairsPerBuffer; ++p) iq[2 * p] = static_cast<uint8_t>(128 + m[p]);
    return iq;
}

struct TickFixture : ::testing::Test {
    VirtualClock clock;
    test::RecordingLineSink lines;
    AircraftTable table{lines, clock};
    Controls controls;
    ProcessingTick tick{table, controls};
    Frames frames;
    Brackets brackets;
    void SetUp() override
    {
        tick.setFrameOutput(&frames);
        tick.setListBracket(&brackets);
    }
};

} // namespace

TEST_F(TickFixture, NoReadyBufferDoesNothingAtAll)
{
    tick.audiotimerTimer(nullptr);
    EXPECT_EQ(tick.counters.bufferCounter(), 0u);
    EXPECT_EQ(brackets.open, 0);
    EXPECT_EQ(tick.counters.noiseCount, 0);
}

TEST_F(TickFixture, NeitherModeCountsTheBufferOnly)
{
    controls.sbmodes = false;
    controls.sbmodeac = false;
    std::vector<uint8_t> iq(kBytesPerBuffer, 128);
    tick.audiotimerTimer(iq.data());
    EXPECT_EQ(tick.counters.bufferCounter(), 1u);
    EXPECT_EQ(brackets.open, 1);
    EXPECT_EQ(brackets.closed, 1);
    EXPECT_EQ(tick.counters.noiseCount, 0);
}

TEST_F(TickFixture, ExplorerSeesUnclippedMagnitudes)
{
    Tap tap;
    tick.setMagnitudeTap(&tap);
    std::vector<uint8_t> iq(kBytesPerBuffer, 128);
    iq[10] = 228; // pair 5: I = +100
    iq[11] = 28;  // Q = -100 -> 200
    tick.audiotimerTimer(iq.data());
    EXPECT_EQ(tap.seen, 200);
    EXPECT_EQ(tick.magnitudes()[5], 181);
}

TEST_F(TickFixture, StampsTimesAndDeltas)
{
    auto iq = iqWithFrame("8D4840D6202CC371C32CE0576098", 1000);
    tick.audiotimerTimer(iq.data());
    ASSERT_EQ(frames.got.size(), 1u);
    const RawFrame& f = frames.got[0];
    // First buffer after a rate was applied: stamp = 1 x 1,024,000 + (1000 + 16).
    const int64_t stamp = 1024000 + 1016;
    int64_t v = 0;
    for (int i = 0; i < 6; ++i) v = (v << 8) | f.stamp[i];
    EXPECT_EQ(v, stamp);
    EXPECT_EQ(f.timeUs, stamp / 2);
    EXPECT_EQ(f.deltaUs, 99999);
    EXPECT_EQ(tick.counters.packetCounter, 1);

    // Next buffer, same place: 512,000 us later -> still capped.
    tick.audiotimerTimer(iq.data());
    ASSERT_EQ(frames.got.size(), 2u);
    EXPECT_EQ(frames.got[1].timeUs - frames.got[0].timeUs, 512000);
    EXPECT_EQ(frames.got[1].deltaUs, 99999);

    // Two frames 60,000 us apart in one buffer: the real delta.
    auto two = iqWithFrame("8D4840D6202CC371C32CE0576098", 2000);
    auto other = iqWithFrame("8D4840D6202CC371C32CE0576098", 122000);
    for (int i = 244000; i < 244000 + 600; ++i) two[i] = other[i];
    tick.audiotimerTimer(two.data());
    ASSERT_EQ(frames.got.size(), 4u);
    EXPECT_EQ(frames.got[3].deltaUs, 60000);
}

TEST_F(TickFixture, HighHalfOfTheBufferCounterEntersTheStamp)
{
    tick.counters.bufferCounterLow = 0xFFFFFFFFu;
    tick.counters.bufferCounterHigh = 0x10001u; // only the low 16 bits count
    auto iq = iqWithFrame("8D4840D6202CC371C32CE0576098", 0);
    tick.audiotimerTimer(iq.data());
    ASSERT_EQ(frames.got.size(), 1u);
    uint8_t expect[6];
    TickCounters c;
    c.bufferCounterHigh = 2;
    c.bufferCounterLow = 0;
    stampOf(c, 16, expect);
    EXPECT_EQ(0, std::memcmp(expect, frames.got[0].stamp, 6));
}

TEST_F(TickFixture, PacketRateIndicators)
{
    Leds leds;
    tick.counters.packetCounter = 91; // rate 45
    tick.packetRateIndicators(leds);
    for (int n : {1, 2, 3, 4}) EXPECT_TRUE(leds[n]) << n;
    for (int n : {5, 6, 7}) EXPECT_FALSE(leds[n]) << n;
    EXPECT_EQ(tick.counters.packetCounter, 0);
    Leds all;
    tick.counters.packetCounter = 242;
    tick.packetRateIndicators(all);
    EXPECT_TRUE(all[7]);
    EXPECT_FALSE(all[6]);
}

TEST_F(TickFixture, RandomBytesNeverEscapeTheBuffers)
{
    std::vector<uint8_t> iq(kBytesPerBuffer);
    uint32_t x = 12345;
    for (auto& b : iq) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(x >> 24);
    }
    for (int i = 0; i < 2; ++i) tick.audiotimerTimer(iq.data());
    EXPECT_EQ(tick.counters.bufferCounter(), 2u);
}
