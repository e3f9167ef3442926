// deflateFast: level 1, memory level 9, default strategy; window bits select the wrapper.
#include "net/deflate.h"

#include <zlib.h>

namespace varnock {

QByteArray deflateFast(std::string_view data, DeflateWrapper wrapper)
{
    z_stream zs{};
    const int windowBits = wrapper == DeflateWrapper::Raw ? -15 : 15 + 16;
    if (deflateInit2(&zs, 1, Z_DEFLATED, windowBits, 9, Z_DEFAULT_STRATEGY) != Z_OK) return {};
    QByteArray out;
    // deflateBound covers the zlib wrapper; the gzip header and trailer need a few bytes more.
    out.resize(static_cast<qsizetype>(deflateBound(&zs, static_cast<uLong>(data.size())) + 32));
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&zs, Z_FINISH);
    const auto written = static_cast<qsizetype>(zs.total_out);
    deflateEnd(&zs);
    if (rc != Z_STREAM_END) return {};
    out.resize(written);
    return out;
}

} // namespace varnock
