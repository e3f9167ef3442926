// HttpServer: `http1`, the aircraft tables and status page over HTTP, guarded against abusive clients.
#pragma once

#include <QByteArray>

#include <functional>
#include <string_view>

#include "core/controls.h"
#include "flights/http_tables.h"
#include "net/deflate.h"
#include "net/guarded_http_server.h"

namespace varnock {

class Receiver;


class HttpServer final : public GuardedHttpServer {
    Q_OBJECT

public:
    using InputsFn = std::function<HttpPageInputs()>;

    // The receiver (table, controls, LEDs) and the colours must outlive the server.
    HttpServer(Receiver& rx, LedColours& colours, QObject* parent = nullptr);
    HttpServer(Receiver& rx, LedColours& colours, const Limits& limits, QObject* parent = nullptr);

    // Dialog texts and device state read at each request; without it the defaults are used.
    void setInputs(InputsFn fn) { inputs_ = std::move(fn); }

protected:
    Response respond(const QHttpServerRequest& request, const QByteArray& path) override;

private:
    Receiver& rx_;
    LedColours& colours_;
    InputsFn inputs_;
};

} // namespace varnock
