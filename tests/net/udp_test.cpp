// Tests of the UDP relay to the raw client, the UDP sender and the two UDP buttons.
#include "net/net_servers.h"

#include <gtest/gtest.h>

#include <QUdpSocket>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "qt_test_support.h"

namespace varnock {
namespace {

using test::Client;
using test::drainPostedEvents;
using test::waitUntil;

class UdpRelayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::qtApp();
        ASSERT_TRUE(raw.listen(QHostAddress::LocalHost, 0));
        ASSERT_TRUE(udp.bind(QHostAddress::LocalHost, 0));
        udp.setLogLine([this](const std::string& l) { log.push_back(l); });
    }
    void sendDatagram(const QByteArray& d)
    {
        ASSERT_EQ(sender.writeDatagram(d, QHostAddress::LocalHost, udp.port()), d.size());
    }
    bool connectRawClient()
    {
        return client.connectTo(raw.port()) && waitUntil([&] { return raw.rawClient != nullptr; });
    }

    Controls controls;
    Leds leds;
    RawServer raw{leds};
    UdpReceiver udp{raw, controls, leds};
    QUdpSocket sender;
    Client client;
    std::vector<std::string> log;
};

QByteArray pattern(int n)
{
    QByteArray d(n, '\0');
    for (int i = 0; i < n; ++i)
        d[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return d;
}

TEST_F(UdpRelayTest, DatagramsReachTheRawClientByteForByte)
{
    ASSERT_TRUE(connectRawClient());
    const std::vector<QByteArray> datagrams = {
        QByteArray("\x1a\x33\xff\xff\xff\xff\xff\xff\x2a\x8d\x1a\x1a\x00\x01", 14), // binary, escapes, NUL
        QByteArray("*8D4840D6202CC371C32CE0576098;\r\n"),
        QByteArray(), // empty: nothing to pass on, and nothing breaks
        pattern(65507), // the largest IPv4 payload
        QByteArray("@FFFFFFFFFFFF5D4840D6;\r\n"),
    };
    QByteArray expected;
    for (const QByteArray& d : datagrams) {
        sendDatagram(d);
        expected += d;
        ASSERT_TRUE(client.waitFor(expected.size())) << "after a datagram of " << d.size() << " bytes";
    }
    drainPostedEvents();
    client.collect();
    EXPECT_EQ(client.received, expected);
    EXPECT_TRUE(leds[8]);
    EXPECT_TRUE(log.empty());
}

// A busy tick sends its frames back to back before the receiver's event loop runs again.
TEST_F(UdpRelayTest, BurstOfATicksFramesArrivesWhole)
{
    constexpr int kFrames = 1500;
    // The receiver asks for 4 MB; a kernel that caps socket buffers lower drops such a burst.
    long rmemMax = 0;
    if (FILE* f = std::fopen("/proc/sys/net/core/rmem_max", "r")) {
        if (std::fscanf(f, "%ld", &rmemMax) != 1) rmemMax = 0;
        std::fclose(f);
    }
    if (rmemMax < 4L * 1024 * 1024) GTEST_SKIP() << "net.core.rmem_max is " << rmemMax << ", below 4 MB";
    ASSERT_TRUE(connectRawClient());
    const QByteArray frame("*8D4840D6202CC371C32CE0576098;\r\n");
    for (int i = 0; i < kFrames; ++i)
        sendDatagram(frame); // no events run meanwhile
    ASSERT_TRUE(client.waitFor(kFrames * frame.size()));
    drainPostedEvents();
    EXPECT_EQ(udp.datagramsRead(), uint64_t(kFrames));
}

TEST_F(UdpRelayTest, IgnoredWhileSendUdpIsDown)
{
    ASSERT_TRUE(connectRawClient());
    controls.sbudpout = true;
    sendDatagram("ignored");
    ASSERT_TRUE(waitUntil([&] { return udp.datagramsRead() == 1; }));
    EXPECT_FALSE(leds[8]);

    controls.sbudpout = false;
    sendDatagram("marker");
    ASSERT_TRUE(client.waitFor(6));
    drainPostedEvents();
    client.collect();
    EXPECT_EQ(client.received, "marker");
    EXPECT_TRUE(leds[8]);
}

TEST_F(UdpRelayTest, WithoutRawClientOnlyTheLedLights)
{
    sendDatagram("no one listens");
    ASSERT_TRUE(waitUntil([&] { return leds[8]; }));
    EXPECT_FALSE(raw.rawClientConnected());
}

class UdpButtonsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::qtApp();
        ASSERT_TRUE(target.bind(QHostAddress::LocalHost, 0));
        net.udpOut.setTarget("127.0.0.1", target.localPort());
    }
    void send(const char* text)
    {
        net.udpOut.sendDatagram(reinterpret_cast<const uint8_t*>(text), std::strlen(text));
    }
    QByteArray nextDatagram()
    {
        if (!waitUntil([&] { return target.hasPendingDatagrams(); }))
            return "(none)";
        QByteArray d(static_cast<qsizetype>(target.pendingDatagramSize()), '\0');
        target.readDatagram(d.data(), d.size());
        return d;
    }

    Controls controls;
    Leds leds;
    LedColours colours;
    NetServers net{controls, leds, colours};
    QUdpSocket target;
};

TEST_F(UdpButtonsTest, SenderWorksOnlyWhileSendUdpIsDown)
{
    EXPECT_EQ(colours[8], LedColours::kYellow);
    send("before"); // inactive: lost
    leds[8] = true;
    net.sbudpoutClick(true);
    EXPECT_TRUE(controls.sbudpout);
    EXPECT_TRUE(net.udpOut.active());
    EXPECT_EQ(colours[8], LedColours::kOrange);
    EXPECT_FALSE(leds[8]);
    send("while down");
    EXPECT_EQ(nextDatagram(), "while down");

    net.sbudpoutClick(false);
    EXPECT_FALSE(net.udpOut.active());
    EXPECT_EQ(colours[8], LedColours::kYellow);
    send("after");
    net.sbudpoutClick(true);
    send("again");
    EXPECT_EQ(nextDatagram(), "again");
}

TEST_F(UdpButtonsTest, ConfigReleasesSendUdpUnlessTheDialogIsShown)
{
    net.sbudpoutClick(true);
    leds[8] = true;

    EXPECT_FALSE(net.sbudpClick(true)); // dialog already visible: nothing changes
    EXPECT_TRUE(controls.sbudpout);
    EXPECT_TRUE(net.udpOut.active());

    EXPECT_TRUE(net.sbudpClick(false));
    EXPECT_FALSE(controls.sbudpout);
    EXPECT_FALSE(net.udpOut.active());
    EXPECT_EQ(colours[8], LedColours::kYellow);
    EXPECT_TRUE(leds[8]); // left for the 2 s round to switch off
}

TEST_F(UdpButtonsTest, HostNameIsLookedUp)
{
    net.udpOut.setTarget("localhost", target.localPort());
    ASSERT_TRUE(waitUntil([&] { return !net.udpOut.targetAddress().isNull(); }));
    EXPECT_TRUE(net.udpOut.targetAddress().isLoopback());
    net.sbudpoutClick(true);
    send("named");
    EXPECT_EQ(nextDatagram(), "named");
}

} // namespace
} // namespace varnock
