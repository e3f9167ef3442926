// RawServer: the raw frame TCP server `cs1`; only the latest client receives raw lines.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <deque>

#include "core/controls.h"
#include "core/output_sinks.h"

class QTcpSocket;

namespace varnock {

class RawServer final : public QObject, public RawSink {
public:
    // Connections held at once; beyond it the oldest is closed (held sockets cost descriptors).
    static constexpr int kMaxConnections = 64;

    explicit RawServer(Leds& leds);
    ~RawServer() override;

    bool listen(const QHostAddress& address, quint16 port) { return cs1.listen(address, port); }
    void close() { cs1.close(); }
    quint16 port() const { return cs1.serverPort(); }

    int connectionCount() const { return static_cast<int>(connections_.size()); }

    bool rawClientConnected() const override { return rawClient != nullptr; }
    void sendToRawClient(const uint8_t* data, std::size_t n) override;

    // Socket events; public so the bookkeeping can be driven directly.
    void cs1ClientConnect(QTcpSocket* socket);
    void cs1ClientDisconnect(QTcpSocket* socket);

    QTcpServer cs1;
    // Further clients stay connected but get nothing while another one holds this.
    QTcpSocket* rawClient = nullptr;

private:
    void onNewConnection();

    Leds& leds_;
    std::deque<QTcpSocket*> connections_; // oldest first
};

} // namespace varnock
