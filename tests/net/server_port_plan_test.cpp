// Tests of the port plan, the UDP target rules and opening the servers on a plan.
#include "net/net_servers.h"
#include "net/server_port_plan.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QUdpSocket>

#include <string>
#include <vector>

#include "qt_test_support.h"

namespace varnock {
namespace {

TEST(ServerPortPlan, PortsFollowDeviceIndexOrBase)
{
    struct Case {
        int index, base;
        bool sw30003;
        int raw, udp, lines, http, web;
    } cases[] = {
        {0, 0, false, 31001, 31002, 31004, 31008, 31009},
        {1, 0, false, 31011, 31012, 31014, 31018, 31019},
        {0, 40000, false, 40001, 40002, 40004, 40008, 40009},
        {3, 40000, false, 40001, 40002, 40004, 40008, 40009}, // the base wins over the index
        {0, 40000, true, 40001, 40002, 30003, 40008, 40009},
        {2, 0, true, 31021, 31022, 30003, 31028, 31029},
    };
    for (const Case& c : cases) {
        const ServerPortPlan p = ServerPortPlan::forDevice(c.index, c.base, c.sw30003);
        EXPECT_EQ(p.raw, c.raw) << c.index << "/" << c.base;
        EXPECT_EQ(p.udpReceive, c.udp) << c.index << "/" << c.base;
        EXPECT_EQ(p.lines, c.lines) << c.index << "/" << c.base;
        EXPECT_EQ(p.http, c.http) << c.index << "/" << c.base;
        EXPECT_EQ(p.web, c.web) << c.index << "/" << c.base;
    }
}

TEST(ServerPortPlan, UdpTargetRules)
{
    struct Case {
        const char* portText;
        int override, index;
        int port;
        const char* shown;
        bool changed, error;
    } cases[] = {
        {"31012", 0, 0, 31012, "31012", false, false},
        {"31002", 0, 0, 31012, "31012", true, false},  // own receive port avoided
        {"31012", 0, 1, 31022, "31022", true, false},
        {"31002", 0, 1, 31002, "31002", false, false}, // another instance's port is fine
        {"31002", 40010, 0, 40012, "40012", false, false},
        {" 31005 ", 0, 0, 31005, " 31005 ", false, false},
        {"\t31005\r\n", 0, 0, 31005, "\t31005\r\n", false, false},
        {"abc", 0, 0, 0, "abc", false, true},
        {"", 0, 0, 0, "", false, true},
        {"70000", 0, 0, 0, "70000", false, true},
        {"-1", 0, 0, 0, "-1", false, true},
        {"0", 0, 0, 0, "0", false, true}, // nothing can be sent to port 0
        {"65535", 0, 0, 65535, "65535", false, false},
        {"31002", 65533, 0, 65535, "65535", false, false},
        {"31002", 65534, 0, 0, "65536", false, true},
    };
    for (const Case& c : cases) {
        const UdpTarget t = chooseUdpTarget("127.0.0.1", c.portText, c.override, c.index);
        EXPECT_EQ(t.error.empty(), !c.error) << c.portText;
        if (c.error)
            continue;
        EXPECT_EQ(t.port, c.port) << c.portText;
        EXPECT_EQ(t.dialogPortText, c.shown) << c.portText;
        EXPECT_EQ(t.portChanged, c.changed) << c.portText;
        EXPECT_EQ(t.host, "127.0.0.1");
    }
}

TEST(ServerPortPlan, APlanPast65535IsRefusedNamingTheFirstServerOutOfRange)
{
    struct Case {
        int base;
        bool sw30003, http;
        std::string refusal;
    } cases[] = {
        {0, false, true, ""},
        {65527, false, true, ""},
        {65528, false, true, "Cannot open HTTP server port 65536: out of range"},
        {65528, false, false, ""}, // without HTTP its port is not used
        {65531, true, false, ""},
        {65532, false, false, "Cannot open TCP server port 65536: out of range"},
        {65532, true, true, "Cannot open HTTP server port 65540: out of range"},
        {65534, false, true, "Cannot open UDP receiver port 65536: out of range"},
        {65535, false, true, "Cannot open TCP server port 65536: out of range"},
    };
    for (const Case& c : cases) {
        const ServerPortPlan p = ServerPortPlan::forDevice(0, c.base, c.sw30003);
        EXPECT_EQ(p.refusal(c.http), c.refusal) << c.base << (c.sw30003 ? " -30003" : "") << (c.http ? "" : " -nohttp");
    }
    // The web map's port comes last and counts only when it opens.
    EXPECT_EQ(ServerPortPlan::forDevice(0, 65527).refusal(true, true), "Cannot open web map port 65536: out of range");
    EXPECT_EQ(ServerPortPlan::forDevice(0, 65527).refusal(true, false), "");
    EXPECT_EQ(ServerPortPlan::forDevice(0, 65526).refusal(true, true), "");
    ServerPortPlan p = ServerPortPlan::forDevice(0);
    p.raw = -4;
    EXPECT_EQ(p.refusal(true), "Cannot open TCP server port -4: out of range");
}

class OpenServersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::qtApp();
        net.setLogLine([this](const std::string& l) { log.push_back(l); });
    }
    Controls controls;
    Leds leds;
    LedColours colours;
    NetServers net{controls, leds, colours};
    std::vector<std::string> log;
};

TEST_F(OpenServersTest, OpensEachServerAndReportsItsPort)
{
    ASSERT_EQ(net.open(ServerPortPlan::ephemeral(), QHostAddress::LocalHost), "");
    ASSERT_NE(net.raw.port(), 0);
    ASSERT_NE(net.udpIn.port(), 0);
    ASSERT_NE(net.lines.port(), 0);
    EXPECT_EQ(log, (std::vector<std::string>{
                       "TCP server port opened: " + std::to_string(net.raw.port()),
                       "UDP receiver port opened: " + std::to_string(net.udpIn.port()),
                       "Port 30003 type TCP server opened: " + std::to_string(net.lines.port()),
                   }));
    test::Client c;
    EXPECT_TRUE(c.connectTo(net.lines.port()));
    EXPECT_TRUE(test::waitUntil([&] { return net.lines.anyLineClient(); }));
}

TEST_F(OpenServersTest, PortInUseStopsAtThatServer)
{
    QTcpServer tcpHolder;
    ASSERT_TRUE(tcpHolder.listen(QHostAddress::LocalHost, 0));
    QUdpSocket udpHolder;
    ASSERT_TRUE(udpHolder.bind(QHostAddress::LocalHost, 0));

    ServerPortPlan p = ServerPortPlan::ephemeral();
    p.raw = tcpHolder.serverPort();
    std::string err = net.open(p, QHostAddress::LocalHost);
    EXPECT_NE(err.find("port " + std::to_string(p.raw)), std::string::npos) << err;
    EXPECT_TRUE(log.empty());
    net.close();

    p = ServerPortPlan::ephemeral();
    p.udpReceive = udpHolder.localPort();
    err = net.open(p, QHostAddress::LocalHost);
    EXPECT_NE(err.find("UDP receiver port " + std::to_string(p.udpReceive)), std::string::npos) << err;
    EXPECT_TRUE(log.empty());
    net.close();

    p = ServerPortPlan::ephemeral();
    p.lines = tcpHolder.serverPort();
    err = net.open(p, QHostAddress::LocalHost);
    EXPECT_NE(err.find("port " + std::to_string(p.lines)), std::string::npos) << err;
    EXPECT_EQ(log.size(), 2u); // cs1 and the UDP receiver were opened and reported
    // ... and closed again: a failed open leaves nothing listening.
    EXPECT_FALSE(net.raw.cs1.isListening());
    EXPECT_EQ(net.udpIn.port(), 0);
}

TEST_F(OpenServersTest, PortOutOfRangeIsAFailureNotATruncation)
{
    ServerPortPlan p = ServerPortPlan::forDevice(0, 65535);
    EXPECT_NE(net.open(p, QHostAddress::LocalHost), "");
    EXPECT_FALSE(net.raw.cs1.isListening());
}

} // namespace
} // namespace varnock
