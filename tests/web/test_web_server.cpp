// Web map server over 127.0.0.1: the JSON documents, validators, gzip, history ring, page files and limits.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include <zlib.h>

#include "core/clock.h"
#include "core/line_sink.h"
#include "flights/aircraft_json.h"
#include "net/qt_test_support.h"
#include "receiver/receiver.h"
#include "web/web_server.h"
#include "http_reply.h"

using namespace varnock;
using namespace varnock::test;

namespace {

class NoLines final : public LineSink {
public:
    bool anyLineClient() const override { return false; }
    void sendToLineClients(std::string_view) override {}
};

using Reply = varnock::test::HttpReply;

// Sends `raw` on one connection and splits what comes back until the server closes it.
std::vector<Reply> exchange(quint16 port, const QByteArray& raw)
{
    Client c;
    std::vector<Reply> out;
    if (!c.connectTo(port)) return out;
    c.socket.write(raw);
    waitUntil([&] {
        c.collect();
        return c.socket.state() == QAbstractSocket::UnconnectedState;
    });
    c.collect();
    QByteArray buf = c.received;
    for (;;) {
        const int end = buf.indexOf("\r\n\r\n");
        if (end < 0) break;
        Reply r;
        r.head = buf.left(end);
        r.status = r.head.mid(9, 3).toInt();
        const qsizetype len = r.status == 304 ? 0 : r.header("Content-Length").toLongLong();
        r.body = buf.mid(end + 4, len);
        buf.remove(0, end + 4 + len);
        out.push_back(r);
    }
    return out;
}

QByteArray get(const QByteArray& path, const QByteArray& headers = {}, bool last = true)
{
    return "GET " + path + " HTTP/1.1\r\nHost: x\r\n" + headers + (last ? "Connection: close\r\n" : "") + "\r\n";
}

QByteArray gunzip(const QByteArray& in)
{
    z_stream zs{};
    if (inflateInit2(&zs, 15 + 16) != Z_OK) return "<init>";
    QByteArray out;
    char buf[16384];
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
    zs.avail_in = static_cast<uInt>(in.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = reinterpret_cast<Bytef*>(buf);
        zs.avail_out = sizeof buf;
        rc = inflate(&zs, Z_NO_FLUSH);
        out.append(buf, static_cast<qsizetype>(sizeof buf - zs.avail_out));
    }
    inflateEnd(&zs);
    return rc == Z_STREAM_END ? out : "<error>";
}

class WebServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qtApp();
        ASSERT_TRUE(leaflet.isValid());
        QFile js(leaflet.filePath("leaflet.js"));
        ASSERT_TRUE(js.open(QIODevice::WriteOnly));
        js.write("var L = {};\n");
        js.close();
        for (int i = 0; i < 3; ++i) {
            TFlight& r = rx.table[i];
            r.inuse = 1;
            rx.table.setAddress(i, i == 0 ? "3C6586" : i == 1 ? "4840D6" : "A00001");
            r.callsign.assign("DLH4PM", 6);
            r.altitude = 12000 + 1000 * i;
            r.onground = 0;
            r.lat = 50.0 + i;
            r.lon = 8.0;
        }
        rx.table.highestUsed = 2;
        web = std::make_unique<WebServer>(rx, clock, limits, leaflet.path());
        ASSERT_EQ(web->open(0, QHostAddress::LocalHost), "");
    }

    std::string expectedAircraft() const
    {
        std::string s;
        buildAircraftJson(rx.table, clock.utcMs(), rx.tick.counters.modeSTotal, s);
        return s;
    }

    VirtualClock clock;
    NoLines lines;
    Receiver rx{clock, lines};
    GuardedHttpServer::Limits limits;
    QTemporaryDir leaflet;
    std::unique_ptr<WebServer> web;
};

TEST_F(WebServerTest, AircraftDocumentWithValidatorAndGzip)
{
    rx.tick.counters.modeSTotal = 77;
    web->snapshot();
    const auto plain = exchange(web->port(), get("/data/aircraft.json", "", false) +
                                                 get("/data/aircraft.json", "Accept-Encoding: deflate, gzip\r\n", false) +
                                                 get("/data/aircraft.json", "Accept-Encoding: gzip;q=0\r\n"));
    ASSERT_EQ(plain.size(), 3u);
    EXPECT_EQ(plain[0].status, 200);
    EXPECT_EQ(plain[0].body.toStdString(), expectedAircraft());
    EXPECT_EQ(plain[0].header("Content-Type"), "application/json");
    EXPECT_EQ(plain[0].header("Connection"), "keep-alive");
    EXPECT_EQ(plain[0].header("Content-Encoding"), "");
    EXPECT_EQ(plain[1].header("Content-Encoding"), "gzip");
    EXPECT_EQ(gunzip(plain[1].body).toStdString(), expectedAircraft());
    EXPECT_EQ(plain[2].header("Content-Encoding"), "");
    EXPECT_EQ(plain[2].body, plain[0].body);

    // The same snapshot costs a poller a header only; the next one is sent whole.
    const QByteArray tag = plain[0].header("ETag");
    ASSERT_FALSE(tag.isEmpty());
    auto again = exchange(web->port(), get("/data/aircraft.json", "If-None-Match: \"x\", " + tag + "\r\n"));
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].status, 304);
    EXPECT_EQ(again[0].header("Content-Length"), "");
    clock.advanceMs(1000);
    rx.table[1].altitude = -1000;
    web->snapshot();
    again = exchange(web->port(), get("/data/aircraft.json", "If-None-Match: " + tag + "\r\n"));
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].status, 200);
    EXPECT_EQ(again[0].body.toStdString(), expectedAircraft());
    EXPECT_NE(again[0].header("ETag"), tag);
}

TEST_F(WebServerTest, HistoryKeepsTheLastSnapshotsOldestFirst)
{
    // The constructor's snapshot is the first; every second one is kept.
    std::vector<std::string> kept;
    for (int i = 0; i < 2 * (WebServer::kHistoryCount + 5); ++i) {
        clock.advanceMs(1000);
        web->snapshot();
        if (web->snapshots() % WebServer::kHistoryEvery == 0) kept.push_back(expectedAircraft());
    }
    const std::string receiver = buildReceiverJson(rx.home, WebServer::kRefreshMs, WebServer::kHistoryCount, "V " VARNOCK_VERSION);
    const QByteArray last = QByteArray::number(WebServer::kHistoryCount - 1);
    const QByteArray beyond = QByteArray::number(WebServer::kHistoryCount);
    const auto r = exchange(web->port(), get("/data/receiver.json", "", false) + get("/data/history_0.json", "", false) +
                                             get("/data/history_" + last + ".json", "", false) +
                                             get("/data/history_" + beyond + ".json", "", false) +
                                             get("/data/history_01.json"));
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0].body.toStdString(), receiver);
    EXPECT_EQ(r[1].body.toStdString(), kept[kept.size() - WebServer::kHistoryCount]);
    EXPECT_EQ(r[2].body.toStdString(), kept.back());
    EXPECT_EQ(r[3].status, 404);
    EXPECT_EQ(r[4].status, 404);
}

TEST_F(WebServerTest, PageAndLeafletFilesButNothingElse)
{
    const auto r = exchange(web->port(), get("/", "", false) + get("/leaflet/leaflet.js", "", false) +
                                             get("/leaflet/%2E%2E/leaflet.js", "", false) + get("/leaflet/missing.js", "", false) +
                                             get("/map.js"));
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0].status, 200);
    EXPECT_EQ(r[0].header("Content-Type"), "text/html; charset=utf-8");
    EXPECT_TRUE(r[0].body.contains("leaflet/leaflet.js"));
    EXPECT_EQ(r[1].status, 200);
    EXPECT_EQ(r[1].body, "var L = {};\n");
    EXPECT_EQ(r[1].header("Content-Type"), "text/javascript; charset=utf-8");
    EXPECT_FALSE(r[1].header("Cache-Control").isEmpty());
    EXPECT_EQ(r[2].status, 404);
    EXPECT_EQ(r[3].status, 404);
    EXPECT_EQ(r[4].status, 200);
}

TEST_F(WebServerTest, GuardLimitsApplyHereToo)
{
    web.reset();
    limits.maxHeadBytes = 512;
    limits.maxConnections = 2;
    web = std::make_unique<WebServer>(rx, clock, limits, leaflet.path());
    ASSERT_EQ(web->open(0, QHostAddress::LocalHost), "");

    const auto big = exchange(web->port(), get("/data/aircraft.json", "X-Filler: " + QByteArray(600, 'a') + "\r\n"));
    ASSERT_EQ(big.size(), 1u);
    EXPECT_EQ(big[0].status, 431);
    const auto post = exchange(web->port(), "POST /data/aircraft.json HTTP/1.1\r\nContent-Length: 0\r\n\r\n");
    ASSERT_EQ(post.size(), 1u);
    EXPECT_EQ(post[0].status, 405);

    // A third connection pushes out one that never completed a request.
    Client a, b, c;
    ASSERT_TRUE(a.connectTo(web->port()));
    ASSERT_TRUE(waitUntil([&] { return web->connectionCount() == 1; }));
    ASSERT_TRUE(b.connectTo(web->port()));
    ASSERT_TRUE(waitUntil([&] { return web->connectionCount() == 2; }));
    ASSERT_TRUE(c.connectTo(web->port()));
    EXPECT_TRUE(waitUntil([&] { return a.socket.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(web->connectionCount(), 2);
}

TEST_F(WebServerTest, BusyPortIsReportedByName)
{
    WebServer second(rx, clock, limits, leaflet.path());
    const std::string err = second.open(web->port(), QHostAddress::LocalHost);
    EXPECT_EQ(err.rfind("Cannot open web map port " + std::to_string(web->port()) + ": ", 0), 0u) << err;
}

TEST(GzipNegotiation, AcceptEncodingValues)
{
    EXPECT_TRUE(acceptsGzip("gzip"));
    EXPECT_TRUE(acceptsGzip("deflate, GZIP;q=0.5, br"));
    EXPECT_TRUE(acceptsGzip("*"));
    EXPECT_FALSE(acceptsGzip(""));
    EXPECT_FALSE(acceptsGzip("deflate, br"));
    EXPECT_FALSE(acceptsGzip("gzip;q=0, br"));
    EXPECT_FALSE(acceptsGzip("gzip; q=0.000"));
    EXPECT_FALSE(acceptsGzip("x-gzip"));
}

} // namespace
