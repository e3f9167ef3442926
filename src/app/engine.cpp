// Engine: wiring of the core to timers, sockets and the streaming thread.
#include "app/engine.h"

#include <QMetaObject>

namespace varnock {

namespace {

const Clock& chooseClock(const Clock* injected, std::unique_ptr<SystemClock>& own)
{
    if (injected != nullptr)
        return *injected;
    own = std::make_unique<SystemClock>();
    return *own;
}

} // namespace

Engine::Engine(const Clock* clock, QObject* parent)
    : QObject(parent), clock_(chooseClock(clock, ownClock_)), receiver_(clock_, lineSink_), explorer_(clock_),
      servers_(receiver_.controls, receiver_.leds, colours_)
{
    lineSink_.target = &servers_.lines;
    servers_.setLogLine([this](const std::string& line) { writeLogLine(line); });
    buffers_.setNotifier(&notifier_);
    receiver_.tick.setMagnitudeTap(&explorer_.explorer());
    receiver_.rawOutput.setRawSink(&servers_.raw);
    receiver_.rawOutput.setUdpSink(&servers_.udpOut);
    receiver_.rawOutput.setPushSink(&push_);

    datacntr.setInterval(kRoundMs);
    connect(&datacntr, &QTimer::timeout, this, &Engine::datacntrTimer);
    datacntr.start();
}

Engine::~Engine()
{
    thread_.requestStop();
    thread_.join();
    buffers_.setNotifier(nullptr);
    receiver_.tick.setMagnitudeTap(nullptr);
    receiver_.rawOutput.setRawSink(nullptr);
    receiver_.rawOutput.setUdpSink(nullptr);
    receiver_.rawOutput.setPushSink(nullptr);
    push_.stop();
    lineSink_.target = nullptr;
}

std::string Engine::openServers(const ServerPortPlan& plan, const QHostAddress& address)
{
    return servers_.open(plan, address);
}

void Engine::startPushing(const std::vector<std::string>& targets)
{
    for (const std::string& problem : push_.start(targets)) writeLogLine(problem);
}

bool Engine::startStreaming(const RtlSdrApi& api, rtlsdr_dev_t* device)
{
    if (!thread_.start(api, device, buffers_))
        return false;
    tickEnabled_ = true;
    return true;
}

void Engine::stopStreaming()
{
    thread_.requestStop();
    tickEnabled_ = false;
}

void Engine::Notifier::bufferReady() noexcept
{
    Engine* e = &engine_;
    QMetaObject::invokeMethod(e, [e] { e->audiotimerTimer(); }, Qt::QueuedConnection);
}

void Engine::audiotimerTimer()
{
    ++handOffs_;
    // Taking clears the pending hand-off, so the next completion posts again.
    const int ready = buffers_.takeReady();
    if (!tickEnabled_)
        return;
    receiver_.audiotimerTimer(ready < 0 ? nullptr : buffers_.buffer(ready));
}

void Engine::datacntrTimer()
{
    receiver_.datacntrTimer(buffers_.readAndResetBlockCounter());
}

void Engine::writeLogLine(const std::string& text)
{
    receiver_.list.WriteLogLine(text);
    Q_EMIT logLine(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace varnock
