// decodeFrame: one table from format label to decoder and extra work, then the frame's 30003-style line.
#include "decode/decode_frame.h"

#include <array>

#include "core/home_location.h"
#include "core/line_sink.h"
#include "decode/comm_b.h"
#include "decode/extended_squitter.h"
#include "decode/reply_decoders.h"
#include "core/flight.h"

namespace varnock {

namespace {

using Decoder = void (*)(const uint8_t*, TFlight&);
using Extra = void (*)(const uint8_t*, TFlight&, const DecodeContext&);

const HomeLocation kNoHome{};

void keepDf16Hex(const uint8_t* b, TFlight& rec, const DecodeContext&) { setHex(rec.hexdf16, b, 14); }
void commB(const uint8_t* b, TFlight& rec, const DecodeContext& ctx) { decodeCommB(b, rec, ctx.commBRegister); }
void squitter(const uint8_t* b, TFlight& rec, const DecodeContext& ctx)
{
    decodeExtendedSquitter(b, rec, ctx.home ? *ctx.home : kNoHome);
}

struct FrameKind {
    int label;
    Decoder decode;
    Extra extra; // may be null
};

constexpr std::array<FrameKind, 8> kFrameKinds = {{
    {0, decodeAirAirSurveillance, nullptr},
    {16, decodeAirAirSurveillance, keepDf16Hex},
    {4, decodeAltitudeReply, nullptr},
    {20, decodeAltitudeReply, commB},
    {5, decodeIdentityReply, nullptr},
    {21, decodeIdentityReply, commB},
    {11, decodeCapability, nullptr},
    {17, decodeCapability, squitter},
}};

} // namespace

void decodeFrame(int label, const uint8_t* bytes, TFlight& rec, const DecodeContext& ctx)
{
    const FrameKind* kind = nullptr;
    for (const FrameKind& k : kFrameKinds)
        if (k.label == label) kind = &k;
    if (!kind) return;

    const bool squitter = label == 17;
    const FixedText<8> callsignBefore = rec.callsign; // the ID line is due only when it changes

    kind->decode(bytes, rec);
    if (kind->extra) kind->extra(bytes, rec, ctx);
    rec.decoded = 1;

    if (ctx.lines && ctx.clock && ctx.writeLines && ctx.lines->anyLineClient()) {
        const int tc = squitter ? bytes[4] >> 3 : 0;
        const bool callsignChanged = squitter && !(callsignBefore == rec.callsign);
        ctx.writeLines(*ctx.lines, *ctx.clock, label, tc, rec, callsignChanged);
    }
}

} // namespace varnock
