// RawServer: client bookkeeping of `cs1` and the raw line send.
#include "net/raw_server.h"

#include <QTcpSocket>

#include <algorithm>

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
            connections_.erase(std::remove(connections_.begin(), connections_.end(), socket), connections_.end());
            cs1ClientDisconnect(socket);
            socket->deleteLater();
        });
        connections_.push_back(socket);
        // Socket errors are swallowed: only the disconnect touches the bookkeeping.
        cs1ClientConnect(socket);
        // The newest client is the one served, so the oldest bystander makes room.
        while (static_cast<int>(connections_.size()) > kMaxConnections) {
            QTcpSocket* oldest = connections_.front();
            connections_.pop_front();
            oldest->abort(); // its disconnected handler forgets and deletes it
        }
    }
}

void RawServer::cs1ClientConnect(QTcpSocket* socket)
{
    rawClient = socket;
    leds_[6] = true;
}

void RawServer::cs1ClientDisconnect(QTcpSocket* socket)
{
    // A bystander leaving must not orphan the client being served.
    if (socket != rawClient)
        return;
    rawClient = nullptr;
    leds_[6] = false;
}

void RawServer::sendToRawClient(const uint8_t* data, std::size_t n)
{
    if (rawClient != nullptr)
        writeBounded(*rawClient, reinterpret_cast<const char*>(data), static_cast<qint64>(n));
}

} // namespace varnock
