// One-shot DEFLATE at the fastest level: raw (the HTTP tables' clients inflate it themselves) or
// wrapped as gzip (browsers, with Content-Encoding).
#pragma once

#include <QByteArray>

#include <string_view>

namespace varnock {

enum class DeflateWrapper { Raw, Gzip };

// Empty on a zlib failure.
QByteArray deflateFast(std::string_view data, DeflateWrapper wrapper);

// Raw DEFLATE (no zlib or gzip wrapper), as the HTTP tables send it.
inline QByteArray deflateRaw(std::string_view data) { return deflateFast(data, DeflateWrapper::Raw); }

} // namespace varnock
