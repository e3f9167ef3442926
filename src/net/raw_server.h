// RawServer: the raw frame TCP server `cs1`; only the latest client receives raw lines.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include "core/controls.h"
#include "core/output_sinks.h"

class QTcpSocket;

namespace varnock {

class RawServer final : public QObject, public RawSink {
public:
    explicit RawServer(Leds& leds);
    ~RawServer() override;

    bool listen(const QHostAddress& address, quint16 port) { return cs1.listen(address, port); }
    void close() { cs1.close(); }
    quint16 port() const { return cs1.serverPort(); }

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
};

} // namespace varnock
