// Mode A/C sky through the tick and the scan, both detectors: codes, altitudes and the measured detection figures.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/clock.h"
#include "demod/magnitude.h"
#include "demod/modeac_scan.h"
#include "flights/aircraft_table.h"
#include "receiver/processing_tick.h"
#include "synth/modeac_scenario.h"
#include "test_support.h"

using namespace varnock;

namespace {

struct Replies final : ModeACOutput {
    std::vector<ModeACReply> got;
    void emitModeACReply(const ModeACReply& r) override { got.push_back(r); }
};

int64_t stampValue(const uint8_t s[6])
{
    int64_t v = 0;
    for (int i = 0; i < 6; ++i) v = (v << 8) | s[i];
    return v;
}

// What one detector makes of a stretch of a Mode A/C sky, matched reply by reply against what was sent.
struct SkyTally {
    size_t sent = 0;
    size_t correct = 0; // decoded at the reply's F1 with the code sent
    size_t wrong = 0;   // decoded at the reply's F1 with another code
    size_t madeUp = 0;  // decoded where no reply began
    size_t codes = 0;   // distinct codes sent: each one's first reception is held back
};

struct SkyRun {
    SkyTally tally;
    std::vector<ModeACReply> got;
};

// The tick and Mode A/C scan of one detector, as the program wires them.
struct ModeACReceiver {
    explicit ModeACReceiver(bool newp)
    {
        controls.sbmodes = false;
        controls.sbmodeac = true;
        options.newp = newp;
        tick.setModeACScanner(&scan);
    }
    VirtualClock clock;
    test::RecordingLineSink lines;
    AircraftTable table{lines, clock};
    Controls controls;
    ProcessingTick tick{table, controls};
    CommandLineOptions options;
    std::unique_ptr<ModeACCodeCounts> counts = std::make_unique<ModeACCodeCounts>();
    Replies out;
    ModeACScan scan{tick.counters, options, *counts, &out};
};

// Both detectors over the same rendered buffers: [0] classic, [1] alternative.
std::array<SkyRun, 2> runSky(const synth::ModeACScenarioParams& params, uint64_t buffers)
{
    std::array<std::unique_ptr<ModeACReceiver>, 2> rx = {std::make_unique<ModeACReceiver>(false),
                                                         std::make_unique<ModeACReceiver>(true)};
    synth::ModeACScenario sky(params);
    std::vector<uint8_t> iq(kBytesPerBuffer);
    std::vector<synth::ModeACSkyReply> placed;
    std::map<int64_t, std::string> sent; // F1's first sample -> code
    for (uint64_t n = 0; n < buffers; ++n) {
        sky.renderBuffer(n, iq.data());
        sky.repliesInBuffer(n, placed);
        for (const auto& r : placed) sent[int64_t(n) * kPairsPerBuffer + r.sample] = r.code.text();
        for (auto& r : rx) r->tick.audiotimerTimer(iq.data());
    }
    std::set<std::string> codes;
    for (const auto& [at, code] : sent) codes.insert(code);

    std::array<SkyRun, 2> runs;
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(rx[i]->tick.counters.noiseCount, 2 * buffers); // the plain noise and T, per buffer
        SkyRun& run = runs[i];
        run.tally.sent = sent.size();
        run.tally.codes = codes.size();
        for (const ModeACReply& r : rx[i]->out.got) {
            // The tick counts the buffer before scanning it; a reply spread over two samples peaks
            // on either, and the alternative detector may settle one early on a rising F1.
            const int64_t at = stampValue(r.stamp) - kPairsPerBuffer;
            auto hit = sent.end();
            for (int64_t d : {0, 1, -1, 2}) {
                if ((hit = sent.find(at - d)) != sent.end()) break;
            }
            if (hit == sent.end()) ++run.tally.madeUp;
            else if (hit->second == r.code) ++run.tally.correct;
            else ++run.tally.wrong;
        }
        run.got = std::move(rx[i]->out.got);
    }
    return runs;
}

std::string describe(const SkyTally& t)
{
    return "sent " + std::to_string(t.sent) + ", correct " + std::to_string(t.correct) + ", wrong " +
           std::to_string(t.wrong) + ", made up " + std::to_string(t.madeUp);
}

} // namespace

// Replies whose pulses each fall on one sample: checks the chain (codes, altitudes, nothing made up),
// not the detectors' tolerance of timing, which the next test measures.
TEST(ModeACEndToEnd, SampleAlignedRepliesComeOutWithTheirCodes)
{
    synth::ModeACScenarioParams params;
    params.timingSpread = 0.0;
    const synth::ModeACScenario sky(params);
    const auto runs = runSky(params, 4);
    for (bool newp : {false, true}) {
        const SkyRun& run = runs[newp];
        SCOPED_TRACE(describe(run.tally) + (newp ? " newp" : " classic"));

        std::set<std::string> seen;
        for (const auto& r : run.got) seen.insert(r.code);
        for (int i = 0; i < sky.aircraftCount(); ++i) {
            const auto& a = sky.aircraft(i);
            EXPECT_TRUE(seen.erase(a.squawk.text())) << a.squawk.text();
            EXPECT_TRUE(seen.erase(a.altitudeCode.text())) << a.altitudeCode.text();
        }
        EXPECT_TRUE(seen.empty()) << *seen.begin(); // nothing made up
        for (const auto& r : run.got) {
            for (int i = 0; i < sky.aircraftCount(); ++i) {
                if (sky.aircraft(i).altitudeCode.text() == r.code) {
                    EXPECT_TRUE(r.altitudeValid);
                    EXPECT_EQ(r.flightLevel * 100, sky.aircraft(i).altitudeFt);
                }
            }
        }
        EXPECT_EQ(run.tally.wrong + run.tally.madeUp, 0u);
        // The classic detector loses a reply whenever one of its 28 gap samples reaches T, which
        // Gaussian noise does about one time in ten. The first sighting of each code is held back.
        EXPECT_GE(run.tally.correct + run.tally.codes, run.tally.sent * (newp ? 98 : 85) / 100);
    }
}

// Replies arriving at any phase of a sample, as they do off the air. A pulse split over two
// samples puts part of its energy into a gap sample: the classic detector's noise threshold then
// refuses the reply, while the alternative detector's threshold follows the reply and fails only
// near an even split. The bands hold the measured fractions (about 19 % and 70 % over these 10 s;
// every code's first reception is held back by design); outside them the published figures are stale.
TEST(ModeACEndToEnd, RepliesAtEveryArrivalPhase)
{
    const auto runs = runSky(synth::ModeACScenarioParams{}, 21); // 10.4 s of the demo sky
    for (bool newp : {false, true}) {
        const SkyTally& t = runs[newp].tally;
        SCOPED_TRACE(describe(t) + (newp ? " newp" : " classic"));
        ::testing::Test::RecordProperty(newp ? "newp" : "classic", describe(t));
        ASSERT_GT(t.sent, 800u);
        const double correct = double(t.correct) / double(t.sent);
        const double wrong = double(t.wrong + t.madeUp) / double(t.sent);
        if (newp) {
            EXPECT_GT(correct, 0.60);
            EXPECT_LT(correct, 0.85);
        } else {
            EXPECT_GT(correct, 0.12);
            EXPECT_LT(correct, 0.30);
        }
        EXPECT_LT(wrong, 0.02);
    }
}
