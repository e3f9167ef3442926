// The Mode-S preamble test for 64 positions at a time: one bit per position, the same answer as
// preambleAt() on the clipped magnitudes, built with the widest vectors the CPU has.
#pragma once

#include <cstdint>

#include "demod/vector_level.h"

namespace varnock {

// Bit i of out[w] is set when the preamble test holds at position base + 64w + i: each of the
// pulse samples at +0, +2, +7, +9 exceeds each of the twelve gap samples by at least 2.
// Reads m[base .. base + 64 * count + 14].
void preambleWords(const uint8_t* m, int base, int count, uint64_t* out);

// The same with a chosen kernel; the level must be available on this CPU.
void preambleWords(VectorLevel level, const uint8_t* m, int base, int count, uint64_t* out);

// One word of the portable kernel, whatever the CPU has: the oracle for the vector ones.
uint64_t preambleWordPortable(const uint8_t* m, int base);

} // namespace varnock
