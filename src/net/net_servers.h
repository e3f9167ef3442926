// NetServers: the raw and 30003-style TCP servers, the UDP receiver and sender, and their buttons.
#pragma once

#include <QHostAddress>

#include <string>

#include "core/controls.h"
#include "net/line_server.h"
#include "net/log_line.h"
#include "net/raw_server.h"
#include "net/server_port_plan.h"
#include "net/udp_receiver.h"
#include "net/udp_sender.h"

namespace varnock {

class NetServers {
public:
    // The controls, LEDs and colours belong to the receiver core and must outlive this.
    NetServers(Controls& controls, Leds& leds, LedColours& colours);
    NetServers(const NetServers&) = delete;
    NetServers& operator=(const NetServers&) = delete;

    void setLogLine(const LogLineFn& fn);

    // Opens cs1 and the UDP receiver, then cs2, on the plan's ports, writing one line per port
    // opened. Stops at the first port that cannot be opened, closes the servers opened before it and
    // returns why ("" when all opened). The HTTP port is not handled here.
    std::string open(const ServerPortPlan& plan, const QHostAddress& address);
    void close();

    // "Send UDP" latched to `down`.
    void sbudpoutClick(bool down);
    // "Config": true when the dialog is to be shown (it was not visible); sending stops.
    bool sbudpClick(bool dialogVisible);

    RawServer raw;
    LineServer lines;
    UdpReceiver udpIn;
    UdpSender udpOut;

private:
    std::string openAll(const ServerPortPlan& plan, const QHostAddress& address);
    void log(const std::string& line) const;

    Controls& controls_;
    Leds& leds_;
    LedColours& colours_;
    LogLineFn log_;
};

} // namespace varnock
