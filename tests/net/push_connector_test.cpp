// Tests of the aggregator push connection against local listeners: connect, loss, back-off, slow readers.
#include "net/push_connector.h"

#include <gtest/gtest.h>

#include <QTcpServer>

#include <memory>
#include <string>
#include <vector>

#include "qt_test_support.h"

namespace varnock {
namespace {

using test::waitUntil;

TEST(PushTarget, ParsesHostPortAndRefusesTheRest)
{
    struct Case {
        const char* text;
        const char* host; // null: refused
        int port;
    };
    const Case cases[] = {
        {"feed.example.net:30005", "feed.example.net", 30005},
        {"127.0.0.1:1", "127.0.0.1", 1},
        {"[::1]:65535", "::1", 65535},
        {"host:0", nullptr, 0},
        {"host:65536", nullptr, 0},
        {"host:", nullptr, 0},
        {":30005", nullptr, 0},
        {"host", nullptr, 0},
        {"::1:30005", nullptr, 0},
        {"[::1]30005", nullptr, 0},
        {"host:+5", nullptr, 0},
        {"host:123456", nullptr, 0},
    };
    for (const Case& c : cases) {
        PushTarget t;
        const std::string why = parsePushTarget(c.text, t);
        if (c.host == nullptr) {
            EXPECT_FALSE(why.empty()) << c.text;
        } else {
            EXPECT_EQ(why, "") << c.text;
            EXPECT_EQ(t.host.toStdString(), c.host) << c.text;
            EXPECT_EQ(t.port, c.port) << c.text;
        }
    }
}

std::vector<uint8_t> frameOf(uint8_t tag, std::size_t n)
{
    return std::vector<uint8_t>(n, tag);
}

TEST(FrameRing, FullRingLosesItsOldestWholeFramesAndCountsThem)
{
    FrameRing ring(32);
    for (uint8_t tag = 1; tag <= 5; ++tag) {
        const auto f = frameOf(tag, 9); // 10 bytes each with the length
        ring.push(f.data(), f.size());
    }
    EXPECT_EQ(ring.dropped(), 2u);
    EXPECT_EQ(ring.frames(), 3u);
    uint8_t out[256];
    for (uint8_t tag = 3; tag <= 5; ++tag) {
        ASSERT_EQ(ring.pop(out), 9u);
        EXPECT_EQ(std::vector<uint8_t>(out, out + 9), frameOf(tag, 9));
    }
    EXPECT_EQ(ring.pop(out), 0u);
    EXPECT_EQ(ring.usedBytes(), 0u);

    const auto tooLong = frameOf(7, 40);
    ring.push(tooLong.data(), tooLong.size());
    EXPECT_EQ(ring.dropped(), 3u);
    EXPECT_EQ(ring.frames(), 0u);
}

// Fast back-off so the tests see several attempts without waiting seconds.
constexpr PushBackoff kFast{20, 160, 5000};

struct Harness {
    std::vector<std::string> lines;
    LogLineFn log = [this](const std::string& l) { lines.push_back(l); };

    int count(const std::string& start) const
    {
        int n = 0;
        for (const auto& l : lines) n += l.rfind(start, 0) == 0 ? 1 : 0;
        return n;
    }
};

// A port nothing listens on: taken, then given back.
quint16 refusingPort()
{
    QTcpServer s;
    EXPECT_TRUE(s.listen(QHostAddress::LocalHost, 0));
    const quint16 p = s.serverPort();
    s.close();
    return p;
}

void send(PushConnectors& c, const std::string& bytes)
{
    c.sendToRawClient(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(PushConnector, DeliversFramesReconnectsAfterLossAndReportsBoth)
{
    test::qtApp();
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
    Harness h;
    PushConnectors push(h.log);
    const std::string target = "localhost:" + std::to_string(listener.serverPort()); // through a lookup
    ASSERT_TRUE(push.start({target}, kFast).empty());
    const PushConnector& c = *push.connectors().at(0);

    ASSERT_TRUE(waitUntil([&] { return listener.hasPendingConnections() && push.rawClientConnected(); }));
    std::unique_ptr<QTcpSocket> peer(listener.nextPendingConnection());
    send(push, "\x1a" "2abcdefgh");
    send(push, "\x1a" "3second");
    QByteArray got;
    ASSERT_TRUE(waitUntil([&] {
        got += peer->readAll();
        return got.size() >= 17;
    }));
    EXPECT_EQ(got.toStdString(), "\x1a" "2abcdefgh" "\x1a" "3second");
    EXPECT_EQ(h.lines, std::vector<std::string>{"Aggregator connected: " + target});

    peer->close();
    ASSERT_TRUE(waitUntil([&] { return !push.rawClientConnected(); }));
    ASSERT_EQ(h.count("Aggregator lost: " + target), 1);
    send(push, "while down"); // nowhere to go; must not pile up
    EXPECT_EQ(c.queuedBytes(), 0u);

    ASSERT_TRUE(waitUntil([&] { return listener.hasPendingConnections() && push.rawClientConnected(); }));
    peer.reset(listener.nextPendingConnection());
    EXPECT_EQ(c.connects(), 2);
    EXPECT_EQ(h.count("Aggregator connected: "), 2);
    send(push, "after");
    got.clear();
    ASSERT_TRUE(waitUntil([&] {
        got += peer->readAll();
        return got.size() >= 5;
    }));
    EXPECT_EQ(got.toStdString(), "after");
}

TEST(PushConnector, RefusingAddressIsReportedOnceAndRetriedWithGrowingWaits)
{
    test::qtApp();
    Harness h;
    PushConnectors push(h.log);
    const quint16 port = refusingPort();
    ASSERT_TRUE(push.start({"127.0.0.1:" + std::to_string(port)}, kFast).empty());
    const PushConnector& c = *push.connectors().at(0);

    std::vector<int> waits;
    ASSERT_TRUE(waitUntil([&] {
        const int w = c.retryDelayMs();
        if (w > 0 && (waits.empty() || waits.back() != w)) waits.push_back(w);
        return waits.size() >= 4 && waits.back() == 160;
    }));
    EXPECT_EQ(std::vector<int>(waits.begin(), waits.begin() + 4), (std::vector<int>{20, 40, 80, 160}));
    EXPECT_FALSE(push.rawClientConnected());
    EXPECT_EQ(h.count("Aggregator not reachable: 127.0.0.1:" + std::to_string(port)), 1);
    EXPECT_EQ(h.lines.size(), 1u);

    // Once it listens there, the next attempt gets through and the waits start over.
    QTcpServer late;
    ASSERT_TRUE(late.listen(QHostAddress::LocalHost, port));
    ASSERT_TRUE(waitUntil([&] { return push.rawClientConnected(); }));
    EXPECT_EQ(c.retryDelayMs(), 0);
}

TEST(PushConnector, ListenerThatNeverReadsCostsBoundedMemoryAndDropsOldest)
{
    test::qtApp();
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
    Harness h;
    PushConnectors push(h.log);
    ASSERT_TRUE(push.start({"127.0.0.1:" + std::to_string(listener.serverPort())}, kFast).empty());
    ASSERT_TRUE(waitUntil([&] { return listener.hasPendingConnections() && push.rawClientConnected(); }));
    std::unique_ptr<QTcpSocket> peer(listener.nextPendingConnection());
    peer->setReadBufferSize(1); // Qt reads no more than this for us; the kernel buffers fill up
    const PushConnector& c = *push.connectors().at(0);

    const std::string frame(22, 'x');
    // Far more than the ring, the socket and both kernel buffers together can hold.
    for (int round = 0; round < 400 && c.dropped() == 0; ++round) {
        for (int i = 0; i < 2000; ++i) send(push, frame);
        QCoreApplication::processEvents();
    }
    EXPECT_GT(c.dropped(), 0u);
    EXPECT_LE(c.queuedBytes(), PushConnector::kRingBytes);
    EXPECT_LE(c.socketBytes(), PushConnector::kSocketBytes + 4096);
    EXPECT_TRUE(push.rawClientConnected());
}

} // namespace
} // namespace varnock
