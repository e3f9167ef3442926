// Mode-S scan: finds preambles in a magnitude buffer, slices 112 bits, filters by df and sizes the frame.
//
// Timing at 2,000,000 samples/s: one sample = 0.5 us, one Mode-S bit (1 us) = 2 samples.
//   preamble: pulses at 0, 1.0, 3.5, 4.5 us  -> samples 0, 2, 7, 9 of a 16-sample (8 us) window
//   data:     starts 8 us after the preamble -> sample d = k + 16; bit j = m[d+2j] > m[d+2j+1]
//   112 bits = 224 samples; the last data sample read is d + 223.
//   After every candidate (accepted, dropped or rejected) the scan resumes at d + 209, 225 samples
//   after the preamble start. A preamble at k >= 1,023,760 gives d >= 1,023,776: never sliced, so
//   the highest index read is 1,023,998 and no frame is invented across the buffer end.
#pragma once

#include <cstdint>

#include "demod/raw_frame.h"

namespace varnock {

constexpr int kScanLimit = 1023776;

// Receives each sized candidate (df filter and length rule passed); returns true if accepted.
class CandidateSink {
public:
    virtual ~CandidateSink() = default;
    virtual bool onCandidate(RawFrame& frame) = 0;
};

// Preamble test at k: every pulse sample (0, 2, 7, 9) exceeds every gap sample by at least 2.
// Plain form, in the order of the samples, leaving at the first failure.
bool preambleAt(const uint16_t* m, int k);

// The fast scan on byte magnitudes (clippedMagnitudesWithNoise): the preamble test runs as vectors
// over 4096 positions at a time, then the passing positions are walked in order. Same frames as
// the plain scan on the same values; no read past index 1,023,998.
void scanModeS(const uint8_t* m, CandidateSink& sink);

// The plain scan, position by position, on 16-bit magnitudes clipped to 181: the oracle.
void scanModeSReference(const uint16_t* m, CandidateSink& sink);

// Slices, filters and sizes the candidate whose preamble starts at k (d = k + 16 < kScanLimit).
// Returns false when the df is not one of 0, 4, 5, 11, 16..21 or a short frame's bytes 4-6 are zero.
bool sliceCandidate(const uint16_t* m, int k, RawFrame& f);
bool sliceCandidate(const uint8_t* m, int k, RawFrame& f);

} // namespace varnock
