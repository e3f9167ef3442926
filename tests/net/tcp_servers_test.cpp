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

TEST_F(RawServerTest, LatestClientReplacesEarlierAndAnyDisconnectClears)
{
    Client first, second;
    ASSERT_TRUE(first.connectTo(server.port()));
    ASSERT_TRUE(waitUntil([&] { return rawClientIs(first); }));
    EXPECT_TRUE(leds[6]);

    ASSERT_TRUE(second.connectTo(server.port()));
    ASSERT_TRUE(waitUntil([&] { return rawClientIs(second); }));
    sendRaw(server, std::string("\x1a" "3line\0one", 10));
    ASSERT_TRUE(second.waitFor(10));
    EXPECT_EQ(second.received, QByteArray("\x1a" "3line\0one", 10));
    first.collect();
    EXPECT_TRUE(first.received.isEmpty());

    // The first client leaving also drops the second as raw client.
    first.socket.disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return server.rawClient == nullptr; }));
    EXPECT_FALSE(leds[6]);
    EXPECT_FALSE(server.rawClientConnected());
    sendRaw(server, "lost");

    Client third;
    ASSERT_TRUE(third.connectTo(server.port()));
    ASSERT_TRUE(waitUntil([&] { return rawClientIs(third); }));
    EXPECT_TRUE(leds[6]);
    sendRaw(server, "kept");
    ASSERT_TRUE(third.waitFor(4));
    EXPECT_EQ(third.received, "kept");
    drainPostedEvents();
    second.collect();
    EXPECT_EQ(second.received.size(), 10); // nothing after it stopped being the raw client
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

TEST_F(LineServerTest, FiveSlotsServedSixthIgnoredFreedSlotReused)
{
    std::array<std::unique_ptr<Client>, 6> c;
    for (int i = 0; i < 6; ++i) {
        c[i] = std::make_unique<Client>();
        ASSERT_TRUE(c[i]->connectTo(server.port()));
        ASSERT_TRUE(waitUntil([&] { return acceptedSockets() == i + 1; }));
        EXPECT_EQ(slotOf(*c[i]), i < 5 ? i : -1) << "client " << i;
    }
    EXPECT_TRUE(leds[9]);
    EXPECT_TRUE(server.anyLineClient());

    server.sendToLineClients("MSG,1\r\n");
    server.sendToLineClients("MSG,2\r\n");
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(c[i]->waitFor(14));
        EXPECT_EQ(c[i]->received, "MSG,1\r\nMSG,2\r\n");
    }
    drainPostedEvents();
    c[5]->collect();
    EXPECT_TRUE(c[5]->received.isEmpty());

    // Slot 2 frees; the sixth (already connected) does not move in, a new client does.
    c[2]->socket.disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return server.lineClients[2] == nullptr; }));
    EXPECT_TRUE(leds[9]);
    EXPECT_EQ(slotOf(*c[5]), -1);
    Client late;
    ASSERT_TRUE(late.connectTo(server.port()));
    ASSERT_TRUE(waitUntil([&] { return slotOf(late) == 2; }));
    server.sendToLineClients("MSG,3\r\n");
    ASSERT_TRUE(late.waitFor(7));
    EXPECT_EQ(late.received, "MSG,3\r\n");
    ASSERT_TRUE(c[4]->waitFor(21));
    drainPostedEvents();
    c[5]->collect();
    EXPECT_TRUE(c[5]->received.isEmpty());

    // The untracked sixth leaving changes nothing.
    QTcpSocket* slots[LineServer::kSlots];
    std::copy(std::begin(server.lineClients), std::end(server.lineClients), slots);
    c[5]->socket.disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return acceptedSockets() == 5; }));
    EXPECT_TRUE(std::equal(std::begin(slots), std::end(slots), std::begin(server.lineClients)));
    EXPECT_TRUE(leds[9]);
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
