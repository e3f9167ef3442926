// Frame builders: published frames rebuilt bit for bit, field codes, Comm-B registers and their values.
#include "demod/parity.h"
#include "decode/commb_infer.h"
#include "synth/frame_builder.h"
#include "synth_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace varnock::synth {
namespace {

using testing::frameOf;
using testing::hexOf;

// Address of an address/parity frame: its syndrome.
uint32_t overlayOf(const std::string& hex)
{
    const ModeSFrame f = frameOf(hex);
    return modeSSyndrome(f.bytes, f.length);
}

TEST(FrameBuilder, RebuildsPublishedFrames)
{
    struct Case {
        const char* source;
        std::string expected;
        ModeSFrame built;
    };
    const std::string df4 = "2000171806A983", df5 = "2A00516D492B80";
    const std::string df20 = "A02014B400000000000000F9D514", df20id = "A000083E202CC371C31DE0AA1CCF";
    const Case cases[] = {
        {"Riddle identification", "8D4840D6202CC371C32CE0576098", esIdentification(0x4840D6, "KLM1023", 4, 0)},
        {"Riddle airborne position, even", "8D40621D58C382D690C8AC2863A7",
         esAirbornePosition(0x40621D, 38000, 52.2572021484375, 3.91937255859375, false, 11)},
        {"Riddle surface position, odd", "8C4841753A9A153237AEF0F275BE",
         esSurfacePosition(0x484175, 17.0, 92.8125, 52.32056051997815, 4.735735212053572, true, 7, 4)},
        {"pyModeS status TC 28", "8DA2C1B6E112B600000000760759", esStatusSquawk(0xA2C1B6, "6513")},
        {"Riddle DF 4", df4, altitudeReply(overlayOf(df4), 36000, 0, 0, 0)},
        // The published DF 5 has the X bit (0x40 of the ID field) set; ours leave it clear.
        {"Riddle DF 5", df5, surveillanceReply(5, overlayOf(df5), identityCode("0356") | 0x40, nullptr, 2, 0, 2)},
        {"pyModeS DF 20, empty MB", df20, commBAltitudeReply(overlayOf(df20), 32300, CommB{}, 0, 4, 0)},
        {"Riddle DF 20 register 2,0", df20id,
         commBAltitudeReply(overlayOf(df20id), 12550, mbIdentification("KLM1017"))},
        {"Riddle DF 11", "5D484FDEA248F5", allCallReply(0x484FDE, 5, int(overlayOf("5D484FDEA248F5")))},
    };
    for (const Case& c : cases) EXPECT_EQ(hexOf(c.built), c.expected) << c.source;
}

TEST(FrameBuilder, VelocityFieldsMatchPublishedFrame)
{
    // Riddle 8D485020994409940838175B284F: 159.2 kt, track 182.88, -832 ft/min. Its IFR, NUCr and
    // rate-source bits differ from ours, so only the speed, sign and rate fields are compared.
    const ModeSFrame pub = frameOf("8D485020994409940838175B284F");
    const ModeSFrame f = esAirborneVelocity(0x485020, 159.2, 182.88, -832);
    EXPECT_EQ(f.bytes[4], pub.bytes[4]);
    EXPECT_EQ(f.bytes[5] & 0x07, pub.bytes[5] & 0x07);
    EXPECT_EQ(f.bytes[6], pub.bytes[6]);
    EXPECT_EQ(f.bytes[7], pub.bytes[7]);
    EXPECT_EQ(f.bytes[8] & 0xEF, pub.bytes[8] & 0xEF);
    EXPECT_EQ(f.bytes[9] & 0xFC, pub.bytes[9] & 0xFC);
}

TEST(FrameBuilder, AltitudeCodesRoundTrip)
{
    EXPECT_EQ(altitudeCode12(38000), 0xC38); // Riddle airborne position
    EXPECT_EQ(altitudeCode13(36000), 0x1718); // Riddle DF 4
    for (int ft = -975; ft <= 50175; ft += 25) {
        const int c12 = altitudeCode12(ft), c13 = altitudeCode13(ft);
        ASSERT_TRUE(c12 & 0x10);
        ASSERT_EQ(c13 & 0x50, 0x10); // Q set, M clear
        EXPECT_EQ(25 * ((c12 & 0x0F) | ((c12 & 0xFE0) >> 1)) - 1000, ft);
        EXPECT_EQ(25 * ((c13 & 0x0F) | ((c13 & 0x20) >> 1) | ((c13 & 0x1F80) >> 2)) - 1000, ft);
    }
}

TEST(FrameBuilder, SurfaceMovementAndTrack)
{
    const struct {
        double kt;
        int code;
    } cases[] = {{0.0, 1}, {0.5, 5}, {1.0, 9}, {1.9, 12}, {2.0, 13}, {14.5, 38}, {17.0, 41},
                 {69.9, 93}, {70.0, 94}, {99.0, 108}, {100.0, 109}, {174.0, 123}, {175.0, 124}, {300.0, 124}};
    for (const auto& c : cases) {
        const ModeSFrame f = esSurfacePosition(0x123456, c.kt, 140.625, 52.3, 4.7, false);
        EXPECT_EQ(((f.bytes[4] & 7) << 4) | (f.bytes[5] >> 4), c.code) << c.kt;
        EXPECT_EQ((((f.bytes[5] & 7) << 4) | (f.bytes[6] >> 4)) * 360 / 128, 140) << c.kt;
    }
    EXPECT_EQ(esSurfacePosition(0x123456, 5, -1.0, 52.3, 4.7, false).bytes[5] & 0x08, 0); // no track
}

// The register guess runs on whole frames; the MB sits in bytes 4-10. gs, track: ADS-B values.
int inferred(const CommB& mb, const uint8_t** bytes = nullptr, int gs = kUnknown, int track = kUnknown)
{
    static uint8_t frame[14];
    std::copy(mb.mb, mb.mb + 7, frame + 4);
    if (bytes) *bytes = frame;
    return inferCommBRegister(frame, gs, track);
}

TEST(FrameBuilder, CommBRegistersAreInferredAndCarryTheirValues)
{
    const uint8_t* b = nullptr;
    for (const char* cs : {"KLM1017", "A", "", "EZY85MH", "12345678"}) EXPECT_EQ(inferred(mbIdentification(cs)), 0x20);

    for (int mcp = 0; mcp <= 43000; mcp += 700) {
        for (const double baro : {961.0, 995.4, 1013.2, 1069.0}) {
            ASSERT_EQ(inferred(mbVerticalIntention(mcp, mcp, baro), &b), 0x40);
            EXPECT_EQ(std::lround((((b[4] & 0x7F) << 5 | b[5] >> 3) * 16) / 100.0), std::lround(mcp / 100.0));
            EXPECT_NEAR((((b[7] & 0x1F) << 7) | (b[8] >> 1)) / 10.0 + 800.0, baro, 0.051);
        }
    }

    for (double track = 0.0; track < 360.0; track += 3.3) {
        for (const double roll : {-25.0, -2.5, 0.0, 14.0}) {
            const double gs = 150.0 + track;
            const CommB mb = mbTrackAndTurn(roll, track, gs, roll / 10.0, 420.0);
            ASSERT_EQ(inferred(mb, &b, int(std::lround(gs)), int(std::lround(track)) % 360), 0x50);
            EXPECT_LE(std::abs(2 * ((b[7] << 2) | (b[8] >> 6)) - gs), 1.0);
            EXPECT_EQ(2 * (((b[9] & 3) << 8) | b[10]), 420);
            const int r = ((b[4] & 0x3F) << 3) | (b[5] >> 5);
            EXPECT_NEAR(r * 45.0 / 256.0 - ((b[4] & 0x40) ? 90.0 : 0.0), roll, 0.1);
        }
    }

    for (double heading = 0.0; heading < 360.0; heading += 0.35) {
        for (const double vr : {-1800.0, 0.0, 2400.0}) {
            ASSERT_EQ(inferred(mbHeadingAndSpeed(heading, 250.0, 0.62, vr, vr), &b), 0x60) << heading;
            const double h = (((b[4] & 0x3F) << 4) | (b[5] >> 4)) * 90.0 / 512.0 + ((b[4] & 0x40) ? 180.0 : 0.0);
            EXPECT_NEAR(std::remainder(h - heading, 360.0), 0.0, 90.0 / 1024.0) << heading;
            EXPECT_EQ(((b[5] & 7) << 7) | (b[6] >> 1), 250);
            EXPECT_EQ((((b[7] << 8) | (b[8] & 0xC0)) >> 6) * 4, 620);
        }
    }
}

} // namespace
} // namespace varnock::synth
