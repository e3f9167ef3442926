// Comm-B (DF 20/21 MB field) register decoding: registers 2,0, 4,0, 5,0 and 6,0.
#pragma once

#include <cstdint>

namespace varnock {

struct TFlight;

// b: the 14 frame bytes (MB is bytes 4-10). reg: the register the frame was filed under, or 0 to
// infer it from the MB bits and the record.
void decodeCommB(const uint8_t* b, TFlight& rec, int reg = 0);

// Each writes all of its fields or, when a value is implausible, none. True when written.
bool decodeBds20(const uint8_t* b, TFlight& rec);
bool decodeBds40(const uint8_t* b, TFlight& rec);
bool decodeBds50(const uint8_t* b, TFlight& rec);
bool decodeBds60(const uint8_t* b, TFlight& rec);

// The values of registers 5,0 and 6,0 before they are stored; the readers also serve the
// register guess, so that it applies the decoders' own checks.
struct TrackAndTurn {
    int roll = 0, trackrate = 0, tas = 0;
    int track = 0; // true track, whole degrees 0-359 (not stored: ADS-B has a better one)
};
struct HeadingAndSpeed {
    int heading = 0, ias = 0, mach = 0;
};
// False when the checks refuse the bits; 5,0 needs an ADS-B ground speed (knots) that agrees.
bool readBds50(const uint8_t* b, int adsbGs, TrackAndTurn& v);
bool readBds60(const uint8_t* b, HeadingAndSpeed& v);

} // namespace varnock
