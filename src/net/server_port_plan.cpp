// ServerPortPlan and the UDP target rules.
#include "net/server_port_plan.h"

#include "core/ascii_text.h"

namespace varnock {

ServerPortPlan ServerPortPlan::forDevice(int deviceIndex, int portBase, bool port30003)
{
    ServerPortPlan p;
    p.base = portBase != 0 ? portBase : 31000 + 10 * deviceIndex;
    p.raw = p.base + 1;
    p.udpReceive = p.base + 2;
    p.lines = port30003 ? 30003 : p.base + 4;
    p.http = p.base + 8;
    p.web = p.base + 9;
    return p;
}

std::string ServerPortPlan::refusal(bool withHttp, bool withWeb) const
{
    // In the order the servers are opened, with the words their open failures use.
    const struct {
        const char* what;
        int port;
        bool used;
    } servers[] = {
        {"TCP server", raw, true},
        {"UDP receiver", udpReceive, true},
        {"TCP server", lines, true},
        {"HTTP server", http, withHttp},
        {"web map", web, withWeb},
    };
    for (const auto& s : servers)
        if (s.used && (s.port < 1 || s.port > 65535))
            return std::string("Cannot open ") + s.what + " port " + std::to_string(s.port) + ": out of range";
    return {};
}

ServerPortPlan ServerPortPlan::ephemeral()
{
    ServerPortPlan p;
    p.base = p.raw = p.udpReceive = p.lines = p.http = p.web = 0;
    return p;
}

namespace {

// Decimal integer with optional sign and surrounding blanks; false on anything else or overflow.
bool parsePort(const std::string& text, long& out)
{
    const std::string_view t = trimmed(text, kWhiteSpace);
    std::size_t i = 0;
    bool neg = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
    if (i == t.size()) return false;
    long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return false;
        v = v * 10 + (t[i] - '0');
        if (v > 1000000) return false;
    }
    out = neg ? -v : v;
    return true;
}

} // namespace

UdpTarget chooseUdpTarget(const std::string& host, const std::string& dialogPortText, int udpTargetOverride,
                          int deviceIndex)
{
    UdpTarget t;
    t.host = host;
    t.dialogPortText = dialogPortText;
    long port = 0;
    if (udpTargetOverride != 0) {
        port = long(udpTargetOverride) + 2;
        t.dialogPortText = std::to_string(port);
    } else {
        if (!parsePort(dialogPortText, port)) {
            t.error = "'" + dialogPortText + "' is not a valid UDP target port";
            return t;
        }
        const long own = 31002L + 10L * deviceIndex;
        if (port == own) {
            port = 31012L + 10L * deviceIndex;
            t.dialogPortText = std::to_string(port);
            t.portChanged = true;
        }
    }
    // Port 0 would send nowhere.
    if (port < 1 || port > 65535) {
        t.error = "UDP target port " + std::to_string(port) + " is out of range";
        return t;
    }
    t.port = static_cast<int>(port);
    return t;
}

} // namespace varnock
