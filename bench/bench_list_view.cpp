// Benchmarks of the main window's list: the aircraft view rebuilt and repainted for 2000 aircraft,
// one screenful drawn from nothing, and one packet line scrolled in.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <string>

#include "flights/list_lines.h"
#include "full_table.h"
#include "gui/list_view.h"

using namespace varnock;

namespace {

QApplication& app()
{
    static int argc = 1;
    static char name[] = "bench_list_view";
    static char* argv[] = {name, nullptr};
    static QApplication* a = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);
    }();
    return *a;
}

struct ListBench {
    FullTable full;
    ListView view{*full.rx};
    QImage screen{ListView::kWidth, ListView::kHeight, QImage::Format_RGB32};

    ListBench()
    {
        view.resize(ListView::kWidth, ListView::kHeight);
        rebuild(0);
        view.refresh();
    }

    // What the 2 s round does to the list in the aircraft view, with every line's speed changed.
    void rebuild(int round)
    {
        Receiver& rx = *full.rx;
        ListModel& list = rx.list;
        list.beginUpdate();
        list.clear();
        list.setSorted(false);
        list.WriteLogLine(kListHeader);
        for (int i = 0; i < kTableSize; ++i) {
            TFlight& f = rx.table[i];
            f.gs = 300 + (i + round) % 200;
            list.add(plainLine(aircraftColumns(f)), i);
        }
        list.endUpdate();
    }

    void paint()
    {
        QPainter p(&screen);
        view.render(&p);
    }
};

void BM_ListRoundRebuildAndRepaint(benchmark::State& state)
{
    app();
    ListBench b;
    int round = 0;
    for (auto _ : state) {
        b.rebuild(++round);
        b.view.refresh();
        b.paint();
        benchmark::DoNotOptimize(b.screen.constBits());
    }
    state.counters["aircraft"] = kTableSize;
}
BENCHMARK(BM_ListRoundRebuildAndRepaint)->Unit(benchmark::kMillisecond);

void BM_ListScreenfulPaint(benchmark::State& state)
{
    app();
    ListBench b;
    for (auto _ : state) {
        b.view.invalidate();
        b.view.refresh();
        b.paint();
        benchmark::DoNotOptimize(b.screen.constBits());
    }
    state.counters["items"] = b.view.itemsDrawn();
}
BENCHMARK(BM_ListScreenfulPaint)->Unit(benchmark::kMillisecond);

void BM_ListPacketLineScrolledIn(benchmark::State& state)
{
    app();
    ListBench b;
    Receiver& rx = *b.full.rx;
    rx.controls.sblist = true;
    int n = 0;
    for (auto _ : state) {
        rx.list.WriteLogLine("*8D4840D6202CC371C32CE0576098; [ 12] " + std::to_string(++n));
        b.view.refresh();
        b.paint();
        benchmark::DoNotOptimize(b.screen.constBits());
    }
}
BENCHMARK(BM_ListPacketLineScrolledIn)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
