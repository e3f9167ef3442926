// Columns and lines of the aircraft view.
#include <gtest/gtest.h>

#include <string>

#include "core/flight.h"
#include "flights/list_lines.h"

using namespace varnock;

namespace {

TFlight aircraft()
{
    TFlight r;
    r.icao.assign("4CA2D1", 6);
    r.callsign.assign("RYR4RT  ", 8);
    r.squawk.assign("7000", 4);
    return r;
}

} // namespace

TEST(ListColumns, AltitudeAndVerticalRate)
{
    const struct {
        int altitude;
        const char* altstr;
        int mcp;
        const char* text;
    } alts[] = {
        {35000, "F350", 350, "F350=   "}, {35000, "F350", 360, "F350>360"}, {34960, "F350", 350, "F350=   "},
        {35060, "F351", 350, "F351>350"}, {35000, "F350", kUnknown, "F350    "}, {kUnknownAlt, "", 50, "    >050"},
        // Altitudes x50-x59 still match the level below, whatever the flight-level text says.
        {35050, "F350", 350, "F350=   "}, {35059, "F351", 350, "F351=   "}, {35059, "F351", 351, "F351>351"},
        {34959, "F350", 350, "F350>350"},
        // -998 is a value, -999 and below (an impossible Gillham code among them) are not.
        {-998, "F000", -998, "F000>-998"}, {-999, "", kUnknown, "        "}, {-1000, "", -999, "        "},
    };
    for (const auto& c : alts) {
        TFlight r = aircraft();
        r.altitude = c.altitude;
        r.altstr.assign(c.altstr, std::char_traits<char>::length(c.altstr));
        r.mcpalt = c.mcp;
        EXPECT_EQ(altColumn(r), c.text) << c.altitude << " " << c.mcp;
    }
    const std::pair<int, const char*> rates[] = {{kUnknownAlt, "   "}, {1000, "+10"}, {-640, "- 6"}, {64, "   "},
                                                 {-100, "   "},        {128, "+ 1"},  {-128, "- 1"},
                                                 {-99998, "-999"}};
    for (const auto& [v, s] : rates) {
        TFlight r = aircraft();
        r.vrate = v;
        EXPECT_EQ(vsColumn(r), s) << v;
    }
}

TEST(ListColumns, PositionMark)
{
    const struct {
        double lat;
        int posage, sfcEven, sfcOdd, airEven, airOdd;
        char mark;
    } cases[] = {
        {kUnknownPos, 5, 0, 0, 0, 0, ' '}, {51.5, 2, -1, -1, 3, -1, '*'}, {51.5, 1, -1, -1, 3, -1, 'e'},
        {51.5, 0, -1, -1, -1, 3, 'o'},     {51.5, 0, 0, -1, -1, 3, 'e'},  {51.5, 0, -1, 0, 3, -1, 'o'},
        {51.5, 0, -1, -1, -1, -1, '~'},
    };
    for (const auto& c : cases) {
        TFlight r = aircraft();
        r.lat = c.lat;
        r.posage = c.posage;
        r.sfceven.age = c.sfcEven;
        r.sfcodd.age = c.sfcOdd;
        r.aireven.age = c.airEven;
        r.airodd.age = c.airOdd;
        EXPECT_EQ(flagsColumn(r)[1], c.mark) << c.lat << " " << c.posage;
    }
}

TEST(ListColumns, FlagsCountDownTheRecord)
{
    TFlight r = aircraft();
    r.onground = 1;
    r.alert = 2;
    r.emergency = 1;
    r.icflag = kUnknown;
    r.spi = 3;
    r.posage = 4;
    r.lat = 10.0;
    r.bds40 = r.bds60 = 1;
    r.tc30 = r.tc31 = 1;
    EXPECT_EQ(flagsColumn(r), std::string("G*. .") + char(7));
    EXPECT_EQ(r.alert, 1);
    EXPECT_EQ(r.emergency, 0);
    EXPECT_EQ(r.icflag, kUnknown);
    EXPECT_EQ(r.spi, 2);
    EXPECT_EQ(r.posage, 3);
}

TEST(ListLines, PlainLineMatchesHeaderAndSortedLineCarriesKey)
{
    EXPECT_STREQ(kListHeader, "ICAO   C/S      ALT..MCP V/S GS  TT  SSR  G*456^");
    EXPECT_STREQ(kSortedListHeader, "                 #ICAO   C/S      ALT..MCP V/S GS  TT  SSR  G*456^");

    TFlight r = aircraft();
    r.altitude = 35000;
    r.altstr.assign("F350", 4);
    r.mcpalt = 350;
    r.vrate = -640;
    r.gs = 45;
    r.track = 87;
    r.lat = 51.0;
    r.aireven.age = 2;
    r.bds50 = 1;
    r.tc28 = 1;
    const AircraftColumns c = aircraftColumns(r);
    const std::string line = plainLine(c);
    EXPECT_EQ(line, std::string("4CA2D1 RYR4RT   F350=    - 6  45 087 7000  e . ") + char(2));
    EXPECT_EQ(line.size(), std::string(kListHeader).size());

    const char* keys[] = {"", "4CA2D1", "RYR4RT  ", "F350=   ", "- 6", " 45", "087", "7000", ""};
    for (int col = 0; col <= 8; ++col) EXPECT_EQ(sortedLine(c, col), keys[col] + ("#" + line)) << col;
}
