// The 2 s round `datacntr`: rates, LEDs, status texts, ageing, the decode round and the rebuilt list.
#pragma once

#include <cstdint>
#include <string>

#include "core/controls.h"
#include "flights/modeac_view.h"

namespace varnock {

class AircraftTable;
class ListModel;
class TickStatistics;
struct DecodeContext;
struct ModeACCodeCounts;

struct StatusPanels {
    std::string text[5];
};

class StatisticsRound {
public:
    StatisticsRound(AircraftTable& table, TickStatistics& tick, const Controls& controls, Leds& leds,
                    const DecodeContext& ctx);

    // Without a list the round still decodes but builds no list lines.
    void setListModel(ListModel* list) { list_ = list; }
    // Without counts the Mode A/C view stays empty.
    void setModeACCounts(ModeACCodeCounts* counts) { modeacCounts_ = counts; }

    // One round. `blocks`: sample blocks delivered since the last round (read and zeroed by the caller).
    void datacntrTimer(uint32_t blocks);

    StatusPanels panels;
    int aircraftCount = 0;
    // Decode the aircraft even while the list shows packets: someone else (the web map) reads them.
    bool decodeBehindPackets = false;
    // Tip of the notification-area icon; the engine applies it after each round.
    std::string trayTip = "VARNOCK";
    ModeACView modeacView;

private:
    void modeSView();
    void decodeOnly();
    void modeACView();

    AircraftTable& table_;
    TickStatistics& tick_;
    const Controls& controls_;
    Leds& leds_;
    const DecodeContext& ctx_;
    ListModel* list_ = nullptr;
    ModeACCodeCounts* modeacCounts_ = nullptr;
};

// Text of a half-rate with ties to even ("46/sec " for 91).
std::string perSecondText(int64_t countPerTwoSeconds);

// Status panel 2 from the noise accumulators (count > 0): "THR: -90db [4]".
std::string noiseLevelText(uint16_t noiseSum, uint16_t noiseCount);

} // namespace varnock
