// HttpServer: `http1`, the aircraft tables and status page over HTTP, guarded against abusive clients.
#pragma once

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHostAddress>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/controls.h"
#include "flights/http_tables.h"

class QTcpServer;

namespace varnock {

class Receiver;

// Raw DEFLATE (no zlib or gzip wrapper) at the fastest level, as the clients inflate it.
QByteArray deflateRaw(std::string_view data);

class HttpServer final : public QAbstractHttpServer {
    Q_OBJECT

public:
    // Stock Qt accepts anything and never closes; these bound what one client can cost us.
    struct Limits {
        int maxConnections = 128;         // beyond it one is dropped: first any that never completed a
                                          // request, else the least recently active
        qint64 maxHeadBytes = 16 * 1024;  // request line and headers of one request
        qint64 maxBodyBytes = 16 * 1024;  // a request body is read and ignored
        int maxPipelined = 16;            // requests received but not yet answered; those before the
                                          // excess are answered, then 429
        int idleMs = 15000;               // no traffic either way: closed
        int requestMs = 30000;            // first byte of a request to its reply
        qint64 maxUnsentBytes = 8 << 20;  // replies queued for a client that does not read
    };
    using InputsFn = std::function<HttpPageInputs()>;

    // The receiver (table, controls, LEDs) and the colours must outlive the server.
    HttpServer(Receiver& rx, LedColours& colours, QObject* parent = nullptr);
    HttpServer(Receiver& rx, LedColours& colours, const Limits& limits, QObject* parent = nullptr);
    ~HttpServer() override;

    // Dialog texts and device state read at each request; without it the defaults are used.
    void setInputs(InputsFn fn) { inputs_ = std::move(fn); }

    // Listens on `port` (0: any free port); "" on success, else the reason. Reopening closes first.
    std::string open(quint16 port, const QHostAddress& address = QHostAddress::Any);
    // Stops listening and drops every connection.
    void close();
    bool isListening() const;
    quint16 port() const;

    int connectionCount() const { return static_cast<int>(guards_.size()); }
    uint64_t requestsServed() const { return served_; }
    uint64_t connectionsRejected() const { return rejected_; }
    // Most reply bytes ever queued for one client.
    qint64 peakUnsentBytes() const { return peakUnsent_; }
    const Limits& limits() const { return limits_; }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    class Guard;
    class Listener;
    friend class Guard;
    friend class Listener;

    void accepted(QTcpSocket* socket);
    void forget(Guard* g);
    Guard* guardOf(QTcpSocket* socket) const;

    Receiver& rx_;
    LedColours& colours_;
    Limits limits_;
    InputsFn inputs_;
    Listener* listener_ = nullptr;
    std::vector<Guard*> guards_;
    std::vector<QPointer<QTcpSocket>> awaitingPostHook_;
    uint64_t activity_ = 0;
    uint64_t served_ = 0;
    uint64_t rejected_ = 0;
    qint64 peakUnsent_ = 0;
};

} // namespace varnock
