// LineServer: the 30003-style TCP server `cs2` with its five client slots.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include "core/controls.h"
#include "core/line_sink.h"

class QTcpSocket;

namespace varnock {

class LineServer final : public QObject, public LineSink {
public:
    static constexpr int kSlots = 5;

    explicit LineServer(Leds& leds);
    ~LineServer() override;

    bool listen(const QHostAddress& address, quint16 port) { return cs2.listen(address, port); }
    void close() { cs2.close(); }
    quint16 port() const { return cs2.serverPort(); }

    bool anyLineClient() const override;
    void sendToLineClients(std::string_view line) override;

    // Socket events; public so the bookkeeping can be driven directly.
    void cs2ClientConnect(QTcpSocket* socket);
    void cs2ClientDisconnect(QTcpSocket* socket);

    QTcpServer cs2;
    // A client beyond these five is closed as soon as it is accepted.
    QTcpSocket* lineClients[kSlots] = {};

private:
    void onNewConnection();
    int freeSlot() const; // -1 when all are taken

    Leds& leds_;
};

} // namespace varnock
