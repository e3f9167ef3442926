// Scenarios: determinism, buffer independence and continuity, frame spacing, rates, and frames that
// agree with the published truth.
#include "cpr_reference.h"
#include "demod/parity.h"
#include "decode/commb_infer.h"
#include "synth/scenario.h"
#include "synth_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <vector>

namespace varnock::synth {
namespace {

constexpr int64_t kPairs = int64_t(kBufferPairs);

double distanceKm(double lat, double lon)
{
    const double y = (lat - kHomeLat) * 111.195;
    const double x = (lon - kHomeLon) * 111.195 * std::cos(kHomeLat * std::numbers::pi / 180.0);
    return std::hypot(x, y);
}

TEST(Scenario, DemoSkyHasTheAdvertisedAircraft)
{
    const Scenario sky(demoSkyParams(3));
    ASSERT_EQ(sky.aircraftCount(), 20);
    int ground = 0, flightLevel = 0, climbing = 0, descending = 0;
    for (int i = 0; i < sky.aircraftCount(); ++i) {
        const AircraftInfo& a = sky.aircraft(i);
        EXPECT_EQ(sky.findAircraft(a.address), i);
        EXPECT_FALSE(a.callsign.empty());
        EXPECT_LE(a.callsign.size(), 8u);
        ASSERT_EQ(a.squawk.size(), 4u);
        for (const char c : a.squawk) EXPECT_TRUE(c >= '0' && c <= '7');
        ground += a.onGround;
        for (double t = 0.0; t < 1800.0; t += 15.0) {
            const AircraftState s = sky.stateAt(i, t);
            EXPECT_LE(distanceKm(s.lat, s.lon), a.onGround ? 5.0 : 150.0);
            if (a.onGround) {
                EXPECT_EQ(s.altitudeFt, 0.0);
                EXPECT_LT(s.groundSpeedKt, 30.0);
                continue;
            }
            flightLevel += s.altitudeFt >= 10000.0 && s.altitudeFt <= 45000.0;
            climbing += s.verticalRateFpm > 0.0;
            descending += s.verticalRateFpm < 0.0;
        }
    }
    EXPECT_EQ(ground, 3);
    EXPECT_GT(flightLevel, 0);
    EXPECT_GT(climbing, 0);
    EXPECT_GT(descending, 0);
    EXPECT_EQ(sky.findAircraft(0xFFFFFFFF), -1);
}

TEST(Scenario, BuffersDependOnlyOnSeedAndIndex)
{
    Scenario a(demoSkyParams(5)), b(demoSkyParams(5)), other(demoSkyParams(6));
    std::vector<uint8_t> first(2 * kBufferPairs), again(2 * kBufferPairs), fresh(2 * kBufferPairs);
    a.renderBuffer(3, fresh.data());
    a.renderBuffer(4, first.data());
    b.renderBuffer(4, fresh.data());
    EXPECT_EQ(first, fresh);
    a.renderBuffer(9, again.data());
    a.renderBuffer(4, again.data());
    EXPECT_EQ(first, again);
    other.renderBuffer(4, fresh.data());
    EXPECT_NE(first, fresh);
}

TEST(Scenario, FramesContinueAcrossBufferBoundaries)
{
    ScenarioParams p = demoSkyParams(2);
    p.noiseSigma = 0.0;
    Scenario sky(p);
    // Find a frame that starts in the last 240 samples of a buffer.
    std::vector<SkyFrame> frames;
    int64_t n = 0;
    for (; n < 5000; ++n) {
        sky.framesInRange((n + 1) * kPairs - kLongFrameSamples, (n + 1) * kPairs, frames);
        if (!frames.empty()) break;
    }
    ASSERT_FALSE(frames.empty());

    std::vector<uint8_t> pair(4 * kBufferPairs);
    sky.renderBuffer(uint64_t(n), pair.data());
    sky.renderBuffer(uint64_t(n + 1), pair.data() + 2 * kBufferPairs);

    SignalBuffer joint(2 * kBufferPairs);
    sky.framesInRange(n * kPairs - kLongFrameSamples, (n + 2) * kPairs, frames);
    for (SkyFrame f : frames) {
        f.sample -= n * kPairs;
        addFrame(joint, f);
    }
    std::vector<uint8_t> expected(4 * kBufferPairs);
    joint.quantise(expected.data());
    EXPECT_EQ(pair, expected);
}

TEST(Scenario, DemoFramesNeverShareAirtime)
{
    Scenario sky(demoSkyParams(4));
    std::vector<SkyFrame> all, part, joined;
    sky.framesInRange(0, 20 * kPairs, all);
    ASSERT_GT(all.size(), 1200u); // about 140 frames per second
    for (size_t i = 1; i < all.size(); ++i)
        EXPECT_GE(all[i].sample - all[i - 1].sample, kLongFrameSamples + 226) << i; // frame + the skip after a preamble

    // Each frame is listed once, in the buffer where it starts.
    for (uint64_t n = 0; n < 20; ++n) {
        sky.framesInBuffer(n, part);
        for (SkyFrame f : part) {
            EXPECT_TRUE(f.sample >= 0 && f.sample < kPairs);
            f.sample += int64_t(n) * kPairs;
            joined.push_back(f);
        }
    }
    ASSERT_EQ(joined.size(), all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(joined[i].sample, all[i].sample);
        EXPECT_EQ(testing::hexOf(joined[i].frame), testing::hexOf(all[i].frame));
    }

    Scenario busy(busySkyParams(4));
    EXPECT_EQ(busy.aircraftCount(), 100);
    busy.framesInRange(0, 2 * kPairs, all);
    int overlapping = 0;
    for (size_t i = 1; i < all.size(); ++i) overlapping += all[i].sample - all[i - 1].sample < kLongFrameSamples;
    EXPECT_GT(all.size(), 600u);
    EXPECT_GT(overlapping, 0);
}

TEST(Scenario, MessageRatesAndRegisterRotation)
{
    Scenario sky(demoSkyParams(8));
    const double seconds = 120.0;
    std::vector<SkyFrame> frames;
    sky.framesInRange(0, int64_t(seconds * kModeSSampleRate), frames);
    std::map<std::pair<int, FrameKind>, int> count;
    std::map<int, std::map<int, int>> registers;
    std::map<int, int> oddPositions;
    for (const SkyFrame& f : frames) {
        ++count[{f.aircraft, f.kind}];
        if (f.commBRegister) ++registers[f.aircraft][f.commBRegister];
        if (f.kind == FrameKind::AirbornePosition || f.kind == FrameKind::SurfacePosition)
            oddPositions[f.aircraft] += (f.frame.bytes[6] >> 2) & 1;
    }
    auto number = [&](int a, FrameKind k) { return count[std::make_pair(a, k)]; };
    auto rate = [&](int a, FrameKind k) { return number(a, k) / seconds; };
    for (int a = 0; a < sky.aircraftCount(); ++a) {
        SCOPED_TRACE(a);
        const bool ground = sky.aircraft(a).onGround;
        const FrameKind position = ground ? FrameKind::SurfacePosition : FrameKind::AirbornePosition;
        EXPECT_NEAR(rate(a, position), 2.0, 0.3);
        EXPECT_NEAR(double(oddPositions[a]) / number(a, position), 0.5, 0.05);
        EXPECT_NEAR(rate(a, FrameKind::AllCall), 1.0, 0.2);
        EXPECT_NEAR(rate(a, FrameKind::Identification), 0.2, 0.06);
        EXPECT_GT(rate(a, FrameKind::Status), 0.0);
        EXPECT_NEAR(rate(a, FrameKind::Velocity), ground ? 0.0 : 2.0, 0.3);
        EXPECT_EQ(number(a, ground ? FrameKind::AirbornePosition : FrameKind::SurfacePosition), 0);
        EXPECT_EQ(registers[a].size(), ground ? 2u : 4u);
    }
}

TEST(Scenario, FramesAgreeWithTheTruth)
{
    Scenario sky(demoSkyParams(9));
    std::vector<SkyFrame> frames;
    sky.framesInRange(0, 60 * int64_t(kModeSSampleRate), frames);
    std::map<int, const SkyFrame*> lastEven, lastOdd;
    std::map<int, int> velocityGs, velocityTrack;
    int globalChecks = 0;

    for (const SkyFrame& f : frames) {
        const AircraftInfo& info = sky.aircraft(f.aircraft);
        const AircraftState s = sky.stateAt(f.aircraft, (double(f.sample) + f.offset) / kModeSSampleRate);
        const uint8_t* b = f.frame.bytes;
        const int df = f.frame.df();
        const bool clearAddress = df == 11 || df == 17;
        ASSERT_EQ(modeSSyndrome(b, f.frame.length), clearAddress ? 0u : info.address) << testing::hexOf(f.frame);
        ASSERT_NE(b[f.frame.length - 1] | b[f.frame.length - 2] | b[f.frame.length - 3], 0);
        if (clearAddress) {
            EXPECT_EQ(uint32_t(b[1] << 16 | b[2] << 8 | b[3]), info.address);
        }

        switch (f.kind) {
        case FrameKind::AirbornePosition: {
            const int code = ((b[5] << 8) | (b[6] & 0xF0)) >> 4;
            EXPECT_NEAR(25 * ((code & 0x0F) | ((code & 0xFE0) >> 1)) - 1000, s.altitudeFt, 12.5);
            const bool odd = (b[6] >> 2) & 1;
            (odd ? lastOdd : lastEven)[f.aircraft] = &f;
            const SkyFrame* e = lastEven[f.aircraft];
            const SkyFrame* o = lastOdd[f.aircraft];
            if (!odd && o && f.sample - o->sample < int64_t(kModeSSampleRate)) {
                auto lat17 = [](const uint8_t* x) { return (((x[6] & 3) << 16) | (x[7] << 8) | (x[8] & 0xFE)) >> 1; };
                auto lon17 = [](const uint8_t* x) { return ((x[8] & 1) << 16) | (x[9] << 8) | x[10]; };
                double lat = 0, lon = 0;
                ASSERT_TRUE(testing::referenceGlobal(lat17(e->frame.bytes), lon17(e->frame.bytes),
                                                     lat17(o->frame.bytes), lon17(o->frame.bytes), 360.0, lat, lon));
                EXPECT_NEAR(lat, s.lat, 1e-4);
                EXPECT_NEAR(lon, s.lon, 1e-4);
                ++globalChecks;
            }
            break;
        }
        case FrameKind::Velocity: {
            const int vew = ((b[5] & 3) << 8) + b[6], vns = ((b[7] & 0x7F) << 3) | (b[8] >> 5);
            const double ve = (vew - 1) * ((b[5] & 4) ? -1.0 : 1.0), vn = (vns - 1) * ((b[7] & 0x80) ? -1.0 : 1.0);
            EXPECT_NEAR(std::hypot(ve, vn), s.groundSpeedKt, 1.0);
            EXPECT_NEAR(std::remainder(std::atan2(ve, vn) * 180.0 / std::numbers::pi - s.trackDeg, 360.0), 0.0, 0.5);
            const int v = (((b[8] & 7) << 6) | (b[9] >> 2)) - 1;
            EXPECT_NEAR(v * 64 * ((b[8] & 8) ? -1 : 1), s.verticalRateFpm, 32.0);
            velocityGs[f.aircraft] = int(std::lround(std::hypot(ve, vn)));
            velocityTrack[f.aircraft] = int(std::lround(std::atan2(ve, vn) * 180.0 / std::numbers::pi) + 360) % 360;
            break;
        }
        case FrameKind::CommBAltitude:
        case FrameKind::CommBIdentity: {
            // A receiver knows the aircraft's ADS-B speed and track once a velocity has come; a
            // 5,0 register is only believed with it.
            const bool adsb = velocityGs.count(f.aircraft) != 0;
            if (adsb || f.commBRegister != 0x50) {
                EXPECT_EQ(inferCommBRegister(b, adsb ? velocityGs[f.aircraft] : kUnknown,
                                             adsb ? velocityTrack[f.aircraft] : kUnknown),
                          f.commBRegister);
            }
            if (f.commBRegister == 0x50 && adsb) {
                EXPECT_LT(std::abs(2 * ((b[7] << 2) | (b[8] >> 6)) - velocityGs[f.aircraft]), 4);
            }
            if (f.commBRegister == 0x60) {
                const int ias = ((b[5] & 7) << 7) | (b[6] >> 1);
                const int mach = (((b[7] << 8) | (b[8] & 0xC0)) >> 6) * 4;
                EXPECT_TRUE(ias > 115 && ias < 380) << ias;
                EXPECT_TRUE(mach > 210 && mach < 880) << mach;
            }
            if (f.commBRegister == 0x40) {
                const double baro = std::round((((b[7] & 0x1F) << 7) | (b[8] >> 1)) / 10.0 + 800.0);
                EXPECT_TRUE(baro > 960 && baro < 1070) << baro;
            }
            break;
        }
        default:
            break;
        }
    }
    EXPECT_GT(globalChecks, 500);
}

TEST(Scenario, NoiseFloorLooksLikeADongle)
{
    Scenario sky(demoSkyParams(1));
    std::vector<uint8_t> iq(2 * kBufferPairs);
    std::vector<SkyFrame> frames;
    sky.renderBuffer(2, iq.data());
    sky.framesInBuffer(2, frames);
    std::vector<bool> busy(kBufferPairs, false);
    for (const SkyFrame& f : frames)
        for (int64_t k = std::max<int64_t>(0, f.sample - 1); k < std::min(kPairs, f.sample + 242); ++k)
            busy[size_t(k)] = true;
    double sum = 0;
    int64_t quiet = 0;
    for (size_t p = 0; p < kBufferPairs; ++p)
        if (!busy[p]) sum += magnitudeAt(iq.data(), p), ++quiet;
    EXPECT_GT(sum / double(quiet), 2.5);
    EXPECT_LT(sum / double(quiet), 5.0);
}

} // namespace
} // namespace varnock::synth
