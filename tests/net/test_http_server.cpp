// HTTP server over 127.0.0.1: pages, raw DEFLATE, keep-alive and close, and the limits against abusive clients.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <zlib.h>

#include "core/clock.h"
#include "core/line_sink.h"
#include "receiver/receiver.h"
#include "net/http_server.h"
#include "qt_test_support.h"

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

struct Response {
    int status = 0;
    QByteArray head;
    QByteArray body;
    QByteArray header(const QByteArray& name) const
    {
        for (const QByteArray& line : head.split('\n')) {
            const int colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower()) return line.mid(colon + 1).trimmed();
        }
        return {};
    }
};

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
            f.icao.assign(icao, 6);
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
    const std::string plain = httpTableText(1, *rx, inputs);
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
        {"GET / HTTP/1.1\n\n", 400},
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
    lim.idleMs = 300;
    lim.requestMs = 1500;
    start(lim);
    auto half = connect();
    half->socket.write("GET /status HTTP/1.1\r\nHos");
    auto idle = connect();
    // Others are served meanwhile.
    EXPECT_EQ(get("/status").status, 200);
    EXPECT_TRUE(waitClosed(*half, 5000));
    EXPECT_TRUE(waitClosed(*idle, 5000));

    // A byte every 100 ms never idles out but runs into the request deadline.
    auto slow = connect();
    QTimer drip;
    int sent = 0;
    QObject::connect(&drip, &QTimer::timeout, [&] {
        if (slow->socket.state() == QAbstractSocket::ConnectedState) slow->socket.write("X", 1), ++sent;
    });
    slow->socket.write("GET /status HTTP/1.1\r\nX-A: ");
    drip.start(100);
    EXPECT_TRUE(waitClosed(*slow, 8000));
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
    const qint64 bodySize = static_cast<qint64>(httpTableText(2, *rx, inputs).size());
    ASSERT_GT(bodySize, 200000);

    Client sink;
    sink.socket.setReadBufferSize(4096); // stops reading once 4 KB wait unread
    ASSERT_TRUE(sink.connectTo(port));
    ASSERT_TRUE(waitUntil([&] { return server->connectionCount() == 1; }));
    int sent = 0;
    // The client cannot see the cut while its own buffer is full; the server's count shows it.
    EXPECT_TRUE(waitUntil([&] {
        if (server->connectionCount() == 0) return true;
        if (sink.socket.bytesToWrite() == 0 && sent < 1000) {
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
    EXPECT_NE(other.open(first, QHostAddress::LocalHost), "");
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
