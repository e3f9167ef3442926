// Serve mode: buffers enter through the streaming hand-off in 250 blocks, paced at the sample rate.
#include "serve.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <vector>

#include "app/engine.h"
#include "demod/magnitude.h"
#include "net/direct_connections.h"
#include "net/server_port_plan.h"

namespace varnock::replay {

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

} // namespace

int runServe(const Options& opt, BufferSource& source)
{
    int argc = 1;
    char name[] = "varnock-replay";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    useDirectConnections();
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    Engine engine;
    Receiver& rx = engine.receiver();
    rx.controls.sbmodes = !opt.modeac;
    rx.controls.sbmodeac = opt.modeac;
    rx.controls.sblist = false;
    rx.controls.mainWindowVisible = false;
    rx.options.avr = opt.raw == "avr";
    rx.options.ascii = opt.raw == "ascii";
    rx.options.multilat1 = opt.multilat;
    rx.options.cntr = opt.cntr;
    rx.options.newp = opt.newp;
    QObject::connect(&engine, &Engine::logLine,
                     [](const QString& line) { std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData()); });

    ServerPortPlan plan = ServerPortPlan::forDevice(0, opt.serveBase, false);
    const std::string err = engine.openServers(plan, QHostAddress::Any);
    if (!err.empty()) {
        std::fprintf(stderr, "varnock-replay: %s\n", err.c_str());
        return 1;
    }

    const double rate = opt.modeac ? 2068965.0 : 2000000.0;
    const double bufferMs = static_cast<double>(kPairsPerBuffer) / rate * 1000.0;
    std::vector<uint8_t> buffer(kBytesPerBuffer);
    uint64_t sent = 0;
    QElapsedTimer since;
    since.start();
    QTimer pace;
    pace.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pace, &QTimer::timeout, [&]() {
        if (g_stop) {
            app.quit();
            return;
        }
        // Deliver every buffer that is due by now, as the dongle would.
        while (static_cast<double>(sent + 1) * bufferMs <= static_cast<double>(since.elapsed())) {
            if (!source.next(buffer.data())) {
                pace.stop();
                QTimer::singleShot(Engine::kRoundMs, &app, &QCoreApplication::quit);
                return;
            }
            for (int off = 0; off < kBytesPerBuffer; off += 8192)
                engine.buffers().onBlock(buffer.data() + off, 8192);
            ++sent;
        }
    });
    pace.start(20);
    std::fprintf(stderr, "serving: raw TCP %d, UDP %d, 30003 TCP %d (Ctrl-C ends)\n", plan.raw, plan.udpReceive,
                 plan.lines);
    const int rc = app.exec();
    std::fprintf(stderr, "buffers streamed: %llu\n", static_cast<unsigned long long>(sent));
    return rc;
}

} // namespace varnock::replay
