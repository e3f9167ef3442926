// Test fixture: one buffer of 8-bit I/Q holding a given list of frames over seeded noise.
#pragma once

#include "synth/placed_frame.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace varnock::synth {

// Renders `pairs` I/Q pairs (2 x pairs bytes into `out`) holding `frames` plus Gaussian noise of
// `noiseSigma` (8-bit units on I and Q; 0 = none) drawn from `noiseSeed`.
void renderTestBuffer(std::span<const PlacedFrame> frames, double noiseSigma, uint64_t noiseSeed, uint8_t* out,
                      size_t pairs = kBufferPairs);

// The same into a new vector of 2 x pairs bytes.
std::vector<uint8_t> renderTestBuffer(std::span<const PlacedFrame> frames, double noiseSigma = 2.0,
                                      uint64_t noiseSeed = 1, size_t pairs = kBufferPairs);

} // namespace varnock::synth
