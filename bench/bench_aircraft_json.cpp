// Aircraft JSON build time over a full table of 2000 aircraft, and its gzip form.
#include <benchmark/benchmark.h>

#include <string>

#include <zlib.h>

#include "flights/aircraft_json.h"
#include "full_table.h"

using namespace varnock;

namespace {

FullTable& table()
{
    static FullTable t = [] {
        FullTable f;
        for (int i = 0; i < kTableSize; ++i) {
            TFlight& r = f.rx->table[i];
            r.onground = 0;
            r.esdf = 17;
            r.sightings = 100 + i;
            r.emerstate = 0;
            r.nic = 8;
            r.posage = i % 9;
        }
        return f;
    }();
    return t;
}

void BM_AircraftJson(benchmark::State& state)
{
    FullTable& t = table();
    std::string out;
    for (auto _ : state) {
        buildAircraftJson(t.rx->table, t.clock.utcMs(), 123456789, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["body_bytes"] = static_cast<double>(out.size());
}

// What the first gzip-asking poller of a snapshot pays on top.
void BM_AircraftJsonGzip(benchmark::State& state)
{
    FullTable& t = table();
    std::string out;
    buildAircraftJson(t.rx->table, t.clock.utcMs(), 123456789, out);
    std::string packed(compressBound(static_cast<uLong>(out.size())) + 64, '\0');
    uLongf n = 0;
    for (auto _ : state) {
        z_stream zs{};
        deflateInit2(&zs, 1, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
        zs.next_in = reinterpret_cast<Bytef*>(out.data());
        zs.avail_in = static_cast<uInt>(out.size());
        zs.next_out = reinterpret_cast<Bytef*>(packed.data());
        zs.avail_out = static_cast<uInt>(packed.size());
        deflate(&zs, Z_FINISH);
        n = zs.total_out;
        deflateEnd(&zs);
        benchmark::DoNotOptimize(packed.data());
    }
    state.counters["gzip_bytes"] = static_cast<double>(n);
}

} // namespace

BENCHMARK(BM_AircraftJson)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AircraftJsonGzip)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
