// HTTP server over 127.0.0.1: pages, raw DEFLATE, keep-alive and close, and the limits against abusive clients.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <zlib.h>

#include "core/clock.h"
#include "core/line_sink.h"
#include "receiver/receiver.h"
#include "net/http_server.h"
#include "qt_test_support.h"
#include "http_reply.h"

using namespace varnock;
using namespace varnock::test;

namespace {

std::string inflateRaw(const QByteArray& in)
{
    z_stream zs{};
    if (inflateInit2(&zs, -15) != Z_OK) return "<init>";
    std::string out;
    char buf[16384];
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
    zs.avail_in = static_cast<uInt>(in.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = reinterpret_cast<Bytef*>(buf);
        zs.avail_out = sizeof buf;
        rc = inflate(&zs, Z_NO_FLUSH);
        out.append(buf, sizeof buf - zs.avail_out);
    }
    inflateEnd(&zs);
    return rc == Z_STREAM_END ? out : "<error>";
}

using Response = varnock::test::HttpReply;

// Takes one whole response (by Content-Length) off the front of `buf`; false while incomplete.
bool takeResponse(QByteArray& buf, Response& r, bool headOnly = false)
{
    const int end = buf.indexOf("\r\n\r\n");
    if (end < 0) return false;
    r.head = buf.left(end);
    r.status = r.head.mid(9, 3).toInt();
    bool ok = false;
    const qsizetype len = headOnly ? 0 : r.header("Content-Length").toLongLong(&ok);
    if (!headOnly && !ok) return false;
    if (buf.size() < end + 4 + len) return false;
    r.body = buf.mid(end + 4, len);
    buf.remove(0, end + 4 + len);
    return true;
}

// Every response a connection gets until the server closes it.
struct Conversation {
    std::vector<Response> responses;
    bool closed = false;
    std::vector<int> statuses() const
    {
        std::vector<int> v;
        for (const Response& r : responses) v.push_back(r.status);
        return v;
    }
};

// A plain descriptor, since QTcpSocket cannot half-close: sends, optionally shuts its sending side
// at once, then collects until the server closes.
Conversation converse(quint16 port, const QByteArray& raw, bool halfClose, const std::function<void()>& connected = {})
{
    Conversation c;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (connected) {
        int small = 4096;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        if (fd >= 0) ::close(fd);
        return c;
    }
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    if (connected) connected();
    qsizetype off = 0;
    QByteArray got;
    waitUntil([&] {
        while (off < raw.size()) {
            const ssize_t n = ::send(fd, raw.constData() + off, static_cast<size_t>(raw.size() - off), MSG_NOSIGNAL);
            if (n <= 0) return false;
            off += n;
            if (off == raw.size() && halfClose) ::shutdown(fd, SHUT_WR);
        }
        char buf[65536];
        for (;;) {
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n > 0) {
                got.append(buf, n);
                continue;
            }
            if (n == 0 || errno != EAGAIN) c.closed = true;
            return c.closed;
        }
    });
    ::close(fd);
    Response r;
    while (takeResponse(got, r)) c.responses.push_back(r);
    return c;
}

class HttpServerTest : public ::testing::Test {
protected:
    void SetUp() override { qtApp(); }
    void start(const HttpServer::Limits& limits = {})
    {
        server = std::make_unique<HttpServer>(*rx, colours, limits);
        server->setInputs([this] { return inputs; });
        ASSERT_EQ(server->open(0, QHostAddress::LocalHost), "");
        port = server->port();
        ASSERT_NE(port, 0);
    }
    void TearDown() override
    {
        server.reset();
        drainPostedEvents();
    }

    std::unique_ptr<Client> connect()
    {
        auto c = std::make_unique<Client>();
        EXPECT_TRUE(c->connectTo(port));
        return c;
    }
    Response request(Client& c, const QByteArray& raw, bool headOnly = false)
    {
        c.socket.write(raw);
        Response r;
        EXPECT_TRUE(waitUntil([&] {
            c.collect();
            return takeResponse(c.received, r, headOnly);
        })) << raw.left(200).constData();
        return r;
    }
    Response get(const QByteArray& target)
    {
        auto c = connect();
        return request(*c, "GET " + target + " HTTP/1.1\r\nHost: x\r\n\r\n");
    }
    bool waitClosed(Client& c, int ms = kWaitMs)
    {
        return waitUntil([&] {
            c.collect();
            return c.socket.state() == QAbstractSocket::UnconnectedState;
        }, ms);
    }
    void addAircraft(int n)
    {
        for (int i = 0; i < n; ++i) {
            TFlight& f = rx->table[i];
            f.inuse = 1;
            char icao[7];
            std::snprintf(icao, sizeof icao, "%06X", 0x400000 + i);
            rx->table.setAddress(i, icao);
            f.callsign.assign("TEST1234", 8);
            f.squawk.assign("1000", 4);
            f.lat = 52.0 + i * 1e-4;
            f.lon = 4.0 + i * 1e-4;
            f.altitude = 30000 + i;
        }
    }

    VirtualClock clock;
    NullLineSink lines;
    std::unique_ptr<Receiver> rx = [this] {
        auto r = std::make_unique<Receiver>(clock, lines);
        r->controls.sblist = false;
        return r;
    }();
    LedColours colours;
    HttpPageInputs inputs = [] {
        HttpPageInputs in;
        in.config.table[0] = "table1";
        in.config.table[1] = "table2";
        in.config.table[2] = "table3";
        in.config.table[3] = "status";
        return in;
    }();
    std::unique_ptr<HttpServer> server;
    quint16 port = 0;
};

} // namespace

TEST(Deflate, RawStreamRoundTrip)
{
    for (const std::string& s : {std::string(), std::string("NODATA"), std::string(200000, 'x') + "tail\n"}) {
        const QByteArray z = deflateRaw(s);
        ASSERT_FALSE(z.isEmpty());
        EXPECT_EQ(inflateRaw(z), s); // a zlib or gzip wrapper would not inflate as raw
    }
}

TEST_F(HttpServerTest, TablesPlainAndCompressed)
{
    start();
    addAircraft(3);
    const std::string plain = httpTableText(1, rx->httpSources(), inputs);
    ASSERT_FALSE(plain.empty());

    Response z = get("/table1?gzip=1");
    EXPECT_EQ(z.status, 200);
    EXPECT_EQ(z.header("Content-Type"), "application/gzip");
    EXPECT_EQ(z.header("Content-Encoding"), "");
    EXPECT_EQ(z.header("Content-Length").toInt(), z.body.size());
    EXPECT_EQ(inflateRaw(z.body), plain);

    for (const char* target : {"/table1?gzip=yes", "/table1?gzip=0", "/table1", "/table1?gzip=", "/table1?gzip=1x"}) {
        Response r = get(target);
        EXPECT_EQ(r.status, 200) << target;
        EXPECT_EQ(r.header("Content-Type"), "text/plain") << target;
        EXPECT_EQ(r.body.toStdString(), plain) << target;
    }
    Response upper = get("/table1?GZip=1");
    EXPECT_EQ(upper.header("Content-Type"), "application/gzip");
    EXPECT_EQ(inflateRaw(upper.body), plain);
    EXPECT_TRUE(rx->leds[10]);
    EXPECT_EQ(colours[10], 16711808);

    Response status = get("/status?gzip=1");
    EXPECT_EQ(inflateRaw(status.body).rfind("VARNOCK - Version=V ", 0), 0u);
}

TEST_F(HttpServerTest, NodataGreetingAndEmptyTable)
{
    start();
    Response empty = get("/table2");
    EXPECT_EQ(empty.status, 200);
    EXPECT_EQ(empty.header("Content-Length"), "0");
    EXPECT_EQ(empty.body, "");

    rx->controls.sbmodes = false;
    rx->controls.sbmodeac = true;
    for (const char* t : {"/table1?gzip=1", "/table2", "/table3?gzip=1"}) {
        Response r = get(t);
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.body, "NODATA") << t;
        EXPECT_EQ(r.header("Content-Type"), "text/plain");
    }
    EXPECT_EQ(colours[10], 255);
    EXPECT_EQ(get("/status").body.left(18), "VARNOCK - Version=");
    EXPECT_EQ(colours[10], 16711808);

    rx->leds[10] = false;
    Response g = get("/Table1?gzip=0");
    EXPECT_EQ(g.status, 200);
    EXPECT_TRUE(g.body.contains("You have requested page /Table1, which is not recognized.\n"));
    EXPECT_FALSE(rx->leds[10]);
    Response root = get("/");
    EXPECT_TRUE(root.body.contains("requested page /,"));
}

TEST_F(HttpServerTest, KeepAliveCloseAndHead)
{
    start();
    auto c = connect();
    for (int i = 0; i < 3; ++i) {
        Response r = request(*c, "GET /status HTTP/1.1\r\nHost: x\r\n\r\n");
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.header("Connection"), "keep-alive");
    }
    Response h = request(*c, "HEAD /status HTTP/1.1\r\n\r\n", true);
    EXPECT_EQ(h.status, 200);
    EXPECT_GT(h.header("Content-Length").toInt(), 100);
    EXPECT_EQ(h.body, "");
    Response after = request(*c, "GET /nothing HTTP/1.1\r\n\r\n");
    EXPECT_TRUE(after.body.startsWith("Good day")); // the HEAD left no body behind
    EXPECT_EQ(c->received, "");

    // Two requests in one write are both answered, in order.
    c->socket.write("GET /a HTTP/1.1\r\n\r\nGET /b HTTP/1.1\r\n\r\n");
    Response a, b;
    ASSERT_TRUE(waitUntil([&] {
        c->collect();
        return a.status != 0 || takeResponse(c->received, a);
    }));
    ASSERT_TRUE(waitUntil([&] {
        c->collect();
        return takeResponse(c->received, b);
    }));
    EXPECT_TRUE(a.body.contains("page /a,"));
    EXPECT_TRUE(b.body.contains("page /b,"));

    Response closing = request(*c, "GET /status HTTP/1.1\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(closing.header("Connection"), "close");
    EXPECT_TRUE(waitClosed(*c));

    auto old = connect();
    EXPECT_EQ(request(*old, "GET /status HTTP/1.0\r\n\r\n").status, 200);
    EXPECT_TRUE(waitClosed(*old));
    auto oldKeep = connect();
    EXPECT_EQ(request(*oldKeep, "GET /status HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n").status, 200);
    EXPECT_EQ(request(*oldKeep, "GET /status HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n").status, 200);
    EXPECT_EQ(oldKeep->socket.state(), QAbstractSocket::ConnectedState);
    EXPECT_EQ(server->requestsServed(), 11u);
}

TEST_F(HttpServerTest, MalformedAndOversizedRequestsAreRefused)
{
    start();
    const QByteArray big(1 << 20, 'a');
    const struct {
        QByteArray raw;
        int status;
    } cases[] = {
        {"GET /" + big + " HTTP/1.1\r\n\r\n", 414},
        {"GET / HTTP/1.1\r\nX-Big: " + big + "\r\n\r\n", 431},
        {"GARBAGE\r\n\r\n", 400},
        {"GET /\r\n\r\n", 400},
        {"GET  / HTTP/1.1\r\n\r\n", 400},
        {"GET / HTTP/2.0\r\n\r\n", 505},
        {"GET / FTP/1.0\r\n\r\n", 400},
        {"POST /table1 HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc", 405},
        {"G\x01T / HTTP/1.1\r\n\r\n", 400},
        {"GET /\xff HTTP/1.1\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nNoColon\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nA: b\r\n folded\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nContent-Length: 99999999\r\n\r\n", 413},
        {"GET / HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 1\r\n\r\nx", 400},
        {"GET / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 501},
        {"GET / HTTP/1.1\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n\r\n", 400},
    };
    for (const auto& c : cases) {
        auto client = connect();
        client->socket.write(c.raw);
        Response r;
        ASSERT_TRUE(waitUntil([&] {
            client->collect();
            return takeResponse(client->received, r);
        })) << c.raw.left(60).constData();
        EXPECT_EQ(r.status, c.status) << c.raw.left(60).constData();
        EXPECT_EQ(r.header("Connection"), "close");
        EXPECT_TRUE(waitClosed(*client)) << c.raw.left(60).constData();
    }
    EXPECT_EQ(server->requestsServed(), 0u);
    // A body that fits is read and skipped; the next request on the connection still works.
    auto c = connect();
    EXPECT_TRUE(request(*c, "GET /a HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello").body.contains("page /a,"));
    EXPECT_TRUE(request(*c, "GET /b HTTP/1.1\r\n\r\n").body.contains("page /b,"));
    EXPECT_EQ(get("/status").status, 200);
}

TEST_F(HttpServerTest, SilentAndSlowClientsTimeOut)
{
    HttpServer::Limits lim;
    // Wide margins: on a loaded machine a 100 ms drip can stall for several hundred ms.
    lim.idleMs = 2000;
    lim.requestMs = 4000;
    start(lim);
    auto half = connect();
    half->socket.write("GET /status HTTP/1.1\r\nHos");
    auto idle = connect();
    // Others are served meanwhile.
    EXPECT_EQ(get("/status").status, 200);
    EXPECT_TRUE(waitClosed(*half, 15000));
    EXPECT_TRUE(waitClosed(*idle, 15000));

    // A byte every 100 ms never idles out but runs into the request deadline.
    auto slow = connect();
    QTimer drip;
    int sent = 0;
    QObject::connect(&drip, &QTimer::timeout, [&] {
        if (slow->socket.state() == QAbstractSocket::ConnectedState) slow->socket.write("X", 1), ++sent;
    });
    slow->socket.write("GET /status HTTP/1.1\r\nX-A: ");
    drip.start(100);
    EXPECT_TRUE(waitClosed(*slow, 20000));
    drip.stop();
    EXPECT_GT(sent, 5);
    EXPECT_TRUE(slow->received.startsWith("HTTP/1.1 408"));
    EXPECT_EQ(server->connectionCount(), 0);
}

TEST_F(HttpServerTest, FiveHundredConnectionsAtOnce)
{
    HttpServer::Limits lim;
    lim.maxConnections = 64;
    start(lim);
    std::vector<std::unique_ptr<Client>> many;
    for (int i = 0; i < 500; ++i) {
        many.push_back(std::make_unique<Client>());
        many.back()->socket.connectToHost(QHostAddress::LocalHost, port);
    }
    ASSERT_TRUE(waitUntil([&] {
        int settled = 0;
        for (auto& c : many) settled += c->socket.state() == QAbstractSocket::ConnectedState ||
                                        c->socket.state() == QAbstractSocket::UnconnectedState;
        return settled == 500 && server->connectionCount() <= 64;
    }));
    EXPECT_LE(server->connectionCount(), 64);
    // A newcomer is served although the flood holds every slot.
    Response r = get("/status");
    EXPECT_EQ(r.status, 200);
    // The connections that survived the flood are still served (one may have just been dropped).
    int answered = 0, open = 0;
    for (auto& c : many)
        if (c->socket.state() == QAbstractSocket::ConnectedState) {
            c->socket.write("GET /x HTTP/1.1\r\n\r\n");
            ++open;
        }
    waitUntil([&] {
        answered = 0;
        for (auto& c : many) {
            c->collect();
            answered += c->received.startsWith("HTTP/1.1 200");
        }
        return answered >= open - 1;
    });
    EXPECT_LE(open, 64);
    EXPECT_GT(answered, 0);
    EXPECT_GE(answered, open - 1);
    many.clear();
    EXPECT_TRUE(waitUntil([&] { return server->connectionCount() == 0; }));
}

TEST_F(HttpServerTest, ClientThatNeverReadsIsCutOff)
{
    HttpServer::Limits lim;
    lim.maxUnsentBytes = 1 << 20;
    lim.maxPipelined = 100000; // only the unsent limit is to act here
    start(lim);
    addAircraft(2000);
    const qint64 bodySize = static_cast<qint64>(httpTableText(2, rx->httpSources(), inputs).size());
    ASSERT_GT(bodySize, 200000);

    Client sink;
    sink.socket.setReadBufferSize(4096); // stops reading once 4 KB wait unread
    ASSERT_TRUE(sink.connectTo(port));
    ASSERT_TRUE(waitUntil([&] { return server->connectionCount() == 1; }));
    int sent = 0;
    // The client cannot see the cut while its own buffer is full; the server's count shows it.
    EXPECT_TRUE(waitUntil([&] {
        if (server->connectionCount() == 0) return true;
        // One request at a time: the kernel takes several replies before the server's queue grows.
        if (sink.socket.bytesToWrite() == 0 && server->requestsServed() >= static_cast<uint64_t>(sent) && sent < 1000) {
            sink.socket.write("GET /table2 HTTP/1.1\r\n\r\n");
            ++sent;
        }
        return false;
    }));
    EXPECT_LT(sent, 1000) << server->requestsServed() << " served, peak " << server->peakUnsentBytes();
    EXPECT_GT(server->peakUnsentBytes(), 0);
    EXPECT_LE(server->peakUnsentBytes(), lim.maxUnsentBytes + bodySize + 200);
    EXPECT_EQ(get("/status").status, 200);
}

TEST_F(HttpServerTest, ReopenAndCloseAndBusyPort)
{
    start();
    const quint16 first = port;
    HttpServer other(*rx, colours);
    const std::string busy = other.open(first, QHostAddress::LocalHost);
    EXPECT_EQ(busy.rfind("Cannot open HTTP server port " + std::to_string(first) + ": ", 0), 0u) << busy;
    EXPECT_FALSE(other.isListening());
    auto c = connect();
    server->close();
    EXPECT_FALSE(server->isListening());
    EXPECT_TRUE(waitClosed(*c));
    ASSERT_EQ(server->open(0, QHostAddress::LocalHost), "");
    port = server->port();
    EXPECT_EQ(get("/status").status, 200);
}

TEST_F(HttpServerTest, OddButValidTargetsAreAnswered)
{
    start();
    const struct {
        const char* target;
        const char* page; // as the greeting names it
    } cases[] = {
        {"/%7Etable1", "/~table1"}, {"/a#frag", "/a"}, {"/?", "/"}, {"/x?gzip=0&gzip=1", "/x"},
        {"/\"<>{}|\\^`", "/\"<>{}|\\^`"}, {"//x", "//x"}, {"/a%20b", "/a b"}, {"/%zz", "/%zz"},
    };
    auto c = connect();
    for (const auto& k : cases) {
        Response r = request(*c, QByteArray("GET ") + k.target + " HTTP/1.1\r\n\r\n");
        EXPECT_EQ(r.status, 200) << k.target;
        EXPECT_TRUE(r.body.contains(QByteArray("page ") + k.page + ", which")) << k.target << "\n" << r.body.constData();
    }
    for (const char* headers : {"X-A: \xff\xfe\r\n", "X-B:\tv\t\r\n", "X-C:\r\n", "Host: a\r\nHost: b\r\n",
                                "Content-Length: 0\r\n", "Connection: keep-alive, TE\r\n"}) {
        Response r = request(*c, QByteArray("GET /h HTTP/1.1\r\n") + headers + "\r\n");
        EXPECT_EQ(r.status, 200) << headers;
    }
    // The first "gzip" parameter decides.
    Response z = request(*c, "GET /table1?gzip=0&GZIP=1 HTTP/1.1\r\n\r\n");
    EXPECT_EQ(z.header("Content-Type"), "text/plain");
}

TEST_F(HttpServerTest, RequestsBeforeAFaultyOneAreAnsweredFirst)
{
    HttpServer::Limits lim;
    lim.maxPipelined = 16;
    start(lim);
    const QByteArray a = "GET /a HTTP/1.1\r\n\r\n", b = "GET /b HTTP/1.1\r\nHost: x\r\n\r\n";
    const struct {
        QByteArray raw;
        std::vector<int> statuses;
    } cases[] = {
        {a + "BREW /pot HTTP/1.1\r\n\r\n", {200, 405}},
        {a + b + "GARBAGE\r\n\r\n" + a, {200, 200, 400}},
        {a + "GET / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", {200, 501}},
        {a + "GET / HTTP/1.1\r\nX-Big: " + QByteArray(20000, 'x') + "\r\n\r\n", {200, 431}},
    };
    for (const auto& k : cases) {
        const Conversation c = converse(port, k.raw, false);
        EXPECT_TRUE(c.closed) << k.raw.left(80).constData();
        EXPECT_EQ(c.statuses(), k.statuses) << k.raw.left(80).constData();
        if (!c.responses.empty()) {
            EXPECT_TRUE(c.responses[0].body.contains("page /a,"));
        }
    }

    // Seventeen in one write: the sixteen that fit the queue are answered, in order, before the 429.
    QByteArray many;
    for (int i = 0; i < 17; ++i) many += "GET /p" + QByteArray::number(i) + " HTTP/1.1\r\n\r\n";
    many += "GET /last HTTP/1.1\r\nConnection: close\r\n\r\n";
    const Conversation c = converse(port, many, false);
    ASSERT_TRUE(c.closed);
    ASSERT_GE(c.responses.size(), 17u) << ::testing::PrintToString(c.statuses());
    for (std::size_t i = 0; i < c.responses.size(); ++i) {
        const Response& r = c.responses[i];
        if (r.status == 429) {
            EXPECT_EQ(i + 1, c.responses.size()) << "a 429 ends the conversation";
            EXPECT_GE(i, 16u);
            break;
        }
        EXPECT_EQ(r.status, 200) << i;
        const QByteArray page = i < 17 ? "/p" + QByteArray::number(int(i)) : QByteArray("/last");
        EXPECT_TRUE(r.body.contains("page " + page + ",")) << i;
    }
}

TEST_F(HttpServerTest, BareLineFeedsAndAbsoluteTargetsReachTheHandler)
{
    start();
    const QByteArray host = "127.0.0.1:" + QByteArray::number(port);
    const struct {
        QByteArray request;
        QByteArray page; // the greeting names it; "" for the status page
    } cases[] = {
        {"GET /status HTTP/1.1\nHost: x\n\n", ""},
        {"GET /status HTTP/1.1\r\nHost: x\n\r\n", ""},
        {"GET http://" + host + "/status HTTP/1.1\r\nHost: " + host + "\r\n\r\n", ""},
        {"GET HTTP://" + host + "/status?gzip=0 HTTP/1.1\r\n\r\n", ""},
        {"GET http://h/x%20y?q=1 HTTP/1.1\r\n\r\n", "/x y"},
        {"GET http://h HTTP/1.1\r\n\r\n", "/"},
        {"GET http://h?gzip=0 HTTP/1.1\r\n\r\n", "/"},
    };
    auto c = connect();
    for (const auto& k : cases) {
        Response r = request(*c, k.request);
        EXPECT_EQ(r.status, 200) << k.request.constData();
        const QByteArray expected = k.page.isEmpty() ? QByteArray("VARNOCK - Version=") : "page " + k.page + ", which";
        EXPECT_TRUE(r.body.contains(expected)) << k.request.constData() << "\n" << r.body.left(200).constData();
    }
    Response z = request(*c, "GET http://h/table1?gzip=1 HTTP/1.1\n\n");
    EXPECT_EQ(z.header("Content-Type"), "application/gzip");
    EXPECT_EQ(inflateRaw(z.body), "");
    for (const QByteArray& bad : {QByteArray("GET ftp://h/status HTTP/1.1\r\n\r\n"), QByteArray("GET http:/status HTTP/1.1\r\n\r\n"),
                                  QByteArray("GET status HTTP/1.1\r\n\r\n")})
        EXPECT_EQ(converse(port, bad, false).statuses(), std::vector<int>{400}) << bad.constData();
}

TEST_F(HttpServerTest, RequestFollowedAtOnceByHalfCloseIsAnswered)
{
    start();
    for (int i = 0; i < 50; ++i) {
        const Conversation c = converse(port, "GET /status HTTP/1.1\r\nHost: x\r\n\r\n", true);
        ASSERT_TRUE(c.closed) << "try " << i;
        ASSERT_EQ(c.statuses(), std::vector<int>{200}) << "try " << i;
        EXPECT_TRUE(c.responses[0].body.startsWith("VARNOCK - Version="));
    }
    // Replies larger than a socket buffer too, and several requests before the half-close.
    addAircraft(2000);
    const QByteArray whole = QByteArray::fromStdString(httpTableText(2, rx->httpSources(), inputs));
    ASSERT_GT(whole.size(), 200000);
    // A small send buffer on the server's side keeps most of a reply out of the kernel for a while.
    const auto shrinkServerSide = [this] {
        QTcpSocket* accepted = nullptr;
        ASSERT_TRUE(waitUntil([&] {
            for (QTcpSocket* s : server->findChildren<QTcpSocket*>())
                if (s->state() == QAbstractSocket::ConnectedState) accepted = s;
            return accepted != nullptr;
        }));
        int small = 4096;
        ::setsockopt(static_cast<int>(accepted->socketDescriptor()), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    };
    for (int i = 0; i < 10; ++i) {
        const Conversation c = converse(port, "GET /table2 HTTP/1.1\r\n\r\nGET /table2 HTTP/1.0\n\n", true,
                                        i % 2 ? std::function<void()>(shrinkServerSide) : nullptr);
        ASSERT_EQ(c.statuses(), (std::vector<int>{200, 200})) << "try " << i;
        EXPECT_EQ(c.responses[1].body, whole);
    }
}

TEST_F(HttpServerTest, PollerOutlivesAStormOfIdleConnections)
{
    HttpServer::Limits lim;
    lim.maxConnections = 8;
    start(lim);
    auto poller = connect();
    std::vector<std::unique_ptr<Client>> storm;
    for (int round = 0; round < 5; ++round) {
        EXPECT_EQ(request(*poller, "GET /status HTTP/1.1\r\n\r\n").status, 200) << round;
        // Connections that never send a request, well beyond the limit.
        for (int i = 0; i < 20; ++i) {
            storm.push_back(std::make_unique<Client>());
            ASSERT_TRUE(storm.back()->connectTo(port));
        }
        ASSERT_TRUE(waitUntil([&] { return server->connectionCount() <= lim.maxConnections && server->connectionsRejected() >= 13u * (round + 1); }));
        drainPostedEvents();
        ASSERT_EQ(poller->socket.state(), QAbstractSocket::ConnectedState) << round;
    }
    EXPECT_EQ(request(*poller, "GET /status HTTP/1.1\r\n\r\n").status, 200);
    EXPECT_LE(server->connectionCount(), lim.maxConnections);
}
