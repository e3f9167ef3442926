// The 2 s round `datacntr`: rates, LEDs, status texts, ageing, and the decode round of the Mode-S view.
#pragma once

#include <cstdint>
#include <string>

#include "core/controls.h"

namespace varnock {

class AircraftTable;
class ProcessingTick;
struct DecodeContext;
struct TFlight;

// Called once per accepted record after its decode round, in index order (the list line comes here).
class RecordVisitor {
public:
    virtual ~RecordVisitor() = default;
    virtual void onRecordDecoded(int index, TFlight& rec) = 0;
};

struct StatusPanels {
    std::string text[5];
};

class StatisticsRound {
public:
    StatisticsRound(AircraftTable& table, ProcessingTick& tick, const Controls& controls, Leds& leds,
                    const DecodeContext& ctx);

    void setRecordVisitor(RecordVisitor* v) { visitor_ = v; }

    // One round. `blocks`: sample blocks delivered since the last round (read and zeroed by the caller).
    void datacntrTimer(uint32_t blocks);

    StatusPanels panels;
    int aircraftCount = 0;

private:
    AircraftTable& table_;
    ProcessingTick& tick_;
    const Controls& controls_;
    Leds& leds_;
    const DecodeContext& ctx_;
    RecordVisitor* visitor_ = nullptr;
};

// Text of a half-rate with ties to even ("46/sec " for 91).
std::string perSecondText(int64_t countPerTwoSeconds);

} // namespace varnock
