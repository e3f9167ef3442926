// GuardedHttpServer: an HTTP/1.1 server guarded against abusive clients; subclasses say what to answer.
#pragma once

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QPointer>

#include <cstdint>
#include <string>
#include <vector>

class QTcpServer;

namespace varnock {

class GuardedHttpServer : public QAbstractHttpServer {
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

    // What a subclass answers with.
    struct Response {
        int status = 200;
        QByteArray contentType = "text/plain";
        QByteArray body;                              // left out of the reply to HEAD
        QList<QPair<QByteArray, QByteArray>> headers; // beyond type, length and connection
    };

    // `what` names the server in the reason open() gives ("Cannot open <what> port ...").
    GuardedHttpServer(std::string what, const Limits& limits, QObject* parent = nullptr);
    ~GuardedHttpServer() override;

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
    // The reply to a GET or HEAD of `path` (percent-decoded, without query), on the main thread.
    virtual Response respond(const QHttpServerRequest& request, const QByteArray& path) = 0;

    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) final;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) final;

private:
    class Guard;
    class Listener;
    friend class Guard;
    friend class Listener;

    void accepted(QTcpSocket* socket);
    void forget(Guard* g);
    Guard* guardOf(QTcpSocket* socket) const;

    std::string what_;
    Limits limits_;
    Listener* listener_ = nullptr;
    std::vector<Guard*> guards_;
    std::vector<QPointer<QTcpSocket>> awaitingPostHook_;
    uint64_t activity_ = 0;
    uint64_t served_ = 0;
    uint64_t rejected_ = 0;
    qint64 peakUnsent_ = 0;
};

} // namespace varnock
