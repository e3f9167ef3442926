// Load target for wrk: the HTTP server over 2000 accepted aircraft while the tick runs on a busy sky.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "../full_table.h"
#include "demod/magnitude.h"
#include "net/direct_connections.h"
#include "net/http_server.h"
#include "web/web_server.h"
#include "synth/scenario.h"

using namespace varnock;

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: http_load_server PORT SECONDS\n");
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const int seconds = std::atoi(argv[2]);
    if (port < 1 || port > 65535 || seconds < 1 || seconds > 3600) {
        std::fprintf(stderr, "http_load_server: PORT 1-65535, SECONDS 1-3600\n");
        return 2;
    }
    QCoreApplication app(argc, argv);
    useDirectConnections();

    FullTable t;
    t.in.config.table[0] = "t1";
    t.in.config.table[1] = "t2";
    t.in.config.table[2] = "t3";
    t.in.config.table[3] = "status";

    synth::Scenario sky(synth::busySkyParams(7));
    std::vector<std::vector<uint8_t>> buffers(8, std::vector<uint8_t>(kBytesPerBuffer));
    for (std::size_t i = 0; i < buffers.size(); ++i) sky.renderBuffer(20 + i, buffers[i].data());

    LedColours colours;
    HttpServer http(*t.rx, colours);
    http.setInputs([&t] { return t.in; });
    std::string err = http.open(quint16(port), QHostAddress::LocalHost);
    // The web map's documents on the next port, snapshots made once a second as in the program.
    WebServer web(*t.rx, t.clock);
    web.startSnapshots();
    if (err.empty() && port < 65535) err = web.open(quint16(port + 1), QHostAddress::LocalHost);
    if (!err.empty()) {
        std::fprintf(stderr, "http_load_server: %s\n", err.c_str());
        return 1;
    }

    // A buffer every 512 ms, as from the dongle; lateness is how far a tick starts after its due time.
    constexpr int kBufferMs = 512;
    std::vector<double> tickMs, lateMs;
    QElapsedTimer since;
    since.start();
    std::size_t next = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 due = static_cast<qint64>(tickMs.size() + 1) * kBufferMs;
        lateMs.push_back(static_cast<double>(since.elapsed() - due));
        QElapsedTimer work;
        work.start();
        t.rx->audiotimerTimer(buffers[next++ % buffers.size()].data());
        tickMs.push_back(static_cast<double>(work.nsecsElapsed()) / 1e6);
    });
    tick.start(kBufferMs);
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    std::printf("serving /t1 /t2 /t3 /status on 127.0.0.1:%d and /data/aircraft.json on %d for %d s\n", port, port + 1, seconds);
    std::fflush(stdout);
    app.exec();

    auto median = [](std::vector<double> v) {
        if (v.empty()) return 0.0;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double worstLate = lateMs.empty() ? 0.0 : *std::max_element(lateMs.begin(), lateMs.end());
    const double worstTick = tickMs.empty() ? 0.0 : *std::max_element(tickMs.begin(), tickMs.end());
    std::printf("ticks %zu (of %d due): tick median %.2f ms, max %.2f ms; start lateness median %.1f ms, max %.1f ms\n",
                tickMs.size(), seconds * 1000 / kBufferMs, median(tickMs), worstTick, median(lateMs), worstLate);
    std::printf("requests served %llu, connections rejected %llu\n",
                static_cast<unsigned long long>(http.requestsServed()),
                static_cast<unsigned long long>(http.connectionsRejected()));
    return 0;
}
