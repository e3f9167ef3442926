// The 2 s round: rates and LEDs, noise text, the Mode-S list view and the Mode A/C view with count ageing.
#include <gtest/gtest.h>

#include <string>

#include "receiver/receiver.h"
#include "flights/list_lines.h"
#include "test_support.h"

using namespace varnock;

namespace {

struct Rig {
    VirtualClock clock;
    test::RecordingLineSink lines;
    Receiver rx{clock, lines};
    ListModel& list = rx.list;

    Rig()
    {
        lines.connected = false;
        rx.controls.sblist = false; // aircraft view
    }

    // One round after one processed buffer.
    void round()
    {
        rx.tick.counters.noiseSum += 4;
        rx.tick.counters.noiseCount += 1;
        rx.datacntrTimer(0);
    }

    // Takes records up to `index` (the others get a dummy address) and accepts them.
    TFlight& add(int index, const char* icao)
    {
        for (;;) {
            const int i = rx.table.allocFlight(30);
            TFlight& r = rx.table[i];
            r.inuse = 1;
            rx.table.setAddress(i, i == index ? icao : "FFFFFF");
            if (i == index) return r;
        }
    }

    void modeAC()
    {
        rx.controls.sbmodes = false;
        rx.controls.sbmodeac = true;
    }
};

} // namespace

TEST(Round, RatesAndPacketLeds)
{
    const struct {
        int packets;
        uint32_t blocks;
        const char* panel0;
        const char* panel1;
        int lit; // the first `lit` of ALed1-5, ALed7
    } cases[] = {
        {91, 501, "250/sec ", "46/sec ", 4},
        {1, 3, "2/sec ", "0/sec ", 0},
        {250, 0, "0/sec ", "125/sec ", 6},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.rx.leds[8] = rig.rx.leds[10] = rig.rx.leds[5] = true;
        rig.rx.tick.counters.packetCounter = c.packets;
        rig.rx.datacntrTimer(c.blocks);
        EXPECT_EQ(rig.rx.round.panels.text[0], c.panel0);
        EXPECT_EQ(rig.rx.round.panels.text[1], c.panel1);
        const int leds[] = {1, 2, 3, 4, 5, 7};
        for (int k = 0; k < 6; ++k) EXPECT_EQ(rig.rx.leds[leds[k]], k < c.lit) << c.packets << " ALed" << leds[k];
        EXPECT_FALSE(rig.rx.leds[8] || rig.rx.leds[10]);
        EXPECT_EQ(rig.rx.tick.counters.packetCounter, 0);
    }
}

TEST(Round, WithoutProcessedBufferOnlyRatesChange)
{
    Rig rig;
    TFlight& r = rig.add(0, "4CA2D1");
    r.spi = 3;
    rig.list.add("kept");
    rig.rx.round.panels.text[2] = "two";
    rig.rx.round.panels.text[4] = "four";
    rig.rx.datacntrTimer(0);
    EXPECT_EQ(rig.rx.round.panels.text[2], "two");
    EXPECT_EQ(rig.rx.round.panels.text[4], "four");
    EXPECT_EQ(rig.rx.round.trayTip, "VARNOCK");
    EXPECT_EQ(rig.list.count(), 1);
    EXPECT_EQ(r.timeout, 30);
    EXPECT_EQ(r.spi, 3);
}

TEST(Round, NoiseTextAndTrayTip)
{
    EXPECT_EQ(noiseLevelText(8, 2), "THR: -85db [4]");
    EXPECT_EQ(noiseLevelText(5, 2), "THR: -89db [2]"); // 2.5 rounds to even
    EXPECT_EQ(noiseLevelText(0, 3), "THR: ---db [0]");

    Rig rig;
    rig.rx.tick.counters.packetCounter = 91;
    rig.round();
    EXPECT_EQ(rig.rx.round.panels.text[2], "THR: -85db [4]");
    EXPECT_EQ(rig.rx.tick.counters.noiseCount, 0);
    EXPECT_EQ(rig.rx.round.trayTip, "VARNOCK: 46/sec ");
}

TEST(ModeSView, RebuildsListWithHeaderAndRecordIndices)
{
    Rig rig;
    rig.add(0, "4CA2D1");
    rig.add(2, "3C6586").spi = 2;
    rig.rx.table[1].inuse = 0;
    rig.list.add("old");
    rig.list.hasFocus = true;
    rig.round();

    ASSERT_EQ(rig.list.count(), 3);
    EXPECT_EQ(rig.list.text(0), kListHeader);
    EXPECT_EQ(rig.list.text(2).substr(0, 7), "3C6586 ");
    EXPECT_EQ(rig.list.data(2), 2);
    EXPECT_EQ(rig.rx.round.panels.text[4], "A/C: 2");
    EXPECT_EQ(rig.rx.table[0].timeout, 29);
    EXPECT_EQ(rig.rx.table[2].spi, 1);
    EXPECT_FALSE(rig.list.updating());
    EXPECT_TRUE(rig.list.focusToStartPending);
}

TEST(ModeSView, BehindThePacketListTheAircraftAreDecodedOnlyWhenAsked)
{
    for (bool asked : {false, true}) {
        SCOPED_TRACE(asked);
        Rig rig;
        rig.lines.connected = true; // a 30003 client: it gets no decoded lines while packets show
        rig.rx.controls.sblist = true; // packets shown
        rig.rx.round.decodeBehindPackets = asked;
        TFlight& r = rig.add(0, "4CA2D1");
        r.spi = 2;
        const uint8_t df5[14] = {0x28, 0x00, 0x00, 0x00};
        ASSERT_TRUE(rig.rx.table.storeFrame(5, df5, r, 7));
        rig.list.add("packet line");
        rig.round();
        EXPECT_EQ(rig.list.count(), 1);
        EXPECT_EQ(rig.list.text(0), "packet line");
        EXPECT_EQ(std::string(r.squawk.c_str()), asked ? "0000" : "    ");
        EXPECT_EQ(r.spi, asked ? 1 : 2);
        EXPECT_EQ(isKnown(r.lastseen), asked);
        EXPECT_EQ(rig.rx.round.aircraftCount, asked ? 1 : 0);
        EXPECT_EQ(rig.lines.lines, std::vector<std::string>{});
    }
}

TEST(ModeSView, FrozenListKeepsLinesUntilASortIsRequested)
{
    Rig rig;
    rig.add(0, "C00001");
    rig.add(1, "A00002");
    rig.add(2, "B00003").spi = 3;
    rig.round();
    ListModel& l = rig.list;

    l.listFreeze = true;
    rig.round();
    ASSERT_EQ(l.count(), 4);
    EXPECT_EQ(l.text(1).substr(0, 6), "C00001");
    EXPECT_EQ(rig.rx.table[2].spi, 1); // counted down although not shown

    l.listSortRequest = true;
    l.listSortColumn = 1;
    rig.round();
    EXPECT_FALSE(l.listSortRequest);
    ASSERT_EQ(l.count(), 4);
    EXPECT_EQ(l.text(0), kSortedListHeader);
    EXPECT_EQ(l.text(1).substr(0, 14), "A00002#A00002 ");
    EXPECT_EQ(l.data(1), 1);
    EXPECT_EQ(l.data(3), 0);

    l.listFreeze = false;
    rig.round();
    EXPECT_FALSE(l.sorted());
    EXPECT_EQ(l.text(0), kListHeader);
    EXPECT_EQ(l.text(1).substr(0, 6), "C00001");
}

TEST(ModeACView, FlightLevelTable)
{
    const ModeACView v;
    const std::pair<int, int> cases[] = {
        {5124, 350}, // 35,000 ft
        {5134, 351}, // 35,100 ft: whole hundreds, never rounded up
        {5514, 353}, // 35,300 ft: an odd 500 ft count runs the 100 ft steps down
        {620, 0},    // 0 ft
        {660, 0},    // -100 ft, still inside the table's range
        {640, -9},   // -200 ft
        {1200, -9},  // no C pulse
        {1800, -9},  // not an octal code
    };
    for (const auto& [code, fl] : cases) EXPECT_EQ(v.flightLevel(code), fl) << code;
    EXPECT_EQ(v.lineOf(660), "0660 (F000)");
    EXPECT_EQ(v.lineOf(1200), "1200");
}

TEST(ModeACView, ListsCodesAboveTenAndReducesEverySeventhRound)
{
    Rig rig;
    rig.modeAC();
    int32_t* n = rig.rx.modeacCounts.count;
    n[1200] = 11;
    n[5124] = 40;
    n[7000] = 10;
    n[2000] = 6;
    n[4000] = 3;
    n[7700] = -2;

    rig.round();
    ASSERT_EQ(rig.list.count(), 2);
    EXPECT_EQ(rig.list.text(0), "1200");
    EXPECT_EQ(rig.list.text(1), "5124 (F350)");

    for (int i = 0; i < 5; ++i) rig.round();
    EXPECT_EQ(n[1200], 11);
    rig.round();
    const std::pair<int, int> reduced[] = {{1200, 5}, {5124, 5}, {7000, 2}, {2000, 2}, {4000, 1}, {7700, 0}};
    for (const auto& [code, count] : reduced) EXPECT_EQ(n[code], count) << code;
}

TEST(ModeACView, ListRebuiltOnlyForSomeoneLooking)
{
    Rig rig;
    rig.modeAC();
    rig.rx.controls.mainWindowVisible = false;
    rig.rx.modeacCounts.count[1200] = 20;
    rig.list.add("kept");
    rig.round();
    EXPECT_EQ(rig.list.text(0), "kept");

    rig.lines.connected = true;
    rig.round();
    EXPECT_EQ(rig.list.text(0), "1200");
}
