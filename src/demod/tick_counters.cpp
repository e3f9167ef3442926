// The sample clock of time stamps and the packet-rate LEDs of the 2 s round.
#include "demod/tick_counters.h"

#include "demod/magnitude.h"

namespace varnock {

void stampOf(const TickCounters& c, int sampleIndex, uint8_t out[6])
{
    const uint64_t n = (uint64_t(c.bufferCounterHigh & 0xFFFFu) << 32) | c.bufferCounterLow;
    const uint64_t v = n * uint64_t(kPairsPerBuffer) + static_cast<uint64_t>(sampleIndex);
    for (int i = 0; i < 6; ++i) out[i] = static_cast<uint8_t>(v >> (8 * (5 - i)));
}

void TickStatistics::packetRateIndicators(Leds& leds)
{
    const int rate = counters.packetCounter / 2;
    if (rate > 0) leds[1] = true;
    if (rate > 10) leds[2] = true;
    if (rate > 20) leds[3] = true;
    if (rate > 40) leds[4] = true;
    if (rate > 80) leds[5] = true;
    if (rate > 120) leds[7] = true;
    counters.packetCounter = 0;
}

} // namespace varnock
