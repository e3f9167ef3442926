// ServerPortPlan: the four server ports of an instance, and the choice of its UDP send target.
#pragma once

#include <string>

namespace varnock {

struct ServerPortPlan {
    int base = 31000;
    int raw = 31001;        // cs1
    int udpReceive = 31002; // IdUDPServer1
    int lines = 31004;      // cs2
    int http = 31008;       // http1
    int web = 31009;        // the web map

    // base = portBase when it is not 0, else 31000 + 10 x device index; "30003" moves cs2 there.
    static ServerPortPlan forDevice(int deviceIndex, int portBase = 0, bool port30003 = false);
    // Why the plan cannot be opened ("" when it can): the first server whose port is not 1..65535.
    // The HTTP and web map ports count only when those servers are to be opened.
    std::string refusal(bool withHttp, bool withWeb = false) const;
    // Every server on a port the system picks (tests).
    static ServerPortPlan ephemeral();
};

struct UdpTarget {
    std::string host;
    int port = 0;
    std::string dialogPortText; // what the dialog's port field shows afterwards
    bool portChanged = false;   // the own-port rule moved it: "UDP target port changed!"
    std::string error;          // not empty: the port text is not a usable port
};

// udpTargetOverride: the number of "udptarget=", 0 when absent. Without it the dialog's port is
// used, except that this instance's own receive port (31002 + 10 x index) becomes 31012 + 10 x index.
UdpTarget chooseUdpTarget(const std::string& host, const std::string& dialogPortText, int udpTargetOverride,
                          int deviceIndex);

} // namespace varnock
