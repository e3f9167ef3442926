// WebServer: routes, the snapshot ring, conditional and compressed replies.
#include "web/web_server.h"

#include <QFile>
#include <QHttpServerRequest>

#include "flights/aircraft_json.h"
#include "net/deflate.h"
#include "receiver/receiver.h"

namespace varnock {

bool acceptsGzip(const QByteArray& acceptEncoding)
{
    for (const QByteArray& item : acceptEncoding.split(',')) {
        const QList<QByteArray> parts = item.split(';');
        const QByteArray coding = parts.front().trimmed().toLower();
        if (coding != "gzip" && coding != "*") continue;
        bool refused = false;
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QByteArray param = parts[i].trimmed().toLower();
            if (param.startsWith("q=")) {
                bool ok = false;
                const double q = param.mid(2).toDouble(&ok);
                refused = ok && q <= 0.0;
            }
        }
        if (!refused) return true;
    }
    return false;
}

namespace {

// Files of our page, compiled in; Leaflet's come from its installed folder.
struct PageFile {
    const char* path;
    const char* resource;
    const char* type;
};
constexpr PageFile kPageFiles[] = {
    {"/", ":/web/index.html", "text/html; charset=utf-8"},
    {"/index.html", ":/web/index.html", "text/html; charset=utf-8"},
    {"/map.js", ":/web/map.js", "text/javascript; charset=utf-8"},
    {"/map.css", ":/web/map.css", "text/css; charset=utf-8"},
    {"/world.geojson", ":/web/world.geojson", "application/geo+json"},
};

QByteArray typeOf(const QByteArray& path)
{
    if (path.endsWith(".js")) return "text/javascript; charset=utf-8";
    if (path.endsWith(".css")) return "text/css; charset=utf-8";
    if (path.endsWith(".png")) return "image/png";
    return "application/octet-stream";
}

// A Leaflet file name: letters, digits, '-', '_', '.', one optional "images/" folder, no "..".
bool plainLeafletName(const QByteArray& name)
{
    if (name.isEmpty() || name.size() > 64 || name.contains("..")) return false;
    QByteArray rest = name;
    if (rest.startsWith("images/")) rest = rest.mid(7);
    for (char c : rest)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.'))
            return false;
    return !rest.isEmpty();
}

GuardedHttpServer::Response textReply(int status, const QByteArray& text)
{
    GuardedHttpServer::Response r;
    r.status = status;
    r.body = text + '\n';
    return r;
}

} // namespace

WebServer::WebServer(const Receiver& rx, const Clock& clock, const Limits& limits, QString leafletDir, QObject* parent)
    : GuardedHttpServer("web map", limits, parent), rx_(rx), clock_(clock), leafletDir_(std::move(leafletDir))
{
    connect(&timer_, &QTimer::timeout, this, [this] { snapshot(); });
    snapshot();
}

void WebServer::startSnapshots() { timer_.start(kRefreshMs); }

void WebServer::snapshot()
{
    ++generation_;
    buildAircraftJson(rx_.table, clock_.utcMs(), rx_.tick.counters.modeSTotal, scratch_);
    aircraft_.body = QByteArray(scratch_.data(), static_cast<qsizetype>(scratch_.size()));
    aircraft_.gzip.clear();
    aircraft_.etag = "\"a" + QByteArray::number(generation_) + '"';
    aircraft_.type = "application/json";
    aircraft_.cacheControl = "no-cache";
    if (generation_ % kHistoryEvery == 0) {
        Document& h = history_[static_cast<std::size_t>(historyNext_)];
        h = aircraft_;
        h.etag = "\"h" + QByteArray::number(generation_) + '"';
        historyNext_ = (historyNext_ + 1) % kHistoryCount;
        if (historyFilled_ < kHistoryCount) ++historyFilled_;
    }
}

GuardedHttpServer::Response WebServer::serve(const QHttpServerRequest& request, Document& doc)
{
    Response r;
    r.contentType = doc.type;
    r.headers.emplaceBack("Cache-Control", doc.cacheControl);
    r.headers.emplaceBack("ETag", doc.etag);
    r.headers.emplaceBack("Vary", "Accept-Encoding");
    for (const QByteArray& tag : request.value("If-None-Match").split(',')) {
        if (tag.trimmed() == doc.etag || tag.trimmed() == "*") {
            r.status = 304;
            return r;
        }
    }
    // Tiny bodies gain nothing from compression.
    if (doc.body.size() > 256 && acceptsGzip(request.value("Accept-Encoding"))) {
        if (doc.gzip.isEmpty()) doc.gzip = deflateFast(std::string_view(doc.body.constData(), static_cast<std::size_t>(doc.body.size())), DeflateWrapper::Gzip);
        if (!doc.gzip.isEmpty()) {
            r.headers.emplaceBack("Content-Encoding", "gzip");
            r.body = doc.gzip;
            return r;
        }
    }
    r.body = doc.body;
    return r;
}

WebServer::Document* WebServer::staticFile(const QByteArray& path)
{
    if (auto it = files_.find(path); it != files_.end()) return &it.value();
    QString file;
    QByteArray type;
    for (const PageFile& f : kPageFiles) {
        if (path == f.path) {
            file = QString::fromLatin1(f.resource);
            type = f.type;
        }
    }
    if (file.isEmpty() && path.startsWith("/leaflet/") && plainLeafletName(path.mid(9))) {
        file = leafletDir_ + '/' + QString::fromLatin1(path.mid(9));
        type = typeOf(path);
    }
    if (file.isEmpty()) return nullptr;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly) || f.size() > (8 << 20)) return nullptr;
    Document d;
    d.body = f.readAll();
    d.type = type;
    d.cacheControl = "max-age=300";
    d.etag = "\"f" + QByteArray::number(qHash(d.body), 16) + '"';
    return &files_.insert(path, d).value();
}

GuardedHttpServer::Response WebServer::respond(const QHttpServerRequest& request, const QByteArray& path)
{
    if (path == "/data/aircraft.json") return serve(request, aircraft_);
    if (path == "/data/receiver.json") {
        Document d;
        const std::string text = buildReceiverJson(rx_.home, kRefreshMs, historyFilled_, "V " VARNOCK_VERSION);
        d.body = QByteArray(text.data(), static_cast<qsizetype>(text.size()));
        d.type = "application/json";
        d.cacheControl = "no-cache";
        d.etag = "\"r" + QByteArray::number(qHash(d.body), 16) + '"';
        return serve(request, d);
    }
    if (path.startsWith("/data/history_") && path.endsWith(".json")) {
        const QByteArray digits = path.mid(14, path.size() - 14 - 5);
        bool ok = digits.size() <= 3 && !digits.isEmpty() && (digits.size() == 1 || digits[0] != '0');
        const int n = ok ? digits.toInt(&ok) : -1;
        // history_0 is the oldest snapshot held.
        if (ok && n >= 0 && n < historyFilled_) {
            const int slot = historyFilled_ < kHistoryCount ? n : (historyNext_ + n) % kHistoryCount;
            return serve(request, history_[static_cast<std::size_t>(slot)]);
        }
        return textReply(404, "Not Found");
    }
    if (Document* d = staticFile(path)) return serve(request, *d);
    return textReply(404, "Not Found");
}

} // namespace varnock
