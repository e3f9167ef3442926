// Benchmark of the 2 s round over a full table: 2000 accepted aircraft with every message slot new.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string_view>
#include <vector>

#include "core/clock.h"
#include "core/line_sink.h"
#include "receiver/receiver.h"
#include "synth/frame_builder.h"

using namespace varnock;
using namespace varnock::synth;

namespace {

// A connected 30003 client that throws the lines away: every line is built.
struct DiscardingClient final : LineSink {
    uint64_t bytes = 0;
    bool connected = true;
    bool anyLineClient() const override { return connected; }
    void sendToLineClients(std::string_view l) override { bytes += l.size(); }
};

struct FullTable {
    VirtualClock clock;
    DiscardingClient lines;
    Receiver rx{clock, lines};
    std::vector<std::vector<ModeSFrame>> frames;

    FullTable()
    {
        rx.controls.sblist = false;
        rx.home = {52.3, 4.76, false};
        frames.resize(kTableSize);
        for (int i = 0; i < kTableSize; ++i) {
            const uint32_t a = 0x400000u + static_cast<uint32_t>(i);
            const double lat = 50.0 + (i % 40) * 0.1, lon = 2.0 + (i / 40) * 0.1;
            char cs[9];
            std::snprintf(cs, sizeof cs, "TST%04d", i);
            auto& f = frames[static_cast<std::size_t>(i)];
            f = {shortAirAir(a, 35000, false), altitudeReply(a, 35000), identityReply(a, "1234"), allCallReply(a),
                 longAirAir(a, 35000, false), esAirbornePosition(a, 35000, lat, lon, false),
                 esAirbornePosition(a, 35000, lat, lon, true), esIdentification(a, cs),
                 esSurfacePosition(a, 10, 90, lat, lon, false), esSurfacePosition(a, 10, 90, lat, lon, true),
                 esAirborneVelocity(a, 450, 90, 0), esStatusSquawk(a, "1234"),
                 commBAltitudeReply(a, 35000, mbIdentification(cs)),
                 commBAltitudeReply(a, 35000, mbVerticalIntention(35000, 35000, 1013)),
                 commBAltitudeReply(a, 35000, mbTrackAndTurn(10, 90, 450, 1, 460)),
                 commBAltitudeReply(a, 35000, mbHeadingAndSpeed(90, 280, 0.8, 0, 0)),
                 commBIdentityReply(a, "1234", mbIdentification(cs)),
                 commBIdentityReply(a, "1234", mbVerticalIntention(35000, 35000, 1013)),
                 commBIdentityReply(a, "1234", mbTrackAndTurn(10, 90, 450, 1, 460)),
                 commBIdentityReply(a, "1234", mbHeadingAndSpeed(90, 280, 0.8, 0, 0))};
            TFlight& r = rx.table[i];
            char hex[7];
            std::snprintf(hex, sizeof hex, "%06X", a);
            rx.table.setAddress(i, hex);
            r.inuse = 1;
            r.announced = 1;
        }
        rx.table.highestUsed = kTableSize - 1;
    }

    // Files every frame again: all 22 slots new (TC 30/31 aside, which the builders do not make).
    void refill()
    {
        for (int i = 0; i < kTableSize; ++i) {
            TFlight& r = rx.table[i];
            for (const auto& f : frames[static_cast<std::size_t>(i)]) rx.table.storeFrame(f.df(), f.bytes, r);
            r.timeout = 30;
            r.aireven.age = r.airodd.age = 8;
        }
        rx.tick.counters.noiseCount = 1; // a buffer was processed: the round goes on
        rx.tick.counters.noiseSum = 4;
    }
};

void BM_RoundFullTable(benchmark::State& state)
{
    FullTable t;
    t.lines.connected = state.range(0) != 0;
    t.refill();
    t.rx.datacntrTimer(0); // positions decoded once, as in steady state
    for (auto _ : state) {
        state.PauseTiming();
        t.refill();
        state.ResumeTiming();
        t.rx.datacntrTimer(250);
    }
    state.counters["aircraft"] = t.rx.round.aircraftCount;
    state.counters["line bytes/round"] =
        benchmark::Counter(static_cast<double>(t.lines.bytes) / static_cast<double>(state.iterations() + 1));
}

} // namespace

BENCHMARK(BM_RoundFullTable)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
