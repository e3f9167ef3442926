// UdpSender: target resolution and datagram sending.
#include "net/udp_sender.h"

#include <QHostInfo>

namespace varnock {

UdpSender::UdpSender() = default;

UdpSender::~UdpSender()
{
    if (lookupId_ >= 0)
        QHostInfo::abortHostLookup(lookupId_);
}

void UdpSender::setTarget(const QString& host, quint16 port)
{
    if (lookupId_ >= 0) {
        QHostInfo::abortHostLookup(lookupId_);
        lookupId_ = -1;
    }
    port_ = port;
    address_.clear();
    const QString h = host.trimmed();
    if (address_.setAddress(h))
        return;
    if (!h.isEmpty())
        lookupId_ = QHostInfo::lookupHost(h, this, [this](const QHostInfo& info) { onLookup(info); });
}

void UdpSender::onLookup(const QHostInfo& info)
{
    if (info.lookupId() != lookupId_)
        return;
    lookupId_ = -1;
    // Prefer IPv4: the other instance listens there unless told otherwise.
    const auto addresses = info.addresses();
    for (const QHostAddress& a : addresses) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            address_ = a;
            return;
        }
    }
    if (!addresses.isEmpty())
        address_ = addresses.front();
}

void UdpSender::sendDatagram(const uint8_t* data, std::size_t n)
{
    if (!active_ || address_.isNull())
        return;
    IdUDPClient1.writeDatagram(reinterpret_cast<const char*>(data), static_cast<qint64>(n), address_, port_);
}

} // namespace varnock
