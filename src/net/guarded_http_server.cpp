// GuardedHttpServer: the connection guard - request framing, limits, timeouts - and the reply writer.
#include "net/guarded_http_server.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <deque>

#include "core/ascii_text.h"

namespace varnock {

namespace {

bool isTchar(unsigned char c)
{
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    return std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

// True when the comma-separated header value holds `token` (any case).
bool hasToken(std::string_view value, std::string_view token)
{
    while (!value.empty()) {
        std::size_t comma = value.find(',');
        if (equalsIgnoringCase(trimmed(value.substr(0, comma), kSpacesAndTabs), token)) return true;
        if (comma == std::string_view::npos) break;
        value.remove_prefix(comma + 1);
    }
    return false;
}

// The document of an absolute-form target ("http://host:port/doc?query"): "/doc", or "/" when
// the target names only the host; false when it is not an http or https URL with a host.
bool absolutePath(std::string_view target, std::string_view& path)
{
    std::size_t scheme = 0;
    if (target.size() >= 7 && equalsIgnoringCase(target.substr(0, 7), "http://"))
        scheme = 7;
    else if (target.size() >= 8 && equalsIgnoringCase(target.substr(0, 8), "https://"))
        scheme = 8;
    else
        return false;
    const std::size_t hostEnd = std::min(target.size(), target.find_first_of("/?#", scheme));
    if (hostEnd == scheme) return false;
    path = hostEnd < target.size() && target[hostEnd] == '/' ? target.substr(hostEnd) : std::string_view("/");
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// %XX escapes to bytes; a '%' without two hex digits stays as written.
QByteArray percentDecoded(const QByteArray& in)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '%' && i + 2 < in.size() && hexValue(in[i + 1]) >= 0 && hexValue(in[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(in[i + 1]) * 16 + hexValue(in[i + 2]));
            i += 2;
        } else {
            out += in[i];
        }
    }
    return out;
}

const char* reasonOf(int status)
{
    switch (status) {
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 413: return "Payload Too Large";
    case 414: return "URI Too Long";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    case 501: return "Not Implemented";
    case 505: return "HTTP Version Not Supported";
    default: return "Bad Request";
    }
}

} // namespace

// Accepts connections, caps their number and installs a guard before the HTTP layer sees them.
class GuardedHttpServer::Listener final : public QTcpServer {
public:
    explicit Listener(GuardedHttpServer& owner) : QTcpServer(&owner), owner_(owner) {}

protected:
    void incomingConnection(qintptr fd) override
    {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(fd)) {
            delete socket;
            return;
        }
        owner_.accepted(socket);
        addPendingConnection(socket);
    }

private:
    GuardedHttpServer& owner_;
};

// Sees every byte before the HTTP parser does: frames requests (request line, headers, body),
// rejects what is malformed or too large, and closes idle, slow and unreading connections.
class GuardedHttpServer::Guard final : public QObject {
public:
    struct Pending {
        bool close = false; // reply with "Connection: close" and close
        bool head = false;  // HEAD: headers only
        QByteArray path;    // the target up to '?' or '#', still percent-encoded
    };

    Guard(GuardedHttpServer& owner, QTcpSocket* socket) : QObject(socket), owner_(owner), socket_(socket)
    {
        idle_.setSingleShot(true);
        deadline_.setSingleShot(true);
        connect(&idle_, &QTimer::timeout, this, [this] { abortNow(); });
        connect(&deadline_, &QTimer::timeout, this, [this] { reject(408); });
        // Connected before the HTTP layer's own handler, so this runs first.
        connect(socket_, &QTcpSocket::readyRead, this, [this] { beforeParser(); });
        connect(socket_, &QTcpSocket::bytesWritten, this, [this] { touch(); });
        connect(socket_, &QTcpSocket::disconnected, this, [this] {
            idle_.stop();
            deadline_.stop();
            socket_->deleteLater();
        });
        touch();
    }
    ~Guard() override { owner_.forget(this); }

    // Runs after the HTTP layer's read handler: what it left unread is not new next time.
    void afterParser() { leftover_ = socket_->bytesAvailable(); }

    Pending nextReply()
    {
        Pending p;
        if (!pending_.empty()) {
            p = pending_.front();
            pending_.pop_front();
        }
        if (pending_.empty() && state_ == State::Start) deadline_.stop();
        ++completed_;
        return p;
    }

    // After the reply to the last request framed before a fault: the error reply and the close.
    void afterReply()
    {
        if (pending_.empty() && deferredError_ != 0) reject(deferredError_);
    }

    // Never got through a whole request: the first to go when connections run short.
    bool idleSinceConnect() const { return completed_ == 0; }

    bool closing() const { return closing_; }
    void markClosing() { closing_ = true; }
    uint64_t lastActivity() const { return lastActivity_; }
    QTcpSocket* socket() const { return socket_; }

    void abortNow()
    {
        owner_.forget(this); // frees its place at once, before the deferred delete
        closing_ = true;
        idle_.stop();
        deadline_.stop();
        socket_->abort(); // emits disconnected: the socket is deleted later
        socket_->deleteLater();
    }

private:
    enum class State { Start, RequestLine, Headers, Body, Dead };

    void touch()
    {
        lastActivity_ = ++owner_.activity_;
        if (!closing_) idle_.start(owner_.limits_.idleMs);
    }

    void beforeParser()
    {
        touch();
        const qint64 avail = socket_->bytesAvailable();
        const qint64 fresh = avail - leftover_;
        if (closing_) {
            socket_->readAll(); // nothing more reaches the parser
            leftover_ = 0;
            return;
        }
        if (fresh <= 0) return;
        const QByteArray data = socket_->peek(avail).mid(leftover_);
        leftover_ = avail;
        for (char ch : data) {
            const int status = scan(static_cast<unsigned char>(ch));
            if (status == 0) continue;
            // Requests framed before the fault are answered first; the parser takes them one by
            // one and the error follows the last (see afterReply).
            if (pending_.empty())
                reject(status);
            else
                deferredError_ = status;
            state_ = State::Dead;
            return;
        }
    }

    // One byte; 0 to go on, else the status of the error reply.
    int scan(unsigned char c)
    {
        const Limits& lim = owner_.limits_;
        switch (state_) {
        case State::Dead:
            return 0;
        case State::Body:
            if (--bodyLeft_ == 0) state_ = State::Start;
            return 0;
        case State::Start:
            if (!deadline_.isActive()) deadline_.start(lim.requestMs);
            headBytes_ = 0;
            line_.clear();
            contentLength_ = -1;
            connClose_ = connKeepAlive_ = false;
            state_ = State::RequestLine;
            [[fallthrough]];
        case State::RequestLine:
        case State::Headers:
            if (++headBytes_ > lim.maxHeadBytes) return state_ == State::RequestLine ? 414 : 431;
            if (c != '\n') {
                line_ += static_cast<char>(c);
                return 0;
            }
            if (!line_.empty() && line_.back() == '\r') line_.pop_back(); // a bare LF ends a line too
            {
                const int status = state_ == State::RequestLine ? requestLine() : headerLine();
                line_.clear();
                return status;
            }
        }
        return 0;
    }

    int requestLine()
    {
        if (line_.empty()) { // a blank line before a request is tolerated
            headBytes_ = 0;
            state_ = State::Start;
            return 0;
        }
        const std::size_t sp1 = line_.find(' ');
        const std::size_t sp2 = sp1 == std::string::npos ? sp1 : line_.find(' ', sp1 + 1);
        if (sp2 == std::string::npos || line_.find(' ', sp2 + 1) != std::string::npos) return 400;
        const std::string_view method(line_.data(), sp1);
        const std::string_view target(line_.data() + sp1 + 1, sp2 - sp1 - 1);
        const std::string_view version(line_.data() + sp2 + 1, line_.size() - sp2 - 1);
        if (method.empty() || !std::all_of(method.begin(), method.end(), [](char ch) { return isTchar(static_cast<unsigned char>(ch)); }))
            return 400;
        for (char ch : target)
            if (static_cast<unsigned char>(ch) <= 0x20 || static_cast<unsigned char>(ch) >= 0x7F) return 400;
        std::string_view doc = target;
        if (target.empty() || (target.front() != '/' && !absolutePath(target, doc))) return 400;
        if (version == "HTTP/1.1")
            http10_ = false;
        else if (version == "HTTP/1.0")
            http10_ = true;
        else if (version.size() == 8 && version.substr(0, 5) == "HTTP/")
            return 505;
        else
            return 400;
        const std::size_t pathEnd = std::min(doc.find('?'), doc.find('#'));
        path_ = QByteArray(doc.data(), static_cast<qsizetype>(std::min(pathEnd, doc.size())));
        if (method == "GET")
            head_ = false;
        else if (method == "HEAD")
            head_ = true;
        else
            return 405;
        state_ = State::Headers;
        return 0;
    }

    int headerLine()
    {
        if (line_.empty()) return endOfHead();
        const std::size_t colon = line_.find(':');
        if (colon == 0 || colon == std::string::npos) return 400; // also folded lines
        const std::string_view name(line_.data(), colon);
        for (char ch : name)
            if (!isTchar(static_cast<unsigned char>(ch))) return 400;
        std::string_view value(line_.data() + colon + 1, line_.size() - colon - 1);
        for (char ch : value) {
            const auto u = static_cast<unsigned char>(ch);
            if ((u < 0x20 && u != '\t') || u == 0x7F) return 400;
        }
        value = trimmed(value, kSpacesAndTabs);
        if (equalsIgnoringCase(name, "content-length")) {
            if (contentLength_ >= 0 || value.empty() || value.size() > 12) return 400;
            qint64 n = 0;
            for (char ch : value) {
                if (ch < '0' || ch > '9') return 400;
                n = n * 10 + (ch - '0');
            }
            if (n > owner_.limits_.maxBodyBytes) return 413;
            contentLength_ = n;
        } else if (equalsIgnoringCase(name, "transfer-encoding")) {
            return 501;
        } else if (equalsIgnoringCase(name, "upgrade")) {
            return 400; // no protocol switch here
        } else if (equalsIgnoringCase(name, "connection")) {
            connClose_ = connClose_ || hasToken(value, "close");
            connKeepAlive_ = connKeepAlive_ || hasToken(value, "keep-alive");
        }
        return 0;
    }

    int endOfHead()
    {
        if (static_cast<int>(pending_.size()) >= owner_.limits_.maxPipelined) return 429;
        Pending p;
        p.head = head_;
        p.path = path_;
        p.close = connClose_ || (http10_ && !connKeepAlive_);
        pending_.push_back(p);
        if (p.close) {
            state_ = State::Dead; // whatever follows a closing request is ignored
            return 0;
        }
        if (contentLength_ > 0) {
            bodyLeft_ = contentLength_;
            state_ = State::Body;
        } else {
            state_ = State::Start;
        }
        return 0;
    }

    // Answers the fault itself, keeps the parser from the bytes and closes.
    void reject(int status)
    {
        if (closing_) return;
        closing_ = true;
        ++owner_.rejected_;
        deadline_.stop();
        idle_.stop();
        state_ = State::Dead;
        socket_->readAll();
        leftover_ = 0;
        const QByteArray reply = QByteArray("HTTP/1.1 ") + QByteArray::number(status) + ' ' + reasonOf(status) +
                                 "\r\nContent-Type: text/plain\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        socket_->write(reply);
        socket_->disconnectFromHost();
        // A client that does not take the reply is cut off.
        QTimer::singleShot(2000, this, [this] {
            if (socket_->state() != QAbstractSocket::UnconnectedState) abortNow();
        });
    }

    GuardedHttpServer& owner_;
    QTcpSocket* socket_;
    QTimer idle_, deadline_;
    State state_ = State::Start;
    std::string line_;
    QByteArray path_;
    qint64 headBytes_ = 0;
    qint64 contentLength_ = -1;
    qint64 bodyLeft_ = 0;
    qint64 leftover_ = 0;
    bool http10_ = false, head_ = false, connClose_ = false, connKeepAlive_ = false;
    bool closing_ = false;
    int deferredError_ = 0; // status owed once the requests before the fault are answered
    uint64_t completed_ = 0;
    std::deque<Pending> pending_;
    uint64_t lastActivity_ = 0;
};

GuardedHttpServer::GuardedHttpServer(std::string what, const Limits& limits, QObject* parent)
    : QAbstractHttpServer(parent), what_(std::move(what)), limits_(limits)
{
}

GuardedHttpServer::~GuardedHttpServer() { close(); }

std::string GuardedHttpServer::open(quint16 port, const QHostAddress& address)
{
    close();
    auto* listener = new Listener(*this);
    listener->setListenBacklogSize(std::max(1024, limits_.maxConnections));
    if (!listener->listen(address, port)) {
        std::string why = listener->errorString().toStdString();
        delete listener;
        return "Cannot open " + what_ + " port " + std::to_string(port) + ": " + (why.empty() ? "cannot listen" : why);
    }
    listener_ = listener;
    bind(listener);
    // Connected after the HTTP layer's own slot: by now it has taken the new sockets.
    connect(listener, &QTcpServer::newConnection, this, [this] {
        for (const QPointer<QTcpSocket>& s : awaitingPostHook_) {
            if (!s) continue;
            if (Guard* g = guardOf(s)) connect(s, &QTcpSocket::readyRead, g, [g] { g->afterParser(); });
        }
        awaitingPostHook_.clear();
    });
    return {};
}

void GuardedHttpServer::close()
{
    delete listener_; // its sockets and their guards go with it
    listener_ = nullptr;
    awaitingPostHook_.clear();
}

bool GuardedHttpServer::isListening() const { return listener_ != nullptr && listener_->isListening(); }

quint16 GuardedHttpServer::port() const { return listener_ != nullptr ? listener_->serverPort() : 0; }

void GuardedHttpServer::accepted(QTcpSocket* socket)
{
    if (static_cast<int>(guards_.size()) >= limits_.maxConnections) {
        // A connection that never completed a request goes before one that polls; among equals
        // the one quiet the longest.
        auto oldest = std::min_element(guards_.begin(), guards_.end(), [](Guard* a, Guard* b) {
            if (a->idleSinceConnect() != b->idleSinceConnect()) return a->idleSinceConnect();
            return a->lastActivity() < b->lastActivity();
        });
        if (oldest != guards_.end()) {
            ++rejected_;
            (*oldest)->abortNow();
        }
    }
    guards_.push_back(new Guard(*this, socket));
    awaitingPostHook_.emplace_back(socket);
}

void GuardedHttpServer::forget(Guard* g) { guards_.erase(std::remove(guards_.begin(), guards_.end(), g), guards_.end()); }

GuardedHttpServer::Guard* GuardedHttpServer::guardOf(QTcpSocket* socket) const
{
    for (Guard* g : guards_)
        if (g->socket() == socket) return g;
    return nullptr;
}

bool GuardedHttpServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    Guard* guard = guardOf(socket);
    if (guard == nullptr || guard->closing()) return true; // already answered or being dropped
    const Guard::Pending p = guard->nextReply();

    // The document as the client wrote it: the URL parser would read "//x" as a host.
    const QByteArray path = percentDecoded(p.path.isEmpty() ? request.url().path(QUrl::FullyEncoded).toLatin1() : p.path);
    const Response reply = respond(request, path);
    ++served_;

    const qint64 sending = p.head ? 0 : reply.body.size();
    if (socket->bytesToWrite() > 0 && socket->bytesToWrite() + sending > limits_.maxUnsentBytes) {
        guard->abortNow(); // it does not read what it asks for
        return true;
    }
    const QPointer<Guard> alive(guard);
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(reply.status));
    responder.writeHeader("Content-Type", reply.contentType);
    // A 304 has no body, and its length would describe the one it stands for.
    if (reply.status != 304) responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
    for (const auto& h : reply.headers) responder.writeHeader(h.first, h.second);
    responder.writeHeader("Connection", p.close ? "close" : "keep-alive");
    responder.writeBody(p.head ? QByteArray() : reply.body);
    peakUnsent_ = std::max(peakUnsent_, socket->bytesToWrite());
    // Into the kernel now: a client that half-closes right after its request otherwise often gets
    // nothing, the socket taking the end of its input before it has written the reply.
    socket->flush();
    if (!alive) return true;
    if (p.close) {
        guard->markClosing();
        socket->disconnectFromHost();
        return true;
    }
    guard->afterReply();
    return true;
}

void GuardedHttpServer::missingHandler(const QHttpServerRequest&, QTcpSocket* socket)
{
    // handleRequest takes every request; this only runs if that ever changes.
    if (Guard* g = guardOf(socket)) g->abortNow();
}

} // namespace varnock
