// decodeFrame: decodes one filed Mode-S frame into its aircraft record and writes its 30003-style line.
#pragma once

#include <cstdint>

namespace varnock {

class Clock;
class LineSink;
struct HomeLocation;
struct TFlight;

// Writes the 30003-style line(s) of a decoded frame; supplied by the lines above (emitFrameLine).
using FrameLineWriter = void (*)(LineSink& sink, const Clock& clock, int label, int tc, const TFlight& rec,
                                 bool callsignChanged);

// What a decoder needs beyond the record: the receiver position, the 30003 clients and the clock.
struct DecodeContext {
    const HomeLocation* home = nullptr;
    LineSink* lines = nullptr;
    const Clock* clock = nullptr;
    FrameLineWriter writeLines = nullptr; // null: no lines
    // The register a DF 20/21 frame was filed under, so that it decodes as that; 0: guessed again.
    int commBRegister = 0;
};

// label: the slot's format label (0, 4, 5, 11, 16, 17, 20, 21); bytes: 7 or 14 frame bytes.
void decodeFrame(int label, const uint8_t* bytes, TFlight& rec, const DecodeContext& ctx);

} // namespace varnock
