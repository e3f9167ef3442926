// Field codes shared by the Mode-S decoders: altitude codes, identity codes, six-bit characters.
#pragma once

#include <cstdint>

#include "core/flight.h"

namespace varnock {

// Nearest integer, halves to even (the default floating-point rounding mode).
int roundHalfEven(double v);

// AC field (width 13) or extended-squitter altitude (width 12) -> feet, kUnknown for none (also
// for a metric AC code), kInvalidGillham for an invalid Gillham code. Sets `gillham`, and
// `metric` for width 13.
int decodeAltitudeCode(int code, int width, TFlight& rec);
// Gillham groups (A = A1 A2 A4, B = B1 B2 B4, C = C1 C2 C4, D = D2 D4) -> feet or kInvalidGillham.
int gillhamAltitude(int a, int b, int c, int d);
unsigned grayToBinary(unsigned gray);
// Rewrites `altstr` from `altitude`.
void formatFlightLevel(TFlight& rec);
// The record's "on the ground" altitude: 0 ft, no climb, "G---".
void setGroundAltitude(TFlight& rec);

// 13-bit identity code -> four octal digits A B C D.
FixedText<4> decodeIdentity(int code);
char sixBitChar(int v);
// Eight six-bit characters from the 48 bits that start at `bits` (bytes 0-5).
void decodeCallsign(const uint8_t* bits, FixedText<8>& out);

} // namespace varnock
