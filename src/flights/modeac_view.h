// The Mode A/C view of the list: codes heard often enough, with their flight level, and count ageing.
#pragma once

#include <string>

#include "demod/modeac_counts.h"

namespace varnock {

class ListModel;

class ModeACView {
public:
    ModeACView(); // builds the flight-level table once

    // Flight level shown for code index i, or -9 when the code carries no plausible altitude.
    int flightLevel(int code) const
    {
        return code >= 0 && code < ModeACCodeCounts::kSize ? flightLevel_[code] : -9;
    }

    // Rebuilds the list from every code counted more than 10 times.
    void fillList(ListModel& list, const ModeACCodeCounts& counts) const;

    // Raises the round counter; every 7th round the counts are cut back.
    void countRound(ModeACCodeCounts& counts);

    // Cuts all counts back so a code once believed stays believed at its next reception.
    static void reduceCounts(ModeACCodeCounts& counts);

    // Text of one listed code ("7000 (F350)" or "7000").
    std::string lineOf(int code) const;

    int roundCounter = 0;

private:
    int flightLevel_[ModeACCodeCounts::kSize];
};

} // namespace varnock
