// Transmitter model: pulse shape and level, sub-sample timing, zero level, noise, clamping, fixture.
#include "synth/frame_builder.h"
#include "synth/test_buffer.h"
#include "synth/transmitter.h"
#include "synth_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace varnock::synth {
namespace {

constexpr size_t kPairs = 4096;
using testing::hexOf;

// Slices a frame the ideal way at a known start: bit j is 1 when its first half is stronger.
ModeSFrame sliceAt(const std::vector<uint8_t>& iq, int64_t start, int length)
{
    ModeSFrame f;
    f.length = length;
    for (int j = 0; j < length * 8; ++j) {
        const size_t d = size_t(start + 16 + 2 * j);
        if (magnitudeAt(iq.data(), d) > magnitudeAt(iq.data(), d + 1)) f.bytes[j >> 3] |= uint8_t(0x80 >> (j & 7));
    }
    return f;
}

TEST(Transmitter, PulsesHaveTheAmplitudeWhateverThePhase)
{
    const ModeSFrame frame = allCallReply(0x4840D6);
    for (const double phase : {0.0, 0.4, std::numbers::pi / 4, 2.0, std::numbers::pi, 4.0, 5.9}) {
        SCOPED_TRACE(phase);
        const PlacedFrame placed{frame, 100, 0.0, 80.0, phase};
        const auto iq = renderTestBuffer({&placed, 1}, 0.0, 1, kPairs);
        for (const int p : {0, 2, 7, 9}) EXPECT_NEAR(magnitudeAt(iq.data(), 100 + p), 80, 1);
        for (const int g : {1, 3, 4, 5, 6, 8, 10, 11, 12, 13, 14, 15}) EXPECT_LE(magnitudeAt(iq.data(), 100 + g), 1);
        EXPECT_LE(magnitudeAt(iq.data(), 99), 1);
        EXPECT_LE(magnitudeAt(iq.data(), 100 + 16 + 112 + 1), 1); // after the last bit
        EXPECT_EQ(hexOf(sliceAt(iq, 100, 7)), hexOf(frame));
    }
}

TEST(Transmitter, SubSampleOffsetSpreadsEachPulseOverTwoSamples)
{
    const ModeSFrame frame = allCallReply(0x4840D6);
    const PlacedFrame late{frame, 200, 0.25, 100.0, 0.0};
    const auto iq = renderTestBuffer({&late, 1}, 0.0, 1, kPairs);
    EXPECT_NEAR(magnitudeAt(iq.data(), 200), 75, 1);
    EXPECT_NEAR(magnitudeAt(iq.data(), 201), 25, 1);
    EXPECT_NEAR(magnitudeAt(iq.data(), 207), 75, 1);
    EXPECT_NEAR(magnitudeAt(iq.data(), 208), 25, 1);

    const PlacedFrame early{frame, 200, -0.25, 100.0, 0.0};
    const auto iq2 = renderTestBuffer({&early, 1}, 0.0, 1, kPairs);
    EXPECT_NEAR(magnitudeAt(iq2.data(), 199), 25, 1);
    EXPECT_NEAR(magnitudeAt(iq2.data(), 200), 75, 1);
}

TEST(Transmitter, ZeroSitsHalfACodeBelow128)
{
    const std::vector<uint8_t> iq = renderTestBuffer({}, 2.0, 7, kBufferPairs);
    double sumI = 0;
    for (size_t p = 0; p < kBufferPairs; ++p) sumI += iq[2 * p];
    EXPECT_NEAR(sumI / kBufferPairs, 127.5, 0.02);
    EXPECT_EQ(renderTestBuffer({}, 0.0, 7, 16), std::vector<uint8_t>(32, 128));
}

TEST(Transmitter, StrongPulsesClampInsteadOfWrapping)
{
    const PlacedFrame loud{allCallReply(0x4840D6), 10, 0.0, 400.0, 0.0};
    const auto iq = renderTestBuffer({&loud, 1}, 0.0, 1, 256);
    EXPECT_EQ(iq[2 * 10], 255);
    const PlacedFrame loudNegative{allCallReply(0x4840D6), 10, 0.0, 400.0, std::numbers::pi};
    EXPECT_EQ(renderTestBuffer({&loudNegative, 1}, 0.0, 1, 256)[2 * 10], 0);
}

TEST(Transmitter, FramesMayStraddleEitherEnd)
{
    const ModeSFrame frame = esIdentification(0x4840D6, "KLM1023", 4, 0);
    const PlacedFrame parts[] = {{frame, -100, 0.3, 60.0, 1.0}, {frame, 1000, -0.2, 60.0, 1.0}};
    const auto iq = renderTestBuffer(parts, 0.0, 1, 1100);
    // The tail of the first frame is the same as when rendered whole.
    const PlacedFrame whole{frame, 0, 0.3, 60.0, 1.0};
    const auto ref = renderTestBuffer({&whole, 1}, 0.0, 1, 1100);
    EXPECT_TRUE(std::equal(iq.begin(), iq.begin() + 2 * 140, ref.begin() + 2 * 100));
    EXPECT_NEAR(magnitudeAt(iq.data(), 1000), 48, 1);
}

TEST(Transmitter, FramesSurviveNoiseAtDemoLevels)
{
    // Weakest demo amplitude and worst demo timing: each frame slices back at its position.
    const ModeSFrame frames[] = {esIdentification(0x4840D6, "KLM1023", 4, 0), allCallReply(0x3C6DD2),
                                 esAirborneVelocity(0x485020, 159.2, 182.88, -832), altitudeReply(0x485020, 36000)};
    for (uint64_t seed = 1; seed <= 20; ++seed) {
        std::vector<PlacedFrame> placed;
        for (int i = 0; i < 4; ++i)
            placed.push_back({frames[i], 100 + 500 * i, (i & 1) ? 0.12 : -0.12, 24.0, 0.7 * double(seed + i)});
        const auto iq = renderTestBuffer(placed, 2.0, seed, kPairs);
        for (const PlacedFrame& p : placed)
            EXPECT_EQ(hexOf(sliceAt(iq, p.sample, p.frame.length)), hexOf(p.frame)) << "seed " << seed;
    }
}

} // namespace
} // namespace varnock::synth
