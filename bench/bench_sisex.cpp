// Benchmark of the explorer: the picture of an overview and of a zoomed page, the pulse statistics of a page.
#include <benchmark/benchmark.h>

#include <vector>

#include "demod/magnitude.h"
#include "sisex/pulse_statistics.h"
#include "sisex/render.h"
#include "synth/scenario.h"

using namespace varnock;
using namespace varnock::sisex;

namespace {

// One page of magnitudes of a busy sky, computed once.
const std::vector<uint16_t>& busyPage()
{
    static const std::vector<uint16_t> page = [] {
        synth::Scenario sky(synth::busySkyParams(7));
        std::vector<uint8_t> iq(kBytesPerBuffer);
        sky.renderBuffer(20, iq.data());
        std::vector<uint16_t> m(kPageValues);
        computeMagnitudes(iq.data(), m.data(), kPageValues);
        return m;
    }();
    return page;
}

void renderPage(benchmark::State& state, bool zoom)
{
    PictureState s;
    s.page = busyPage().data();
    s.zoom = zoom;
    s.position = 14;
    RgbImage image(kPictureWidth, kPictureHeight);
    for (auto _ : state) {
        render(s, image);
        benchmark::DoNotOptimize(image.rgb.data());
    }
}

void BM_RenderOverview(benchmark::State& state) { renderPage(state, false); }
void BM_RenderZoom(benchmark::State& state) { renderPage(state, true); }

void BM_PulseStatistics(benchmark::State& state)
{
    PulseStatistics statistics;
    for (auto _ : state) {
        statistics.run(busyPage().data(), 12);
        benchmark::DoNotOptimize(statistics.hits());
    }
}

} // namespace

BENCHMARK(BM_RenderOverview)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderZoom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PulseStatistics)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
