// The 2 s round: a round without a processed buffer ages nothing, so a stopped device keeps its table.
#include "flights/statistics_round.h"

#include <cmath>
#include <cstdio>

#include "core/line_sink.h"
#include "flights/list_model.h"
#include "decode/decode_frame.h"
#include "demod/modeac_counts.h"
#include "demod/tick_counters.h"
#include "flights/aircraft_table.h"
#include "flights/list_lines.h"

namespace varnock {

std::string perSecondText(int64_t count)
{
    const long long v = static_cast<long long>(std::nearbyint(static_cast<double>(count) / 2.0));
    return std::to_string(v) + "/sec ";
}

std::string noiseLevelText(uint16_t noiseSum, uint16_t noiseCount)
{
    const double avg = static_cast<double>(noiseSum) / noiseCount;
    char buf[64];
    // Only all-strong buffers average 0; the logarithm has no value to show then.
    if (avg <= 0.0) return "THR: ---db [0]";
    const double level = 10.0 * std::log10(std::pow(avg / 128.0 * 0.001, 2.0)) + 5.0;
    std::snprintf(buf, sizeof buf, "THR: %0.0fdb [%lld]", level, static_cast<long long>(std::nearbyint(avg)));
    return buf;
}

StatisticsRound::StatisticsRound(AircraftTable& table, TickStatistics& tick, const Controls& controls, Leds& leds,
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
    panels.text[2] = noiseLevelText(c.noiseSum, c.noiseCount);
    c.noiseSum = 0;
    c.noiseCount = 0;

    trayTip = "VARNOCK: " + panels.text[1];
    if (controls_.sblist && list_) list_->caretHidden = true;

    table_.purgeFlights();

    if (!controls_.sblist && controls_.sbmodes)
        modeSView();
    else if (decodeBehindPackets && controls_.sbmodes)
        decodeOnly();
    if (controls_.sbmodeac) modeACView();
}

void StatisticsRound::modeSView()
{
    table_.resetHighestUsed();
    ListModel* list = list_;
    if (list) {
        list->beginUpdate();
        if (!list->listFreeze || list->listSortRequest) {
            list->clear();
            list->setSorted(list->listSortRequest);
            list->WriteLogLine(list->listSortRequest ? kSortedListHeader : kListHeader);
        }
    }
    int count = 0;
    for (int i = 0; i <= table_.highestUsed; ++i) {
        TFlight& rec = table_[i];
        if (!rec.inuse) continue;
        table_.decodeRecord(rec, ctx_);
        if (list) {
            // Built even when not shown: the line counts the record's flags down.
            const AircraftColumns cols = aircraftColumns(rec);
            if (!list->listFreeze)
                list->add(plainLine(cols), i);
            else if (list->listSortRequest)
                list->add(sortedLine(cols, list->listSortColumn), i);
        }
        ++count;
    }
    if (list) {
        list->listSortRequest = false;
        list->endUpdate();
        if (list->hasFocus) {
            list->hasFocus = false;
            list->focusToStartPending = true;
        }
    }
    aircraftCount = count;
    panels.text[4] = "A/C: " + std::to_string(count);
}

void StatisticsRound::decodeOnly()
{
    table_.resetHighestUsed();
    // The 30003-style lines belong to the aircraft view: clients see none while packets show.
    DecodeContext quiet = ctx_;
    quiet.writeLines = nullptr;
    int count = 0;
    for (int i = 0; i <= table_.highestUsed; ++i) {
        TFlight& rec = table_[i];
        if (!rec.inuse) continue;
        table_.decodeRecord(rec, quiet);
        (void)aircraftColumns(rec); // counts the record's flags down, as the list round does
        ++count;
    }
    aircraftCount = count;
}

void StatisticsRound::modeACView()
{
    if (!modeacCounts_) return;
    const bool someoneLooks = controls_.mainWindowVisible || (ctx_.lines && ctx_.lines->anyLineClient());
    if (!controls_.sblist && someoneLooks && list_) modeacView.fillList(*list_, *modeacCounts_);
    modeacView.countRound(*modeacCounts_);
}

} // namespace varnock
