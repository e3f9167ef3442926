// LineServer: slot bookkeeping of `cs2` and the 30003-style line send.
#include "net/line_server.h"

#include <QTcpSocket>

#include "net/bounded_write.h"

namespace varnock {

LineServer::LineServer(Leds& leds) : leds_(leds)
{
    connect(&cs2, &QTcpServer::newConnection, this, &LineServer::onNewConnection);
}

LineServer::~LineServer()
{
    // Sockets dying with the server must not call back into a half-destroyed object.
    const auto sockets = cs2.findChildren<QTcpSocket*>();
    for (QTcpSocket* s : sockets)
        s->disconnect(this);
}

void LineServer::onNewConnection()
{
    while (QTcpSocket* socket = cs2.nextPendingConnection()) {
        // Beyond the five slots a client would never be sent anything: tell it at once.
        if (freeSlot() < 0) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QTcpSocket::readyRead, this, [socket] { socket->skip(socket->bytesAvailable()); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            cs2ClientDisconnect(socket);
            socket->deleteLater();
        });
        cs2ClientConnect(socket);
    }
}

int LineServer::freeSlot() const
{
    for (int i = 0; i < kSlots; ++i)
        if (lineClients[i] == nullptr)
            return i;
    return -1;
}

void LineServer::cs2ClientConnect(QTcpSocket* socket)
{
    const int i = freeSlot();
    if (i < 0)
        return;
    lineClients[i] = socket;
    leds_[9] = true;
}

void LineServer::cs2ClientDisconnect(QTcpSocket* socket)
{
    for (QTcpSocket*& slot : lineClients) {
        if (slot == socket) {
            slot = nullptr;
            if (!anyLineClient())
                leds_[9] = false;
            return;
        }
    }
}

bool LineServer::anyLineClient() const
{
    for (const QTcpSocket* slot : lineClients)
        if (slot != nullptr)
            return true;
    return false;
}

void LineServer::sendToLineClients(std::string_view line)
{
    // Slots are read afresh each time: a failing write may empty one on the way.
    for (int i = 0; i < kSlots; ++i)
        if (QTcpSocket* s = lineClients[i])
            writeBounded(*s, line.data(), static_cast<qint64>(line.size()));
}

} // namespace varnock
