// Tests of the raw and 30003-style TCP servers on real loopback sockets.
#include "net/line_server.h"
#include "net/raw_server.h"
#include "net/bounded_write.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "qt_test_support.h"

namespace varnock {
namespace {

using test::Client;
using test::drainPostedEvents;
using test::waitUntil;

void sendRaw(RawServer& s, const std::string& text)
{
    s.sendToRawClient(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

class RawServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::qtApp();
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    }
    bool rawClientIs(const Client& c) const
    {
        return server.rawClient != nullptr && server.rawClient->peerPort() == c.socket.localPort();
    }

    Leds leds;
    RawServer server{leds};
};

TEST_F(RawServerTest, LatestClientIsServedAndOnlyItsOwnLeavingClearsIt)
{
    Client first, second;
    ASSERT_TRUE(first.connectTo(server.port()));
    ASSERT_TRUE(waitUntil([&] { return rawClientIs(first); }));
    EXPECT_TRUE(leds[6]);

    // A feeder reconnecting before its old connection has gone.
    ASSERT_TRUE(second.connectTo(server.port()));
    ASSERT_TRUE(waitUntil([&] { return rawClientIs(second); }));
    sendRaw(server, std::string("\x1a" "3line\0one", 10));
    ASSERT_TRUE(second.waitFor(10));
    EXPECT_EQ(second.received, QByteArray("\x1a" "3line\0one", 10));
    first.collect();
    EXPECT_TRUE(first.received.isEmpty());

    first.socket.disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return server.connectionCount() == 1; }));
    EXPECT_TRUE(rawClientIs(second));
    EXPECT_TRUE(leds[6]);
    sendRaw(server, "kept");
    ASSERT_TRUE(second.waitFor(14));
    EXPECT_EQ(second.received.mid(10), "kept");

    // The served client leaving leaves none, although others may still be connected.
    Client third;
    ASSERT_TRUE(third.connectTo(server.port()));
    ASSERT_TRUE(waitUntil([&] { return rawClientIs(third); }));
    third.socket.disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return server.rawClient == nullptr; }));
    EXPECT_FALSE(leds[6]);
    EXPECT_FALSE(server.rawClientConnected());
    sendRaw(server, "lost");
    drainPostedEvents();
    second.collect();
    EXPECT_EQ(second.received.size(), 14); // nothing after it stopped being the raw client
    EXPECT_EQ(server.connectionCount(), 1);
}

TEST_F(RawServerTest, ConnectionsBeyondTheCapCloseTheOldestNotTheNewest)
{
    constexpr int kExtra = 6;
    std::vector<std::unique_ptr<Client>> c;
    for (int i = 0; i < RawServer::kMaxConnections + kExtra; ++i) {
        c.push_back(std::make_unique<Client>());
        ASSERT_TRUE(c.back()->connectTo(server.port()));
        ASSERT_TRUE(waitUntil([&] { return rawClientIs(*c.back()); })) << "client " << i;
        ASSERT_LE(server.connectionCount(), RawServer::kMaxConnections);
    }
    for (int i = 0; i < kExtra; ++i)
        EXPECT_TRUE(waitUntil([&] { return c[i]->socket.state() == QAbstractSocket::UnconnectedState; })) << i;
    for (std::size_t i = kExtra; i < c.size(); ++i)
        EXPECT_EQ(c[i]->socket.state(), QAbstractSocket::ConnectedState) << i;
    EXPECT_EQ(server.connectionCount(), RawServer::kMaxConnections);
    sendRaw(server, "newest");
    ASSERT_TRUE(c.back()->waitFor(6));
    EXPECT_EQ(c.back()->received, "newest");
}

class LineServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::qtApp();
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    }
    int slotOf(const Client& c) const
    {
        for (int i = 0; i < LineServer::kSlots; ++i)
            if (server.lineClients[i] != nullptr && server.lineClients[i]->peerPort() == c.socket.localPort())
                return i;
        return -1;
    }
    qsizetype acceptedSockets() const { return server.cs2.findChildren<QTcpSocket*>().size(); }

    Leds leds;
    LineServer server{leds};
};

TEST_F(LineServerTest, FiveSlotsServedSixthClosedFreedSlotReused)
{
    std::array<std::unique_ptr<Client>, 5> c;
    for (int i = 0; i < 5; ++i) {
        c[i] = std::make_unique<Client>();
        ASSERT_TRUE(c[i]->connectTo(server.port()));
        ASSERT_TRUE(waitUntil([&] { return acceptedSockets() == i + 1; }));
        EXPECT_EQ(slotOf(*c[i]), i) << "client " << i;
    }
    EXPECT_TRUE(leds[9]);
    EXPECT_TRUE(server.anyLineClient());

    // A sixth would never be sent anything: it is closed at once, the slots untouched.
    QTcpSocket* slots[LineServer::kSlots];
    std::copy(std::begin(server.lineClients), std::end(server.lineClients), slots);
    for (int k = 0; k < 3; ++k) {
        Client sixth;
        sixth.socket.connectToHost(QHostAddress::LocalHost, server.port());
        ASSERT_TRUE(waitUntil([&] { return sixth.socket.state() == QAbstractSocket::UnconnectedState; }));
        EXPECT_TRUE(sixth.received.isEmpty());
    }
    drainPostedEvents();
    EXPECT_EQ(acceptedSockets(), 5);
    EXPECT_TRUE(std::equal(std::begin(slots), std::end(slots), std::begin(server.lineClients)));

    server.sendToLineClients("MSG,1\r\n");
    server.sendToLineClients("MSG,2\r\n");
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(c[i]->waitFor(14));
        EXPECT_EQ(c[i]->received, "MSG,1\r\nMSG,2\r\n");
    }

    // Slot 2 frees and the next client takes it.
    c[2]->socket.disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return server.lineClients[2] == nullptr; }));
    EXPECT_TRUE(leds[9]);
    Client late;
    ASSERT_TRUE(late.connectTo(server.port()));
    ASSERT_TRUE(waitUntil([&] { return slotOf(late) == 2; }));
    server.sendToLineClients("MSG,3\r\n");
    ASSERT_TRUE(late.waitFor(7));
    EXPECT_EQ(late.received, "MSG,3\r\n");
    ASSERT_TRUE(c[4]->waitFor(21));
}

TEST_F(LineServerTest, Led9GoesOffOnlyWithTheLastTrackedClient)
{
    Client a, b;
    ASSERT_TRUE(a.connectTo(server.port()));
    ASSERT_TRUE(waitUntil([&] { return slotOf(a) == 0; }));
    EXPECT_TRUE(leds[9]);
    ASSERT_TRUE(b.connectTo(server.port()));
    ASSERT_TRUE(waitUntil([&] { return slotOf(b) == 1; }));

    a.socket.disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return server.lineClients[0] == nullptr; }));
    EXPECT_TRUE(leds[9]);
    EXPECT_TRUE(server.anyLineClient());

    b.socket.disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return server.lineClients[1] == nullptr; }));
    EXPECT_FALSE(leds[9]);
    EXPECT_FALSE(server.anyLineClient());
}

// A client that never reads, with a tiny receive window so the server's queue fills quickly.
class StalledClient {
public:
    explicit StalledClient(quint16 port)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int small = 4096;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ok_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~StalledClient() { ::close(fd_); }
    bool ok() const { return ok_; }

private:
    int fd_ = -1;
    bool ok_ = false;
};

TEST_F(LineServerTest, StalledClientQueueStaysBoundedWhileOthersKeepReceiving)
{
    StalledClient stalled(server.port());
    ASSERT_TRUE(stalled.ok());
    ASSERT_TRUE(waitUntil([&] { return server.lineClients[0] != nullptr; }));
    Client healthy;
    ASSERT_TRUE(healthy.connectTo(server.port()));
    ASSERT_TRUE(waitUntil([&] { return slotOf(healthy) == 1; }));
    QTcpSocket* stalledSide = server.lineClients[0];

    constexpr int kLineBytes = 1000, kLines = 16384, kChunk = 256; // 16 MB in all
    std::string line(kLineBytes, 'x');
    line[kLineBytes - 2] = '\r';
    line[kLineBytes - 1] = '\n';
    qint64 highest = 0;
    for (int n = 0; n < kLines; n += kChunk) {
        for (int i = n; i < n + kChunk; ++i) {
            std::snprintf(line.data(), 9, "%08d", i);
            server.sendToLineClients(line);
            highest = std::max(highest, stalledSide->bytesToWrite());
            ASSERT_LE(stalledSide->bytesToWrite(), kMaxQueuedBytes + kLineBytes);
        }
        ASSERT_TRUE(healthy.waitFor(qsizetype(n + kChunk) * kLineBytes)) << "after line " << n;
    }
    EXPECT_GT(highest, kMaxQueuedBytes - kLineBytes); // the cap was reached, lines were dropped
    ASSERT_EQ(healthy.received.size(), qsizetype(kLines) * kLineBytes);
    for (int i = 0; i < kLines; i += 1111)
        ASSERT_EQ(healthy.received.mid(qsizetype(i) * kLineBytes, 8), QByteArray::number(i).rightJustified(8, '0'));
}

} // namespace
} // namespace varnock
