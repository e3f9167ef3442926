// The aircraft view fed by a synthesized sky: one line per aircraft, showing its own identity.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "receiver/receiver.h"
#include "flights/list_lines.h"
#include "synth/scenario.h"

using namespace varnock;

TEST(SkyList, AircraftViewShowsEveryAircraftWithItsIdentity)
{
    VirtualClock clock;
    NullLineSink lines;
    Receiver rx{clock, lines};
    rx.controls.sblist = false;
    synth::Scenario scenario{synth::demoSkyParams(3)};
    std::vector<uint8_t> buffer(2048000);
    for (int n = 0; n < 24; ++n) { // four 512 ms buffers per 2 s round
        scenario.renderBuffer(static_cast<uint64_t>(n), buffer.data());
        rx.audiotimerTimer(buffer.data());
        if (n % 4 == 3) rx.datacntrTimer(1000);
    }

    const ListModel& l = rx.list;
    ASSERT_GE(l.count(), scenario.aircraftCount() - 1);
    EXPECT_EQ(l.text(0), kListHeader);
    std::set<std::string> seen;
    for (int i = 1; i < l.count(); ++i) {
        const std::string& line = l.text(i);
        ASSERT_GE(line.size(), 47u) << line;
        EXPECT_EQ(line.substr(0, 6), rx.table[l.data(i)].icao.c_str());
        const int a = scenario.findAircraft(static_cast<uint32_t>(std::stoul(line.substr(0, 6), nullptr, 16)));
        ASSERT_GE(a, 0) << line;
        std::string callsign = scenario.aircraft(a).callsign;
        callsign.resize(8, ' ');
        EXPECT_EQ(line.substr(7, 8), callsign) << line;
        EXPECT_EQ(line.substr(37, 4), scenario.aircraft(a).squawk) << line;
        seen.insert(line.substr(0, 6));
    }
    EXPECT_EQ(static_cast<int>(seen.size()), l.count() - 1);
    EXPECT_EQ(rx.round.panels.text[4], "A/C: " + std::to_string(l.count() - 1));
}
