// HTTP table build time over a full table of 2000 accepted aircraft.
#include <benchmark/benchmark.h>

#include "flights/http_tables.h"
#include "full_table.h"

using namespace varnock;

namespace {

FullTable& table()
{
    static FullTable t;
    return t;
}

void BM_HttpTable(benchmark::State& state)
{
    FullTable& t = table();
    const int n = static_cast<int>(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string body = httpTableText(n, t.rx->httpSources(), t.in);
        bytes = body.size();
        benchmark::DoNotOptimize(body.data());
    }
    state.counters["body_bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

} // namespace

BENCHMARK(BM_HttpTable)->Arg(2)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
