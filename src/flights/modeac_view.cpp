// Mode A/C view: the flight-level table is computed once, the list and count ageing every round.
#include "flights/modeac_view.h"

#include <cstdio>

#include "demod/modeac_counts.h"
#include "flights/list_model.h"

namespace varnock {

ModeACView::ModeACView()
{
    for (int i = 0; i < ModeACCodeCounts::kSize; ++i) {
        const int a = i / 1000, b = i / 100 % 10, c = i / 10 % 10, d = i % 10;
        flightLevel_[i] = -9;
        if (a > 7 || b > 7 || c > 7 || d > 7) continue;
        bool legal = false;
        const int alt = gillhamAltitude(a, b, c, d, legal);
        if (!legal || alt < -100 || alt > 49000) continue;
        // Whole hundreds, as the packet list and the explorer's strip show them: rounding
        // (alt + 50) / 100 would put every odd level one up (3700 ft as F038).
        flightLevel_[i] = alt < 0 ? 0 : modeCFlightLevel(alt);
    }
}

std::string ModeACView::lineOf(int code) const
{
    char buf[24];
    const int fl = flightLevel(code);
    if (fl >= -1)
        std::snprintf(buf, sizeof buf, "%04d (F%03d)", code, fl);
    else
        std::snprintf(buf, sizeof buf, "%04d", code);
    return buf;
}

void ModeACView::fillList(ListModel& list, const ModeACCodeCounts& counts) const
{
    list.beginUpdate();
    list.clear();
    for (int i = 0; i < ModeACCodeCounts::kSize; ++i)
        if (counts.count[i] > 10) list.add(lineOf(i));
    list.endUpdate();
}

void ModeACView::countRound(ModeACCodeCounts& counts)
{
    if (++roundCounter > 6) {
        reduceCounts(counts);
        roundCounter = 0;
    }
}

void ModeACView::reduceCounts(ModeACCodeCounts& counts)
{
    for (int32_t& c : counts.count) {
        if (c > 10)
            c = 5;
        else if (c >= 6)
            c = 2;
        else if (c >= 1)
            c = 1;
        else
            c = 0;
    }
}

} // namespace varnock
