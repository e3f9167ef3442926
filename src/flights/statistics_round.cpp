// The 2 s round: a round without a processed buffer ages nothing, so a stopped device keeps its table.
#include "flights/statistics_round.h"

#include <cmath>
#include <cstdio>

#include "decode/decode_frame.h"
#include "demod/processing_tick.h"
#include "flights/aircraft_table.h"

namespace varnock {

std::string perSecondText(int64_t count)
{
    const long long v = static_cast<long long>(std::nearbyint(static_cast<double>(count) / 2.0));
    return std::to_string(v) + "/sec ";
}

StatisticsRound::StatisticsRound(AircraftTable& table, ProcessingTick& tick, const Controls& controls, Leds& leds,
                                 const DecodeContext& ctx)
    : table_(table), tick_(tick), controls_(controls), leds_(leds), ctx_(ctx)
{
}

void StatisticsRound::datacntrTimer(uint32_t blocks)
{
    for (int n : {1, 2, 3, 4, 5, 7, 8, 10}) leds_[n] = false;
    panels.text[0] = perSecondText(blocks);
    panels.text[1] = perSecondText(tick_.counters.packetCounter);
    tick_.packetRateIndicators(leds_);

    TickCounters& c = tick_.counters;
    if (c.noiseCount == 0) return;
    const double avg = static_cast<double>(c.noiseSum) / c.noiseCount;
    const double level = 10.0 * std::log10(std::pow(avg / 128.0 * 0.001, 2.0)) + 5.0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "THR: %0.0fdb [%lld]", level, static_cast<long long>(std::nearbyint(avg)));
    panels.text[2] = buf;
    c.noiseSum = 0;
    c.noiseCount = 0;

    table_.purgeFlights();

    if (!controls_.sblist && controls_.sbmodes) {
        table_.resetHighestUsed();
        int count = 0;
        for (int i = 0; i <= table_.highestUsed; ++i) {
            TFlight& rec = table_[i];
            if (!rec.inuse) continue;
            table_.decodeRecord(rec, ctx_);
            if (visitor_) visitor_->onRecordDecoded(i, rec);
            ++count;
        }
        aircraftCount = count;
        panels.text[4] = "A/C: " + std::to_string(count);
    }
}

} // namespace varnock
