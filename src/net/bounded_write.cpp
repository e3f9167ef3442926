// Bounded writes to TCP clients.
#include "net/bounded_write.h"

#include <QTcpSocket>

namespace varnock {

bool writeBounded(QTcpSocket& socket, const char* data, qint64 n)
{
    if (n <= 0)
        return true;
    if (socket.state() != QAbstractSocket::ConnectedState)
        return false;
    if (socket.bytesToWrite() + n > kMaxQueuedBytes)
        return false;
    return socket.write(data, n) == n;
}

} // namespace varnock
