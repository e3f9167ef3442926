// UdpSender: `IdUDPClient1`, one datagram per raw line to another instance while "Send UDP" is down.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QUdpSocket>

#include "core/output_sinks.h"

class QHostInfo;

namespace varnock {

class UdpSender final : public QObject, public UdpSink {
public:
    UdpSender();
    ~UdpSender() override;

    // An address is used at once; a name is looked up in the background, datagrams sent before
    // the answer are lost.
    void setTarget(const QString& host, quint16 port);
    QHostAddress targetAddress() const { return address_; }
    quint16 targetPort() const { return port_; }

    void setActive(bool on) { active_ = on; }
    bool active() const { return active_; }

    // Fire and forget: what the socket does with it is not examined.
    void sendDatagram(const uint8_t* data, std::size_t n) override;

    QUdpSocket IdUDPClient1;

private:
    void onLookup(const QHostInfo& info);

    QHostAddress address_;
    quint16 port_ = 0;
    bool active_ = false;
    int lookupId_ = -1;
};

} // namespace varnock
