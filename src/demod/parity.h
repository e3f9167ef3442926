// Mode-S parity: the 24-bit remainder of the data bits by the generator 1FFF409, bit by bit.
#pragma once

#include <cstdint>

namespace varnock {

// Remainder of a 7-byte (32 data bits) or 14-byte (88 data bits) frame, as a 24-bit value.
uint32_t modeSRemainder(const uint8_t* frame, int lengthBytes);

// Remainder XOR the frame's parity field (its last three bytes): 0 for a clean DF 17.
uint32_t modeSSyndrome(const uint8_t* frame, int lengthBytes);

// Writes the parity field of a frame so that its syndrome becomes `overlay` (0 for DF 11/17/18,
// the address for address/parity formats). Used by the synthesizer and tests.
void setModeSParity(uint8_t* frame, int lengthBytes, uint32_t overlay);

} // namespace varnock
