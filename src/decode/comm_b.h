// Comm-B (DF 20/21 MB field) register decoding: registers 2,0, 4,0, 5,0 and 6,0.
#pragma once

#include <cstdint>

namespace varnock {

struct TFlight;

// b: the 14 frame bytes (MB is bytes 4-10); the register is inferred from the MB bits.
void decodeCommB(const uint8_t* b, TFlight& rec);

// Each writes all of its fields or, when a value is implausible, none. True when written.
bool decodeBds20(const uint8_t* b, TFlight& rec);
bool decodeBds40(const uint8_t* b, TFlight& rec);
bool decodeBds50(const uint8_t* b, TFlight& rec);
bool decodeBds60(const uint8_t* b, TFlight& rec);

} // namespace varnock
