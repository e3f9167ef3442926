// Receiver: the core's process-wide state in one object - table, tick, 2 s round, list, controls, LEDs.
#pragma once

#include "core/clock.h"
#include "core/command_line_options.h"
#include "core/controls.h"
#include "core/home_location.h"
#include "core/line_sink.h"
#include "flights/list_model.h"
#include "decode/decode_frame.h"
#include "demod/modeac_counts.h"
#include "demod/modeac_scan.h"
#include "receiver/processing_tick.h"
#include "receiver/raw_output.h"
#include "flights/aircraft_table.h"
#include "flights/http_tables.h"
#include "flights/sbs_lines.h"
#include "flights/statistics_round.h"

namespace varnock {

class Receiver {
public:
    // Clock and line sink are injected and must outlive the receiver.
    Receiver(const Clock& clock, LineSink& lines)
        : table(lines, clock), tick(table, controls), ctx{&home, &lines, &clock, emitFrameLine},
          round(table, tick, controls, leds, ctx), list(controls, options), rawOutput(options, controls, leds),
          modeacScan(tick.counters, options, modeacCounts, &rawOutput)
    {
        tick.setListBracket(&list);
        tick.setFrameOutput(&rawOutput);
        rawOutput.setList(&list);
        round.setListModel(&list);
        round.setModeACCounts(&modeacCounts);
        tick.setModeACScanner(&modeacScan);
    }
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;

    void audiotimerTimer(const uint8_t* readyBuffer) { tick.audiotimerTimer(readyBuffer); }
    void datacntrTimer(uint32_t blocks) { round.datacntrTimer(blocks); }

    // What the HTTP pages read (tables and status page).
    HttpSources httpSources() const { return {table, home, controls, options}; }

    Controls controls;
    Leds leds;
    HomeLocation home;
    AircraftTable table;
    ProcessingTick tick;
    DecodeContext ctx;
    StatisticsRound round;
    CommandLineOptions options;
    ModeACCodeCounts modeacCounts;
    ListModel list;
    RawOutput rawOutput; // raw and UDP sinks are attached by the engine
    ModeACScan modeacScan;
};

} // namespace varnock
