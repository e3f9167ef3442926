// The whole chain against the demo sky's truth: synthesis -> scan -> acceptance -> table -> decoders.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/ascii_text.h"
#include "core/clock.h"
#include "receiver/receiver.h"
#include "receiver/replay_driver.h"
#include "demod/magnitude.h"
#include "synth/scenario.h"

using namespace varnock;

namespace {

struct Accepted final : FrameOutput {
    std::vector<RawFrame> frames;
    uint64_t buffer = 0;
    std::vector<uint64_t> bufferOf;
    void emitModeSFrame(const RawFrame& f) override
    {
        frames.push_back(f);
        bufferOf.push_back(buffer);
    }
};

double angleDiff(double a, double b)
{
    double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180 ? 360 - d : d;
}

class DemoSky : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        run = new Run;
        synth::Scenario& sky = run->sky;
        ReplayDriver driver(run->rx, run->clock);
        run->rx.controls.sblist = false; // the aircraft view: decode every round
        run->rx.tick.setFrameOutput(&run->out);
        std::vector<uint8_t> buf(kBytesPerBuffer);
        for (uint64_t n = 0; n < kBuffers; ++n) {
            sky.renderBuffer(n, buf.data());
            std::vector<synth::SkyFrame> frames;
            sky.framesInBuffer(n, frames);
            run->sent.push_back(frames);
            run->out.buffer = n;
            driver.feed(buf.data());
        }
        driver.finish();
    }
    static void TearDownTestSuite()
    {
        delete run;
        run = nullptr;
    }

    static constexpr uint64_t kBuffers = 40; // 20.48 s
    struct Run {
        synth::Scenario sky{synth::demoSkyParams(3)};
        VirtualClock clock;
        NullLineSink lines;
        Receiver rx{clock, lines};
        Accepted out;
        std::vector<std::vector<synth::SkyFrame>> sent;
    };
    static Run* run;
};

DemoSky::Run* DemoSky::run = nullptr;

} // namespace

TEST_F(DemoSky, EveryFrameOfAnAcceptedAircraftComesOutBitForBit)
{
    // Index what came out by (buffer, data sample).
    std::map<std::pair<uint64_t, int>, const RawFrame*> got;
    for (std::size_t i = 0; i < run->out.frames.size(); ++i)
        got[{run->out.bufferOf[i], run->out.frames[i].sampleIndex}] = &run->out.frames[i];

    std::map<uint32_t, bool> accepted; // address -> accepted by an earlier DF 11/17 frame
    int checked = 0;
    for (uint64_t n = 0; n < kBuffers; ++n) {
        for (const auto& f : run->sent[n]) {
            const uint32_t addr = run->sky.aircraft(f.aircraft).address;
            const int df = f.frame.df();
            const bool immediate = df == 11 || df == 17;
            if (f.sample < 0 || f.sample >= 1023760) continue; // straddles a buffer edge: not sliced
            if (immediate) accepted[addr] = true;
            if (!accepted[addr]) continue;
            const RawFrame* r = nullptr;
            for (int d = -1; d <= 1 && !r; ++d) {
                auto it = got.find({n, static_cast<int>(f.sample) + 16 + d});
                if (it != got.end()) r = it->second;
            }
            ASSERT_NE(r, nullptr) << "buffer " << n << " sample " << f.sample << " df " << df;
            EXPECT_EQ(r->length, f.frame.length);
            EXPECT_EQ(0, std::memcmp(r->bytes, f.frame.bytes, static_cast<std::size_t>(f.frame.length)));
            ++checked;
        }
    }
    EXPECT_GT(checked, 1000);
    // Nothing is invented: every accepted frame was sent.
    EXPECT_EQ(static_cast<int>(run->out.frames.size()), checked);
}

TEST_F(DemoSky, TableMatchesTheTruth)
{
    const double t = static_cast<double>(kBuffers) * synth::kBufferSeconds;
    const AircraftTable& table = run->rx.table;
    for (int i = 0; i < run->sky.aircraftCount(); ++i) {
        const auto& info = run->sky.aircraft(i);
        const auto truth = run->sky.stateAt(i, t);
        char hex[7];
        std::snprintf(hex, sizeof hex, "%06X", info.address);
        const TFlight* rec = nullptr;
        for (int k = 0; k <= table.highestUsed; ++k)
            if (table[k].inuse && table[k].icao.equals(hex, 6)) rec = &table[k];
        ASSERT_NE(rec, nullptr) << hex;
        SCOPED_TRACE(std::string(hex) + " " + info.callsign);
        EXPECT_EQ(trimmed(rec->callsign.c_str()), info.callsign);
        EXPECT_EQ(trimmed(rec->squawk.c_str()), info.squawk);
        ASSERT_NE(rec->lat, kUnknownPos);
        // Positions are a few seconds old at most: allow what 600 kt covers in 3 s.
        EXPECT_NEAR(rec->lat, truth.lat, 0.01);
        EXPECT_NEAR(rec->lon, truth.lon, 0.02);
        if (info.onGround) {
            EXPECT_EQ(rec->onground, 1);
            EXPECT_STREQ(rec->altstr.c_str(), "G---");
        } else {
            EXPECT_EQ(rec->onground, 0);
            EXPECT_NEAR(rec->altitude, truth.altitudeFt, 25 + std::fabs(truth.verticalRateFpm) * 3 / 60);
            EXPECT_NEAR(rec->gs, truth.groundSpeedKt, 2);
            EXPECT_LE(angleDiff(rec->track, truth.trackDeg), 2 + std::fabs(truth.trackRateDps) * 3);
            EXPECT_NEAR(rec->vrate, truth.verticalRateFpm, 64);
        }
    }
}
