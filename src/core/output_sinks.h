// Sinks of the raw outputs: the raw TCP client and the UDP target (sockets in the engine, doubles in tests).
#pragma once

#include <cstddef>
#include <cstdint>

namespace varnock {

class RawSink {
public:
    virtual ~RawSink() = default;
    // True while a raw client is connected; the raw line is built only then.
    virtual bool rawClientConnected() const = 0;
    virtual void sendToRawClient(const uint8_t* data, std::size_t n) = 0;
};

class UdpSink {
public:
    virtual ~UdpSink() = default;
    // One datagram to the UDP target; an unreachable target loses it without report.
    virtual void sendDatagram(const uint8_t* data, std::size_t n) = 0;
};

} // namespace varnock
