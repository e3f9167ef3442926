// WebServer: the live map page and the aircraft JSON documents on their own port, behind the connection guard.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>
#include <string>

#include "net/guarded_http_server.h"

namespace varnock {

class Clock;
class Receiver;

class WebServer final : public GuardedHttpServer {
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 1000;   // what the page polls at
    static constexpr int kHistoryCount = 120; // history_0 .. history_119
    static constexpr int kHistoryEvery = 2;   // snapshots per history file (a round of the decoder)

    // The receiver and clock must outlive the server. `leafletDir` holds leaflet.js and leaflet.css.
    WebServer(const Receiver& rx, const Clock& clock, const Limits& limits = Limits{},
              QString leafletDir = QStringLiteral("/usr/share/javascript/leaflet"), QObject* parent = nullptr);

    // A snapshot once per refresh interval from now on (the program; tests call snapshot()).
    void startSnapshots();
    // aircraft.json made afresh from the table; every kHistoryEvery-th also becomes the next history file.
    void snapshot();
    uint64_t snapshots() const { return generation_; }

protected:
    Response respond(const QHttpServerRequest& request, const QByteArray& path) override;

private:
    // A document with its validator and, made on first demand, its gzip form.
    struct Document {
        QByteArray body;
        QByteArray gzip;
        QByteArray etag;
        QByteArray type;
        QByteArray cacheControl;
    };

    Response serve(const QHttpServerRequest& request, Document& doc);
    Document* staticFile(const QByteArray& path);

    const Receiver& rx_;
    const Clock& clock_;
    QString leafletDir_;
    QTimer timer_;
    std::string scratch_;
    Document aircraft_;
    std::array<Document, kHistoryCount> history_;
    uint64_t generation_ = 0;
    int historyNext_ = 0;
    int historyFilled_ = 0;
    QHash<QByteArray, Document> files_; // page and Leaflet files, read once
};

// Gzip (RFC 1952) at the fastest level; empty on failure.
QByteArray gzipCompress(const QByteArray& data);

// True when an Accept-Encoding value accepts gzip (a "q=0" refuses it).
bool acceptsGzip(const QByteArray& acceptEncoding);

} // namespace varnock
