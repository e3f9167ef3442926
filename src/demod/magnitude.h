// Magnitudes |I-128|+|Q-128| of a SampleBuffer, and the per-buffer noise estimate with clipping.
#pragma once

#include <cstdint>

#include "demod/vector_level.h"

namespace varnock {

constexpr int kPairsPerBuffer = 1024000;
constexpr int kBytesPerBuffer = 2 * kPairsPerBuffer;
constexpr uint16_t kMagnitudeClip = 181;

// m[p] = |I - 128| + |Q - 128| for p = 0..pairs-1 (0..256). No table, no square root.
void computeMagnitudes(const uint8_t* iq, uint16_t* m, int pairs);

// One pass: sums magnitudes below 15, counts the strong ones, clips everything to 181.
// noise = round_half_even(2 * sum / (pairs - strong)); an all-strong buffer halves the strong
// count first, so its noise is 0.
int estimateNoiseAndClip(uint16_t* m, int pairs);

// Both passes above in one, for the Mode-S scan: m8[p] = min(|I - 128| + |Q - 128|, 181), and
// the same noise estimate. Reads the I/Q bytes once and writes bytes, not 16-bit values.
int clippedMagnitudesWithNoise(const uint8_t* iq, uint8_t* m8, int pairs);
// The same with a chosen kernel; the level must be available on this CPU (vector_level.h).
int clippedMagnitudesWithNoise(VectorLevel level, const uint8_t* iq, uint8_t* m8, int pairs);

} // namespace varnock
