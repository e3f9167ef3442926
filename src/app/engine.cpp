// Engine: wiring of the core to timers, sockets and the streaming thread.
#include "app/engine.h"

#include <QMetaObject>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

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
    if (ready < 0) {
        receiver_.audiotimerTimer(nullptr);
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    receiver_.audiotimerTimer(buffers_.buffer(ready));
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    tickStats_.recordTick(static_cast<uint32_t>(std::min<int64_t>(us.count(), UINT32_MAX)));
}

void Engine::datacntrTimer()
{
    receiver_.datacntrTimer(buffers_.readAndResetBlockCounter());

    const uint64_t missed = buffers_.missedBuffers();
    if (missed != missedListed_) {
        writeLogLine("Buffers missed: " + std::to_string(missed - missedListed_));
        missedListed_ = missed;
    }

    if (statsPath_.empty() || ++roundsSinceStats_ < kStatsRounds)
        return;
    roundsSinceStats_ = 0;
    const std::string text = tickStats_.takeSummary(buffers_.completedBuffers(), missed);
    if (!writeFileWhole(statsPath_, text) && !statsFailed_) {
        statsFailed_ = true;
        writeLogLine("Stats file " + statsPath_ + " not written: " + std::strerror(errno));
    }
}

void Engine::writeLogLine(const std::string& text)
{
    receiver_.list.WriteLogLine(text);
    Q_EMIT logLine(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace varnock
