// PushConnector: the aggregator connection's life - lookup, connect, loss, back-off - and its frame ring.
#include "net/push_connector.h"

#include <QHostInfo>
#include <QMetaObject>

#include <algorithm>

namespace varnock {

std::string parsePushTarget(std::string_view text, PushTarget& out)
{
    if (text.size() > 300) return "too long";
    std::string_view host;
    std::string_view port;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != ':')
            return "expected [ADDRESS]:PORT";
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else {
        const std::size_t colon = text.rfind(':');
        if (colon == std::string_view::npos) return "expected HOST:PORT";
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (host.find(':') != std::string_view::npos) return "an IPv6 address goes in brackets";
    }
    if (host.empty()) return "no host";
    if (port.empty() || port.size() > 5) return "bad port";
    int p = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return "bad port";
        p = p * 10 + (c - '0');
    }
    if (p < 1 || p > 65535) return "bad port";
    out.host = QString::fromLatin1(host.data(), static_cast<qsizetype>(host.size()));
    out.port = static_cast<quint16>(p);
    return {};
}

void FrameRing::put(uint8_t b)
{
    bytes_[tail_] = b;
    tail_ = tail_ + 1 == bytes_.size() ? 0 : tail_ + 1;
    ++used_;
}

uint8_t FrameRing::take()
{
    const uint8_t b = bytes_[head_];
    head_ = head_ + 1 == bytes_.size() ? 0 : head_ + 1;
    --used_;
    return b;
}

void FrameRing::dropOldest()
{
    const std::size_t n = take();
    head_ = (head_ + n) % bytes_.size();
    used_ -= n;
    --frames_;
    ++dropped_;
}

void FrameRing::push(const uint8_t* data, std::size_t n)
{
    if (n == 0) return;
    if (n > 255 || n + 1 > bytes_.size()) {
        ++dropped_;
        return;
    }
    while (bytes_.size() - used_ < n + 1) dropOldest();
    put(static_cast<uint8_t>(n));
    for (std::size_t i = 0; i < n; ++i) put(data[i]);
    ++frames_;
}

std::size_t FrameRing::pop(uint8_t* out)
{
    if (frames_ == 0) return 0;
    const std::size_t n = take();
    for (std::size_t i = 0; i < n; ++i) out[i] = take();
    --frames_;
    return n;
}

PushConnector::PushConnector(PushTarget target, LogLineFn log, PushBackoff backoff)
    : target_(std::move(target)), log_(std::move(log)), backoff_(backoff), nextDelayMs_(backoff.firstMs)
{
    retry_.setSingleShot(true);
    connectTimeout_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &PushConnector::attempt);
    connect(&connectTimeout_, &QTimer::timeout, this, [this] {
        socket_.abort();
        failed(QStringLiteral("no answer"));
    });
    connect(&socket_, &QTcpSocket::connected, this, &PushConnector::onConnected);
    connect(&socket_, &QTcpSocket::bytesWritten, this, &PushConnector::feedSocket);
    // An aggregator has nothing to tell us; what it sends is thrown away.
    connect(&socket_, &QTcpSocket::readyRead, this, [this] { socket_.skip(socket_.bytesAvailable()); });
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        onClosed(socket_.errorString());
    });
    connect(&socket_, &QTcpSocket::disconnected, this, [this] { onClosed(QStringLiteral("closed by the peer")); });
}

PushConnector::~PushConnector()
{
    if (lookupId_ >= 0) QHostInfo::abortHostLookup(lookupId_);
    socket_.disconnect(this);
    socket_.abort();
}

QString PushConnector::name() const
{
    const bool v6 = target_.host.contains(QLatin1Char(':'));
    return (v6 ? QStringLiteral("[%1]:%2") : QStringLiteral("%1:%2")).arg(target_.host).arg(target_.port);
}

void PushConnector::log(const QString& line) const
{
    if (log_) log_(line.toStdString());
}

void PushConnector::start()
{
    attempt();
}

void PushConnector::attempt()
{
    QHostAddress address;
    if (address.setAddress(target_.host)) {
        socket_.connectToHost(address, target_.port);
        connectTimeout_.start(backoff_.connectTimeoutMs);
        return;
    }
    // The lookup runs on Qt's own threads; the answer comes back to this one.
    lookupId_ = QHostInfo::lookupHost(target_.host, this, &PushConnector::onLookup);
}

void PushConnector::onLookup(const QHostInfo& info)
{
    lookupId_ = -1;
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
        failed(QStringLiteral("name not resolved: ") + info.errorString());
        return;
    }
    socket_.connectToHost(info.addresses().constFirst(), target_.port);
    connectTimeout_.start(backoff_.connectTimeoutMs);
}

void PushConnector::onConnected()
{
    connectTimeout_.stop();
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connected_ = true;
    failureReported_ = false;
    nextDelayMs_ = backoff_.firstMs;
    ++connects_;
    ring_.clear();
    log(QStringLiteral("Aggregator connected: ") + name());
    if (onStateChange) onStateChange(true);
}

void PushConnector::onClosed(const QString& why)
{
    if (retry_.isActive()) return; // error and disconnect both report one loss
    connectTimeout_.stop();
    if (connected_) {
        connected_ = false;
        // Started first: the abort below reports the close again, and that must be seen as the same loss.
        retry_.start(nextDelayMs_);
        // Frames queued for a connection that is gone would arrive late at the next one.
        ring_.clear();
        socket_.abort();
        log(QStringLiteral("Aggregator lost: %1 (%2); retrying in %3 s")
                .arg(name(), why)
                .arg(std::max(1, nextDelayMs_ / 1000)));
        if (onStateChange) onStateChange(false);
        return;
    }
    socket_.abort();
    failed(why);
}

void PushConnector::failed(const QString& why)
{
    if (retry_.isActive()) return;
    // A refusing aggregator is reported once, not at every attempt.
    if (!failureReported_) {
        log(QStringLiteral("Aggregator not reachable: %1 (%2); retrying").arg(name(), why));
        failureReported_ = true;
    }
    retry_.start(nextDelayMs_);
    nextDelayMs_ = std::min(backoff_.maxMs, nextDelayMs_ * 2);
}

void PushConnector::send(const uint8_t* data, std::size_t n)
{
    if (!connected_) return;
    ring_.push(data, n);
    // The socket is fed once after the tick, in large writes, rather than once per frame inside it.
    if (feedPending_) return;
    feedPending_ = true;
    QMetaObject::invokeMethod(this, [this] {
        feedPending_ = false;
        feedSocket();
    }, Qt::QueuedConnection);
}

void PushConnector::feedSocket()
{
    if (!connected_) return;
    // The socket holds little; the ring, where the oldest frames can still be dropped, holds the rest.
    uint8_t chunk[4096];
    while (socket_.bytesToWrite() < kSocketBytes && ring_.frames() > 0) {
        std::size_t used = 0;
        while (ring_.frames() > 0 && used + 256 <= sizeof chunk) used += ring_.pop(chunk + used);
        socket_.write(reinterpret_cast<const char*>(chunk), static_cast<qint64>(used));
    }
}

std::vector<std::string> PushConnectors::start(const std::vector<std::string>& targets, PushBackoff backoff)
{
    std::vector<std::string> problems;
    const std::size_t first = connectors_.size();
    for (const std::string& text : targets) {
        PushTarget t;
        const std::string why = parsePushTarget(text, t);
        if (!why.empty()) {
            problems.push_back("Cannot use -connect=" + text.substr(0, 300) + ": " + why);
            continue;
        }
        auto c = std::make_unique<PushConnector>(t, log_, backoff);
        c->onStateChange = [this](bool up) { connectedCount_ += up ? 1 : -1; };
        connectors_.push_back(std::move(c));
    }
    for (std::size_t i = first; i < connectors_.size(); ++i) connectors_[i]->start();
    return problems;
}

void PushConnectors::sendToRawClient(const uint8_t* data, std::size_t n)
{
    for (auto& c : connectors_)
        if (c->connected()) c->send(data, n);
}

} // namespace varnock
