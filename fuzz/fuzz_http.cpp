// A stream of HTTP requests through the server's guard and parser over loopback: every complete
// valid request before any junk is answered 200, in order, with the page a direct call gives.
//
// Input: a request count n (1-8); per request a flags byte (HEAD, HTTP/1.0 with keep-alive, a small
// body, an extra header), a path length and the path bytes (mapped to safe characters); the rest is
// sent as it is after the requests.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpSocket>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/line_sink.h"
#include "net/http_server.h"
#include "receiver/receiver.h"
#include "fuzz_check.h"

using namespace varnock;

namespace {

struct Request {
    bool head = false;
    std::string path;
};

struct Site {
    int argc = 1;
    char name[9] = "fuzzhttp";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
    VirtualClock clock;
    NullLineSink lines;
    Receiver rx{clock, lines};
    LedColours colours;
    HttpServer server{rx, colours};
    Site()
    {
        const std::string error = server.open(0, QHostAddress::LocalHost);
        FUZZ_CHECK(error.empty(), "cannot listen: %s", error.c_str());
    }
};

// One reply from the front of `in`: status, body; false while incomplete.
bool takeReply(std::string& in, bool head, int& status, std::string& body)
{
    const size_t end = in.find("\r\n\r\n");
    if (end == std::string::npos) return false;
    const std::string headText = in.substr(0, end + 2);
    FUZZ_CHECK(headText.starts_with("HTTP/1.1 ") && headText.size() >= 12, "reply starts %.40s", headText.c_str());
    status = std::stoi(headText.substr(9, 3));
    size_t length = 0;
    const size_t cl = headText.find("Content-Length: ");
    if (cl != std::string::npos) length = std::stoul(headText.substr(cl + 16));
    if (head) length = 0;
    if (in.size() < end + 4 + length) return false;
    body = in.substr(end + 4, length);
    in.erase(0, end + 4 + length);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Site* site = new Site;
    if (size < 1) return 0;
    size_t at = 0;
    const int n = 1 + data[at++] % 8;
    std::vector<Request> requests;
    std::string stream;
    static const char kSafe[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_./";
    for (int i = 0; i < n && at + 2 <= size; ++i) {
        const uint8_t flags = data[at++];
        size_t len = data[at++] % 24;
        if (len > size - at) len = size - at;
        Request r;
        r.head = flags & 1;
        r.path = "/";
        for (size_t k = 0; k < len; ++k) r.path += kSafe[data[at + k] % (sizeof kSafe - 1)];
        at += len;
        stream += (r.head ? "HEAD " : "GET ") + r.path + ((flags & 2) ? " HTTP/1.0\r\nConnection: keep-alive\r\n" : " HTTP/1.1\r\nHost: x\r\n");
        if (flags & 4) stream += "X-Any: value\r\n";
        if (flags & 8) stream += "Content-Length: 3\r\n\r\nabc";
        else stream += "\r\n";
        requests.push_back(r);
    }
    stream.append(reinterpret_cast<const char*>(data + at), size - at);

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, site->server.port());
    std::string in;
    size_t answered = 0;
    bool sent = false;
    const QDeadlineTimer deadline(20000);
    while (answered < requests.size() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (!sent && client.state() == QAbstractSocket::ConnectedState) {
            client.write(stream.data(), static_cast<qint64>(stream.size()));
            sent = true;
        }
        const QByteArray got = client.readAll();
        in.append(got.constData(), static_cast<size_t>(got.size()));
        int status = 0;
        std::string body;
        while (answered < requests.size() && takeReply(in, requests[answered].head, status, body)) {
            const Request& r = requests[answered];
            FUZZ_CHECK(status == 200, "request %zu (%s) answered %d", answered, r.path.c_str(), status);
            if (!r.head) {
                const HttpReply want = http1CommandGet(r.path, false, site->rx.httpSources(), HttpPageInputs{});
                FUZZ_CHECK(body == want.body, "request %zu (%s) got another page", answered, r.path.c_str());
            }
            ++answered;
        }
        if (client.state() == QAbstractSocket::UnconnectedState && client.bytesAvailable() == 0) break;
    }
    FUZZ_CHECK(answered == requests.size(), "%zu of %zu requests answered", answered, requests.size());
    client.abort();
    QCoreApplication::processEvents();
    return 0;
}
