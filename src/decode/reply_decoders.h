// The decoders of the surveillance and all-call replies (DF 0/16, 4/20, 5/21, 11 and the DF 17 capability).
#pragma once

#include <cstdint>

namespace varnock {

struct TFlight;

// DF 0 and DF 16.
void decodeAirAirSurveillance(const uint8_t* b, TFlight& rec);
// FS, DR and UM of DF 4/5/20/21 with their air/ground state and countdowns.
void decodeReplyStatus(const uint8_t* b, TFlight& rec);
// DF 4 and DF 20.
void decodeAltitudeReply(const uint8_t* b, TFlight& rec);
// DF 5 and DF 21.
void decodeIdentityReply(const uint8_t* b, TFlight& rec);
// DF 11, and the first step of DF 17.
void decodeCapability(const uint8_t* b, TFlight& rec);

} // namespace varnock
