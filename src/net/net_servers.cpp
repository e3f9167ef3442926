// NetServers: opening the servers on a port plan and the two UDP buttons.
#include "net/net_servers.h"

namespace varnock {

NetServers::NetServers(Controls& controls, Leds& leds, LedColours& colours)
    : raw(leds), lines(leds), udpIn(raw, controls, leds), controls_(controls), leds_(leds), colours_(colours)
{
}

void NetServers::setLogLine(const LogLineFn& fn)
{
    log_ = fn;
    udpIn.setLogLine(fn);
}

void NetServers::log(const std::string& line) const
{
    if (log_)
        log_(line);
}

namespace {

bool validPort(int p) { return p >= 0 && p <= 65535; }

std::string failure(const char* what, int port, const QString& why)
{
    return std::string("Cannot open ") + what + " port " + std::to_string(port) + ": " + why.toStdString();
}

} // namespace

std::string NetServers::open(const ServerPortPlan& plan, const QHostAddress& address)
{
    std::string err = openAll(plan, address);
    // A failed open leaves none of its servers listening.
    if (!err.empty()) close();
    return err;
}

std::string NetServers::openAll(const ServerPortPlan& plan, const QHostAddress& address)
{
    if (!validPort(plan.raw))
        return "Cannot open TCP server port " + std::to_string(plan.raw) + ": out of range";
    if (!raw.listen(address, static_cast<quint16>(plan.raw)))
        return failure("TCP server", plan.raw, raw.cs1.errorString());
    if (!validPort(plan.udpReceive))
        return "Cannot open UDP receiver port " + std::to_string(plan.udpReceive) + ": out of range";
    if (!udpIn.bind(address, static_cast<quint16>(plan.udpReceive)))
        return failure("UDP receiver", plan.udpReceive, udpIn.IdUDPServer1.errorString());
    log("TCP server port opened: " + std::to_string(raw.port()));
    log("UDP receiver port opened: " + std::to_string(udpIn.port()));

    if (!validPort(plan.lines))
        return "Cannot open TCP server port " + std::to_string(plan.lines) + ": out of range";
    if (!lines.listen(address, static_cast<quint16>(plan.lines)))
        return failure("TCP server", plan.lines, lines.cs2.errorString());
    // The same words whatever the port.
    log("Port 30003 type TCP server opened: " + std::to_string(lines.port()));
    return {};
}

void NetServers::close()
{
    raw.close();
    lines.close();
    udpIn.close();
}

void NetServers::sbudpoutClick(bool down)
{
    controls_.sbudpout = down;
    udpOut.setActive(down);
    colours_[8] = down ? LedColours::kOrange : LedColours::kYellow;
    leds_[8] = false;
}

bool NetServers::sbudpClick(bool dialogVisible)
{
    if (dialogVisible)
        return false;
    controls_.sbudpout = false;
    udpOut.setActive(false);
    colours_[8] = LedColours::kYellow;
    return true;
}

} // namespace varnock
