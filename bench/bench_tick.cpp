// Benchmark of the processing tick on a busy synthesized sky: fast scan vs the plain reference scan.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/clock.h"
#include "core/line_sink.h"
#include "core/output_sinks.h"
#include "receiver/receiver.h"
#include "demod/magnitude.h"
#include "demod/modes_scan.h"
#include "demod/vector_level.h"
#include "synth/scenario.h"

using namespace varnock;

namespace {

using Buffers = std::vector<std::vector<uint8_t>>;

// Eight consecutive buffers of the busy sky with `scale` times its aircraft.
Buffers render(int scale)
{
    synth::ScenarioParams p = synth::busySkyParams(7);
    p.aircraftCount *= scale;
    p.groundCount *= scale;
    synth::Scenario sky(p);
    Buffers b(8, std::vector<uint8_t>(kBytesPerBuffer));
    for (std::size_t i = 0; i < b.size(); ++i) sky.renderBuffer(20 + i, b[i].data());
    return b;
}

// The 100-aircraft sky, rendered once.
const Buffers& skyBuffers()
{
    static const Buffers buffers = render(1);
    return buffers;
}

// The 2000-aircraft sky of the soak, rendered once.
const Buffers& sky2000Buffers()
{
    static const Buffers buffers = render(20);
    return buffers;
}

// Raw TCP client and UDP target that accept and drop everything.
struct Discard final : RawSink, UdpSink {
    uint64_t bytes = 0;
    bool rawClientConnected() const override { return true; }
    void sendToRawClient(const uint8_t*, std::size_t n) override { bytes += n; }
    void sendDatagram(const uint8_t*, std::size_t n) override { bytes += n; }
};

void tick(benchmark::State& state, bool reference, bool outputs = false, const Buffers& buffers = skyBuffers())
{
    VirtualClock clock;
    NullLineSink lines;
    Receiver rx(clock, lines);
    rx.controls.sblist = false;
    rx.tick.setReferenceScan(reference);
    Discard discard;
    if (outputs) {
        // Every output on: raw client, "Send UDP", packet list with time fields.
        rx.rawOutput.setRawSink(&discard);
        rx.rawOutput.setUdpSink(&discard);
        rx.controls.sbudpout = true;
        rx.controls.sblist = true;
        rx.controls.mainWindowVisible = true;
        rx.options.cntr = true;
    }
    for (const auto& b : buffers) rx.audiotimerTimer(b.data()); // fill the table first
    std::size_t i = 0;
    int64_t accepted = 0;
    for (auto _ : state) {
        const int64_t before = rx.tick.counters.packetCounter;
        rx.audiotimerTimer(buffers[i++ % buffers.size()].data());
        accepted += rx.tick.counters.packetCounter - before;
    }
    state.counters["frames/buffer"] = benchmark::Counter(static_cast<double>(accepted) / static_cast<double>(state.iterations()));
    state.counters["aircraft"] = rx.table.countInUse();
    state.SetLabel(vectorLevelName(bestVectorLevel()));
    state.SetItemsProcessed(state.iterations() * kPairsPerBuffer);
}

void BM_TickFast(benchmark::State& s) { tick(s, false); }
void BM_TickReference(benchmark::State& s) { tick(s, true); }
void BM_TickAllOutputs(benchmark::State& s) { tick(s, false, true); }
void BM_TickSky2000(benchmark::State& s) { tick(s, false, false, sky2000Buffers()); }

// The two plain passes the Mode A/C scan and the explorer use.
void BM_Magnitudes(benchmark::State& state)
{
    const auto& b = skyBuffers()[0];
    std::vector<uint16_t> m(kPairsPerBuffer);
    for (auto _ : state) {
        computeMagnitudes(b.data(), m.data(), kPairsPerBuffer);
        benchmark::DoNotOptimize(estimateNoiseAndClip(m.data(), kPairsPerBuffer));
    }
    state.SetItemsProcessed(state.iterations() * kPairsPerBuffer);
}

// The one pass of the Mode-S tick: byte magnitudes, clipped, with the noise.
void BM_MagnitudesFused(benchmark::State& state)
{
    const auto& b = skyBuffers()[0];
    std::vector<uint8_t> m(kPairsPerBuffer);
    for (auto _ : state) benchmark::DoNotOptimize(clippedMagnitudesWithNoise(b.data(), m.data(), kPairsPerBuffer));
    state.SetItemsProcessed(state.iterations() * kPairsPerBuffer);
}

struct Count final : CandidateSink {
    int n = 0;
    bool onCandidate(RawFrame&) override { return ++n, false; }
};

void scanOnly(benchmark::State& state, bool reference)
{
    const auto& b = skyBuffers()[0];
    std::vector<uint16_t> m(kPairsPerBuffer);
    computeMagnitudes(b.data(), m.data(), kPairsPerBuffer);
    estimateNoiseAndClip(m.data(), kPairsPerBuffer);
    std::vector<uint8_t> m8(m.begin(), m.end());
    for (auto _ : state) {
        Count c;
        if (reference) scanModeSReference(m.data(), c);
        else scanModeS(m8.data(), c);
        benchmark::DoNotOptimize(c.n);
    }
}
void BM_ScanFast(benchmark::State& s) { scanOnly(s, false); }
void BM_ScanReference(benchmark::State& s) { scanOnly(s, true); }

} // namespace

BENCHMARK(BM_TickFast)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TickAllOutputs)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TickSky2000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TickReference)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Magnitudes)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_MagnitudesFused)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ScanFast)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ScanReference)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
