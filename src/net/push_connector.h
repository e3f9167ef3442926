// PushConnector: sends raw binary frames to one aggregator as a TCP client, reconnecting with back-off.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/output_sinks.h"
#include "net/log_line.h"

class QHostInfo;

namespace varnock {

struct PushTarget {
    QString host;
    quint16 port = 0;
};

// "HOST:PORT" (an IPv6 address in brackets); "" when valid, else why not.
std::string parsePushTarget(std::string_view text, PushTarget& out);

// Waits between attempts: first after a loss or failure, doubled each further failure up to max.
struct PushBackoff {
    int firstMs = 1000;
    int maxMs = 60000;
    int connectTimeoutMs = 10000; // a silent address counts as a failure after this
};

// Frames held for one aggregator: whole frames in a fixed ring; a full ring loses its oldest ones.
class FrameRing {
public:
    explicit FrameRing(std::size_t capacity) : bytes_(capacity) {}

    // Frames longer than 255 bytes or than the ring are refused (counted as dropped).
    void push(const uint8_t* data, std::size_t n);
    // Oldest frame into `out` (room for 255 bytes); its length, 0 when empty.
    std::size_t pop(uint8_t* out);
    void clear() { head_ = tail_ = used_ = 0; frames_ = 0; }

    std::size_t usedBytes() const { return used_; }
    std::size_t frames() const { return frames_; }
    uint64_t dropped() const { return dropped_; }

private:
    void put(uint8_t b);
    uint8_t take();
    void dropOldest();

    std::vector<uint8_t> bytes_;
    std::size_t head_ = 0; // next byte to take
    std::size_t tail_ = 0; // next byte to put
    std::size_t used_ = 0;
    std::size_t frames_ = 0;
    uint64_t dropped_ = 0;
};

class PushConnector final : public QObject {
public:
    // Bytes of frames waiting for the socket, and bytes the socket itself may hold unsent.
    static constexpr std::size_t kRingBytes = 256 * 1024;
    static constexpr qint64 kSocketBytes = 16 * 1024;

    PushConnector(PushTarget target, LogLineFn log, PushBackoff backoff = {});
    ~PushConnector() override;

    // The first attempt; later ones follow by themselves.
    void start();

    bool connected() const { return connected_; }
    // Queues one frame; the socket gets what it has room for once control is back in the event loop.
    void send(const uint8_t* data, std::size_t n);

    uint64_t dropped() const { return ring_.dropped(); }
    std::size_t queuedBytes() const { return ring_.usedBytes(); }
    qint64 socketBytes() const { return socket_.bytesToWrite(); }
    // The wait before the next attempt (0 while connected or trying).
    int retryDelayMs() const { return retry_.isActive() ? retry_.interval() : 0; }
    int connects() const { return connects_; }
    QString name() const;

    // Called with true on each connect and false on each loss.
    std::function<void(bool)> onStateChange;

private:
    void attempt();
    void onLookup(const QHostInfo& info);
    void onConnected();
    void onClosed(const QString& why);
    void failed(const QString& why);
    void feedSocket();
    void log(const QString& line) const;

    PushTarget target_;
    LogLineFn log_;
    PushBackoff backoff_;
    QTcpSocket socket_;
    QTimer retry_;
    QTimer connectTimeout_;
    FrameRing ring_{kRingBytes};
    int nextDelayMs_;
    int lookupId_ = -1;
    int connects_ = 0;
    bool connected_ = false;
    bool failureReported_ = false;
    bool feedPending_ = false;
};

// All -connect aggregators as one raw sink: frames go to each connected one.
class PushConnectors final : public RawSink {
public:
    explicit PushConnectors(LogLineFn log) : log_(std::move(log)) {}

    // Starts a connector per target text; returns a line per text that could not be used.
    std::vector<std::string> start(const std::vector<std::string>& targets, PushBackoff backoff = {});
    void stop() { connectors_.clear(); connectedCount_ = 0; }

    bool rawClientConnected() const override { return connectedCount_ > 0; }
    void sendToRawClient(const uint8_t* data, std::size_t n) override;

    const std::vector<std::unique_ptr<PushConnector>>& connectors() const { return connectors_; }

private:
    LogLineFn log_;
    std::vector<std::unique_ptr<PushConnector>> connectors_;
    int connectedCount_ = 0;
};

} // namespace varnock
