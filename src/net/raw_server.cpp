// RawServer: client bookkeeping of `cs1` and the raw line send.
#include "net/raw_server.h"

#include <QTcpSocket>

#include "net/bounded_write.h"

namespace varnock {

RawServer::RawServer(Leds& leds) : leds_(leds)
{
    connect(&cs1, &QTcpServer::newConnection, this, &RawServer::onNewConnection);
}

RawServer::~RawServer()
{
    // Sockets dying with the server must not call back into a half-destroyed object.
    const auto sockets = cs1.findChildren<QTcpSocket*>();
    for (QTcpSocket* s : sockets)
        s->disconnect(this);
}

void RawServer::onNewConnection()
{
    while (QTcpSocket* socket = cs1.nextPendingConnection()) {
        // Whatever a client sends is of no use; discard it rather than let it pile up.
        connect(socket, &QTcpSocket::readyRead, this, [socket] { socket->skip(socket->bytesAvailable()); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            cs1ClientDisconnect(socket);
            socket->deleteLater();
        });
        // Socket errors are swallowed: only the disconnect touches the bookkeeping.
        cs1ClientConnect(socket);
    }
}

void RawServer::cs1ClientConnect(QTcpSocket* socket)
{
    rawClient = socket;
    leds_[6] = true;
}

void RawServer::cs1ClientDisconnect(QTcpSocket*)
{
    // Any client leaving clears the raw client, even one that was not it.
    rawClient = nullptr;
    leds_[6] = false;
}

void RawServer::sendToRawClient(const uint8_t* data, std::size_t n)
{
    if (rawClient != nullptr)
        writeBounded(*rawClient, reinterpret_cast<const char*>(data), static_cast<qint64>(n));
}

} // namespace varnock
