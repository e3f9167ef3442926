// HttpServer: the aircraft tables and status page behind the connection guard, and raw DEFLATE.
#include "net/http_server.h"

#include <QHttpServerRequest>
#include <QUrl>
#include <QUrlQuery>

#include "net/deflate.h"
#include "receiver/receiver.h"

namespace varnock {

HttpServer::HttpServer(Receiver& rx, LedColours& colours, QObject* parent) : HttpServer(rx, colours, Limits{}, parent) {}

HttpServer::HttpServer(Receiver& rx, LedColours& colours, const Limits& limits, QObject* parent)
    : GuardedHttpServer("HTTP server", limits, parent), rx_(rx), colours_(colours)
{
}

GuardedHttpServer::Response HttpServer::respond(const QHttpServerRequest& request, const QByteArray& path)
{
    bool gzipOne = false;
    for (const auto& item : QUrlQuery(request.url()).queryItems(QUrl::FullyDecoded)) {
        if (item.first.compare(QLatin1String("gzip"), Qt::CaseInsensitive) == 0) {
            gzipOne = item.second == QLatin1String("1");
            break;
        }
    }

    const HttpReply reply = http1CommandGet(std::string_view(path.constData(), static_cast<std::size_t>(path.size())),
                                            gzipOne, rx_.httpSources(), inputs_ ? inputs_() : HttpPageInputs{});
    colours_[10] = reply.ledColour;
    if (reply.ledOn) rx_.leds[10] = true;

    Response r;
    r.contentType = reply.contentType();
    r.body = reply.compress ? deflateRaw(reply.body) : QByteArray(reply.body.data(), static_cast<qsizetype>(reply.body.size()));
    return r;
}

} // namespace varnock
