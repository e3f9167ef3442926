// The processing tick's counters: shared with the Mode A/C scan, read and reset by the 2 s round.
#pragma once

#include <cstdint>

#include "core/controls.h"

namespace varnock {

// Counters kept across ticks; read and reset by the 2 s round.
struct TickCounters {
    uint32_t bufferCounterLow = 0;  // the 64-bit buffer counter as two halves
    uint32_t bufferCounterHigh = 0;
    uint16_t noiseSum = 0;
    uint16_t noiseCount = 0;
    int32_t packetCounter = 0;
    uint64_t modeSTotal = 0; // Mode-S frames since start; never reset
    int64_t previousTimeUs = 0;

    uint64_t bufferCounter() const { return (uint64_t(bufferCounterHigh) << 32) | bufferCounterLow; }
    void resetBufferCounter() { bufferCounterLow = bufferCounterHigh = 0; }
};

// 48-bit sample clock of sample index i in the current buffer, most significant byte first.
void stampOf(const TickCounters& c, int sampleIndex, uint8_t out[6]);

// What the 2 s round sees of the processing tick, which sits above it.
class TickStatistics {
public:
    // Once per 2 s round after PacketCounter was read: lights ALed1-5/ALed7 by rate, zeroes it.
    void packetRateIndicators(Leds& leds);

    TickCounters counters;

protected:
    ~TickStatistics() = default;
};

} // namespace varnock
