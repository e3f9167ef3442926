// Benchmark of the processing tick with aggregators: none, two connected and reading, one dead.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/line_sink.h"
#include "demod/magnitude.h"
#include "net/push_connector.h"
#include "receiver/receiver.h"
#include "synth/scenario.h"

using namespace varnock;

namespace {

const std::vector<std::vector<uint8_t>>& skyBuffers()
{
    static const std::vector<std::vector<uint8_t>> buffers = [] {
        synth::Scenario sky(synth::busySkyParams(7));
        std::vector<std::vector<uint8_t>> b(8, std::vector<uint8_t>(kBytesPerBuffer));
        for (std::size_t i = 0; i < b.size(); ++i) sky.renderBuffer(20 + i, b[i].data());
        return b;
    }();
    return buffers;
}

QCoreApplication& app()
{
    static int argc = 1;
    static char name[] = "bench_push";
    static char* argv[] = {name, nullptr};
    static auto* a = new QCoreApplication(argc, argv);
    return *a;
}

// A listener that accepts and reads everything, as an aggregator would.
struct Aggregator {
    QTcpServer server;
    std::vector<std::unique_ptr<QTcpSocket>> peers;
    Aggregator()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = server.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, [s] { s->skip(s->bytesAvailable()); });
                peers.emplace_back(s);
            }
        });
    }
    std::string target() const { return "127.0.0.1:" + std::to_string(server.serverPort()); }
};

// mode 0: no -connect; 1: two aggregators connected; 2: one that refuses.
void tick(benchmark::State& state, int mode)
{
    app();
    const auto& buffers = skyBuffers();
    VirtualClock clock;
    NullLineSink lines;
    Receiver rx(clock, lines);
    rx.controls.sblist = false;
    PushConnectors push([](const std::string&) {});
    Aggregator a, b;
    QTcpServer gone;
    gone.listen(QHostAddress::LocalHost, 0);
    const std::string dead = "127.0.0.1:" + std::to_string(gone.serverPort());
    gone.close();
    if (mode == 1) push.start({a.target(), b.target()});
    if (mode == 2) push.start({dead});
    rx.rawOutput.setPushSink(&push);
    for (int i = 0; i < 200 && mode == 1 && push.connectors().size() == 2 &&
                    !(push.connectors()[0]->connected() && push.connectors()[1]->connected());
         ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    for (const auto& buf : buffers) rx.audiotimerTimer(buf.data());
    std::size_t i = 0;
    for (auto _ : state) {
        rx.audiotimerTimer(buffers[i++ % buffers.size()].data());
        state.PauseTiming();
        QCoreApplication::processEvents(); // the sockets drain between ticks, as in the program
        state.ResumeTiming();
    }
    state.counters["dropped"] = mode == 1 ? static_cast<double>(push.connectors()[0]->dropped()) : 0.0;
}

void BM_TickNoAggregator(benchmark::State& s) { tick(s, 0); }
void BM_TickTwoAggregators(benchmark::State& s) { tick(s, 1); }
void BM_TickDeadAggregator(benchmark::State& s) { tick(s, 2); }

} // namespace

BENCHMARK(BM_TickNoAggregator)->Unit(benchmark::kMillisecond)->Iterations(500)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TickTwoAggregators)->Unit(benchmark::kMillisecond)->Iterations(500)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TickDeadAggregator)->Unit(benchmark::kMillisecond)->Iterations(500)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
