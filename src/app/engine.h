// Engine: the receiver core on the Qt event loop - buffer hand-off, 2 s round, servers, streaming.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/explorer_host.h"
#include "core/clock.h"
#include "core/controls.h"
#include "core/line_sink.h"
#include "receiver/receiver.h"
#include "net/net_servers.h"
#include "net/push_connector.h"
#include "net/server_port_plan.h"
#include "streaming/rtlsdr_api.h"
#include "streaming/sample_buffers.h"
#include "streaming/streaming_thread.h"
#include "app/tick_stats.h"

namespace varnock {

class Engine final : public QObject {
    Q_OBJECT

public:
    static constexpr int kRoundMs = 2000;

    // clock: null for the system clock, else it must outlive the engine. The 2 s timer starts here.
    explicit Engine(const Clock* clock = nullptr, QObject* parent = nullptr);
    ~Engine() override; // stops and joins the streaming thread first

    Receiver& receiver() { return receiver_; }
    SampleBuffers& buffers() { return buffers_; }
    NetServers& servers() { return servers_; }
    LedColours& ledColours() { return colours_; }
    const Clock& clock() const { return clock_; }
    // The signals-in-space explorer: fed by the tick while its window shows it live.
    ExplorerHost& explorerHost() { return explorer_; }
    sisex::Explorer& explorer() { return explorer_.explorer(); }
    CommandLineOptions& options() { return receiver_.options; }

    // Opens the raw, UDP receive and 30003-style servers (not HTTP) on `address`; "" on success,
    // else why the first failing port could not be opened. Opened ports are reported as log lines.
    std::string openServers(const ServerPortPlan& plan, const QHostAddress& address = QHostAddress::Any);
    void closeServers() { servers_.close(); }

    // Connects to each "HOST:PORT" aggregator and keeps at it; a line for each text that is unusable.
    void startPushing(const std::vector<std::string>& targets);
    PushConnectors& push() { return push_; }

    // Runs the device's asynchronous read on the streaming thread; each full buffer then ticks the
    // receiver once on this thread. False when a thread is still there (join it first).
    bool startStreaming(const RtlSdrApi& api, rtlsdr_dev_t* device);
    // Asks the thread to end (the next block cancels the read) and stops the tick.
    void stopStreaming();
    bool streaming() const { return thread_.running(); }
    // Blocks until the read has returned; after stopStreaming() that is one more block at most.
    void joinStreaming() { thread_.join(); }

    // The hand-off: newest completed buffer, if any, through the processing tick. Runs from the
    // call the streaming thread posts; harmless to call at any time on this thread.
    void audiotimerTimer();
    // One 2 s round (the timer calls it).
    void datacntrTimer();

    // "Send UDP" latched to `down`; "Config" (true: show the dialog).
    void sbudpoutClick(bool down) { servers_.sbudpoutClick(down); }
    bool sbudpClick(bool dialogVisible) { return servers_.sbudpClick(dialogVisible); }

    // Puts a line on the list (and tells the views).
    void writeLogLine(const std::string& text);

    uint64_t handOffsRun() const { return handOffs_; }
    // Completed buffers the tick never processed because a newer one was ready first.
    uint64_t buffersMissed() const { return buffers_.missedBuffers(); }

    // Every kStatsRounds rounds the tick figures (see TickStats) replace the file at `path`;
    // "" writes none. A failure is put on the list once.
    static constexpr int kStatsRounds = 30;
    void setStatsFile(std::string path) { statsPath_ = std::move(path); }

    QTimer datacntr;

Q_SIGNALS:
    // A line was written to the list (8-bit text).
    void logLine(const QString& text);

private:
    // Posts the hand-off from the streaming thread; SampleBuffers coalesces until it has run.
    class Notifier final : public BufferReadyNotifier {
    public:
        explicit Notifier(Engine& e) : engine_(e) {}
        void bufferReady() noexcept override;

    private:
        Engine& engine_;
    };

    // The receiver is built before the servers that serve its lines; this bridges the two.
    class LineSinkBridge final : public LineSink {
    public:
        LineSink* target = nullptr;
        bool anyLineClient() const override { return target != nullptr && target->anyLineClient(); }
        void sendToLineClients(std::string_view line) override
        {
            if (target != nullptr) target->sendToLineClients(line);
        }
    };

    std::unique_ptr<SystemClock> ownClock_;
    const Clock& clock_;
    LineSinkBridge lineSink_;
    Receiver receiver_;
    ExplorerHost explorer_;
    LedColours colours_;
    NetServers servers_;
    PushConnectors push_{[this](const std::string& line) { writeLogLine(line); }};
    SampleBuffers buffers_;
    Notifier notifier_{*this};
    StreamingThread thread_;
    bool tickEnabled_ = true;
    uint64_t handOffs_ = 0;
    uint64_t missedListed_ = 0; // buffersMissed() when the list last said so
    TickStats tickStats_;
    std::string statsPath_;
    int roundsSinceStats_ = 0;
    bool statsFailed_ = false;
};

} // namespace varnock
