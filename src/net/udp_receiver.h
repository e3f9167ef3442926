// UdpReceiver: `IdUDPServer1`, relaying another instance's raw datagrams to our raw TCP client.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/controls.h"
#include "core/output_sinks.h"
#include "net/log_line.h"

namespace varnock {

class UdpReceiver final : public QObject {
public:
    // Larger than any UDP payload (65,507 bytes over IPv4, 65,527 over IPv6).
    static constexpr std::size_t kBufferBytes = 65536;
    // Asked of the kernel, which may give less (net.core.rmem_max).
    static constexpr int kSocketBufferBytes = 4 << 20;

    UdpReceiver(RawSink& raw, const Controls& controls, Leds& leds);

    // Exclusive bind: a port another socket holds is reported as in use.
    bool bind(const QHostAddress& address, quint16 port);
    void close() { IdUDPServer1.close(); }
    quint16 port() const { return IdUDPServer1.localPort(); }

    void setLogLine(LogLineFn fn) { log_ = std::move(fn); }

    // One datagram, as received; public so the rules can be driven directly.
    void IdUDPServer1UDPRead(const uint8_t* data, std::size_t n);

    // Datagrams taken from the socket, whatever became of them.
    uint64_t datagramsRead() const { return datagramsRead_; }

    QUdpSocket IdUDPServer1;

private:
    void onReadyRead();

    RawSink& raw_;
    const Controls& controls_;
    Leds& leds_;
    LogLineFn log_;
    std::unique_ptr<uint8_t[]> buffer_; // one datagram at a time, allocated once
    uint64_t datagramsRead_ = 0;
};

} // namespace varnock
