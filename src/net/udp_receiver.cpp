// UdpReceiver: datagram reading and the relay to the raw client.
#include "net/udp_receiver.h"

#include <QVariant>

namespace varnock {

UdpReceiver::UdpReceiver(RawSink& raw, const Controls& controls, Leds& leds)
    : raw_(raw), controls_(controls), leds_(leds), buffer_(std::make_unique<uint8_t[]>(kBufferBytes))
{
    connect(&IdUDPServer1, &QUdpSocket::readyRead, this, &UdpReceiver::onReadyRead);
}

bool UdpReceiver::bind(const QHostAddress& address, quint16 port)
{
    if (!IdUDPServer1.bind(address, port, QAbstractSocket::DontShareAddress))
        return false;
    // A sender emits a tick's frames in one burst, a datagram each: hundreds on a busy sky. The
    // default socket buffer holds a few hundred small datagrams and drops the rest unseen.
    IdUDPServer1.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(kSocketBufferBytes));
    return true;
}

void UdpReceiver::onReadyRead()
{
    // Every pending datagram must be read, or no further readyRead comes.
    while (IdUDPServer1.hasPendingDatagrams()) {
        const qint64 n = IdUDPServer1.readDatagram(reinterpret_cast<char*>(buffer_.get()),
                                                   static_cast<qint64>(kBufferBytes));
        if (n < 0) {
            if (log_)
                log_("Exception:" + IdUDPServer1.errorString().toStdString());
            return; // the notifier fires again for whatever is still queued
        }
        ++datagramsRead_;
        IdUDPServer1UDPRead(buffer_.get(), static_cast<std::size_t>(n));
    }
}

void UdpReceiver::IdUDPServer1UDPRead(const uint8_t* data, std::size_t n)
{
    // While we send ourselves, incoming datagrams are ignored: no echo between two instances.
    if (controls_.sbudpout)
        return;
    leds_[8] = true;
    if (!raw_.rawClientConnected())
        return;
    raw_.sendToRawClient(data, n);
}

} // namespace varnock
