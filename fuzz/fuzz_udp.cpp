// One datagram from the UDP sender over loopback through the relay's receiver: it reaches the raw
// client byte for byte, exactly once, and nothing else does.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/controls.h"
#include "core/output_sinks.h"
#include "net/udp_receiver.h"
#include "net/udp_sender.h"
#include "fuzz_check.h"

using namespace varnock;

namespace {

struct RawClient final : RawSink {
    std::vector<std::vector<uint8_t>> got;
    bool rawClientConnected() const override { return true; }
    void sendToRawClient(const uint8_t* data, std::size_t n) override { got.emplace_back(data, data + n); }
};

struct Relay {
    int argc = 1;
    char name[8] = "fuzzudp";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    Controls controls;
    Leds leds;
    RawClient raw;
    UdpReceiver receiver{raw, controls, leds};
    UdpSender sender;
    Relay()
    {
        FUZZ_CHECK(receiver.bind(QHostAddress::LocalHost, 0), "cannot bind the receiver");
        sender.setTarget("127.0.0.1", receiver.port());
        sender.setActive(true);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Relay* relay = new Relay; // lives as long as the process, like the program's sockets
    relay->raw.got.clear();
    relay->sender.sendDatagram(data, size);
    // Loopback delivers at once; the bound only matters on a starved machine.
    const QDeadlineTimer deadline(10000);
    while (relay->raw.got.empty() && !deadline.hasExpired()) {
        relay->receiver.IdUDPServer1.waitForReadyRead(50);
        QCoreApplication::processEvents();
    }
    FUZZ_CHECK(relay->raw.got.size() == 1, "%zu datagrams arrived for one of %zu bytes", relay->raw.got.size(), size);
    const std::vector<uint8_t>& got = relay->raw.got.front();
    FUZZ_CHECK(got.size() == size && (size == 0 || std::memcmp(got.data(), data, size) == 0),
               "datagram of %zu bytes arrived as %zu bytes or changed", size, got.size());
    return 0;
}
