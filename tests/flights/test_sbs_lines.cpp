// 30003-style lines: exact layouts, field texts, and which lines a decoded frame produces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/line_sink.h"
#include "core/flight.h"
#include "flights/sbs_lines.h"

using namespace varnock;

namespace {

class RecordingSink final : public LineSink {
public:
    bool connected = true;
    std::vector<std::string> lines;
    bool anyLineClient() const override { return connected; }
    void sendToLineClients(std::string_view line) override { lines.emplace_back(line); }
};

// Every reading is one second later, so a line pair that shares a stamp proves a single reading.
class SteppingClock final : public Clock {
public:
    mutable int readings = 0;
    int64_t utcMs() const override { return 1772600760000LL + readings * 1000LL; }
    LocalDateTime localTime() const override { return {2026, 3, 4, 5, 6, readings++}; }
};

constexpr const char* kT = "2026/01/01,00:00:00.000";

std::string stamp() { return lineTimeStamp(VirtualClock().localTime()); }

std::string prefix(const char* kind)
{
    return std::string(kind) + ",111,11111,4840D6,111111," + kT + "," + kT;
}

TFlight known()
{
    TFlight r;
    r.icao.assign("4840D6", 6);
    r.callsign.assign("KLM1023 ", 8);
    r.squawk.assign("7700", 4);
    r.altitude = 38000;
    r.gs = 431;
    r.track = 182;
    r.vrate = -832;
    r.lat = 52.2572;
    r.lon = 3.9194;
    r.alert = 6;
    r.emergency = 0;
    r.onground = 0;
    return r;
}

TFlight unknown()
{
    TFlight r;
    r.icao.assign("4840D6", 6);
    r.callsign.fill(' ', 8);
    r.squawk.fill(' ', 4);
    return r;
}

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out(1);
    for (char c : line.substr(0, line.size() - 2)) {
        if (c == ',') out.emplace_back();
        else out.back() += c;
    }
    return out;
}

} // namespace

TEST(SbsStamp, DateAndTimeFields)
{
    EXPECT_EQ(lineTimeStamp({2026, 1, 2, 3, 4, 5}), "2026/01/02,03:04:05.000");
    EXPECT_EQ(lineTimeStamp({12345, 12, 31, 23, 59, -1}), "12345/12/31,23:59:00.000"); // widens, never signed
    VirtualClock c;
    c.advanceMs(86400000LL + 3723999);
    EXPECT_EQ(lineTimeStamp(c.localTime()), "2026/01/02,01:02:03.000");
}

TEST(SbsLines, AirAndStaExact)
{
    const std::string t = stamp();
    EXPECT_EQ(airLine("4840D6", t), std::string("AIR,,111,11111,4840D6,111111,") + kT + "," + kT + "\r\n");
    for (const char* st : {"OK", "AD", "RM"})
        EXPECT_EQ(staLine("4840D6", t, st),
                  std::string("STA,,111,11111,4840D6,111111,") + kT + "," + kT + "," + st + "\r\n");
    EXPECT_EQ(idLine(known(), t), std::string("ID,,111,11111,4840D6,111111,") + kT + "," + kT + ",KLM1023\r\n");
}

TEST(SbsLines, MsgLayoutsByteForByte)
{
    const TFlight r = known();
    const std::string t = stamp();
    const struct { int type; std::string tail; } cases[] = {
        {1, ",KLM1023,,,,,,,,,,,"},
        {2, ",,38000,431.0,182.0,52.2572,3.9194,,,,,,-1"},
        {3, ",,38000,,,52.2572,3.9194,,,-1,0,,0"},
        {4, ",,,431.0,182.0,,,-832,,,,,"},
        {5, ",,38000,,,,,,,-1,,,0"},
        {6, ",,38000,,,,,,7700,-1,0,,0"},
        {7, ",,38000,,,,,,,,,0"},
        {8, ",,,,,,,,,,,,0"},
    };
    for (const auto& c : cases) {
        const std::string kind = "MSG," + std::to_string(c.type);
        EXPECT_EQ(msgLine(c.type, r, t), prefix(kind.c_str()) + c.tail + "\r\n") << kind;
    }
}

TEST(SbsLines, FieldCountsWhateverIsKnown)
{
    for (const TFlight& r : {known(), unknown()}) {
        for (int type = 1; type <= 8; ++type) {
            const std::string line = msgLine(type, r, stamp());
            ASSERT_GE(line.size(), 2u);
            EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
            EXPECT_EQ(fields(line).size(), type == 7 ? 21u : 22u) << type;
        }
    }
}

TEST(SbsFields, NumbersAtTheirUnknownLimits)
{
    struct Case { int32_t alt, gs, trk, vr; const char* a; const char* g; const char* k; const char* v; };
    const Case cases[] = {
        {-999, -999, -999, -99999, "", "", "", ""},
        {-998, -998, -998, -99998, "-998", "-998.0", "-998.0", "-99998"},
        {0, 0, 360, 0, "0", "0.0", "360.0", "0"},
        {-1000, 431, 90, 64, "", "431.0", "90.0", "64"},
    };
    for (const Case& c : cases) {
        TFlight r = known();
        r.altitude = c.alt;
        r.gs = c.gs;
        r.track = c.trk;
        r.vrate = c.vr;
        const auto f2 = fields(msgLine(2, r, stamp()));
        const auto f4 = fields(msgLine(4, r, stamp()));
        EXPECT_EQ(f2[11], c.a);
        EXPECT_EQ(f4[12], c.g);
        EXPECT_EQ(f4[13], c.k);
        EXPECT_EQ(f4[16], c.v);
    }
}

TEST(SbsFields, LatitudeAndLongitudeTexts)
{
    struct Case { double v; const char* text; };
    const Case cases[] = {
        {51.1234567890123, "51.12345678"},
        {-0.5, "-0.5"},
        {52.2572, "52.2572"},
        {4.0, "4"},
        {-122.123456789012, "-122.123456"},
        {0.0, "0"},
        {-33.94610000000001, "-33.9461"}, // 15 significant digits hide the binary tail
        // Near zero: fixed notation, never an exponent that the cut would turn into another number.
        {0.0000762939453125, "0.000076293"},
        {-0.0000763, "-0.0000763"},
        {0.00001, "0.00001"},
        {0.0001, "0.0001"},
        {1e-9, "0.000000001"},
        {-1e-9, "-0.00000000"},
        {-0.0, "0"},
        {179.9999999, "179.9999999"},
        {-179.99999999999, "-179.999999"},
    };
    for (const Case& c : cases) {
        TFlight r = known();
        r.lat = c.v;
        r.lon = c.v;
        const auto f = fields(msgLine(3, r, stamp()));
        EXPECT_EQ(f[14], c.text);
        EXPECT_EQ(f[15], c.text);
    }
}

TEST(SbsFields, TextsTrimmed)
{
    TFlight r = known();
    r.callsign.assign(" AB 12  ", 8);
    r.squawk.assign(" 12 ", 4);
    EXPECT_EQ(fields(msgLine(1, r, stamp()))[10], "AB 12");
    EXPECT_EQ(fields(msgLine(6, r, stamp()))[17], "12");
}

TEST(SbsFields, FlagsGroundAndCountdowns)
{
    // GND reads the parity of `onground`; the countdowns read as set while above 0.
    struct Case { int32_t v; const char* gnd; const char* countdown; };
    const Case cases[] = {
        {-99999, "", ""}, {-999, "", ""}, {-998, "0", "0"}, {-1, "-1", "0"}, {0, "0", "0"},
        {1, "-1", "-1"}, {2, "0", "-1"}, {6, "0", "-1"}, {99998, "0", "-1"}, {99999, "-1", "-1"},
    };
    for (const Case& c : cases) {
        TFlight r = known();
        r.onground = c.v;
        r.alert = c.v;
        r.emergency = c.v;
        r.spi = c.v;
        const auto f6 = fields(msgLine(6, r, stamp()));
        EXPECT_EQ(f6[18], c.countdown) << c.v; // ALERT
        EXPECT_EQ(f6[19], c.countdown) << c.v; // EMERG
        EXPECT_EQ(f6[20], c.countdown) << c.v; // SPI
        EXPECT_EQ(f6[21], c.gnd) << c.v;
        EXPECT_EQ(fields(msgLine(7, r, stamp()))[20], c.gnd);
        // The surface line states "on the ground" whatever the record holds.
        EXPECT_EQ(fields(msgLine(2, r, stamp()))[21], "-1");
    }
}

TEST(SbsEmit, LinePerDecodedFrame)
{
    struct Case {
        int label, tc;
        bool altKnown, posKnown, callsignChanged;
        std::vector<std::string> kinds;
    };
    const Case cases[] = {
        {0, 0, true, true, false, {"MSG,7"}},
        {0, 0, false, true, false, {}},
        {16, 0, false, true, false, {}},
        {4, 0, false, false, false, {"MSG,5"}},
        {20, 0, false, false, false, {"MSG,5"}},
        {5, 0, false, false, false, {"MSG,6"}},
        {21, 0, false, false, false, {"MSG,6"}},
        {11, 0, false, false, false, {"MSG,8"}},
        {17, 4, true, true, false, {"MSG,1"}},
        {17, 1, true, true, true, {"ID,", "MSG,1"}},
        {17, 7, true, true, false, {"MSG,2"}},
        {17, 5, true, false, false, {}},
        {17, 11, true, true, false, {"MSG,3"}},
        {17, 18, true, false, false, {}},
        {17, 19, false, false, false, {"MSG,4"}},
        {17, 28, true, true, false, {}},
        {18, 11, true, true, false, {}},
    };
    for (const Case& c : cases) {
        TFlight r = known();
        if (!c.altKnown) r.altitude = kUnknownAlt;
        if (!c.posKnown) r.lat = r.lon = kUnknownPos;
        RecordingSink sink;
        SteppingClock clock;
        emitFrameLine(sink, clock, c.label, c.tc, r, c.callsignChanged);
        ASSERT_EQ(sink.lines.size(), c.kinds.size()) << c.label << "/" << c.tc;
        for (std::size_t i = 0; i < c.kinds.size(); ++i)
            EXPECT_EQ(sink.lines[i].rfind(c.kinds[i], 0), 0u) << c.label << "/" << c.tc << ": " << sink.lines[i];
        EXPECT_LE(clock.readings, 1); // one stamp per frame, shared by ID and MSG,1
        if (sink.lines.size() == 2) {
            EXPECT_EQ(fields(sink.lines[0])[7], fields(sink.lines[1])[7]);
        }
    }
}

TEST(SbsEmit, NothingBuiltWithoutClient)
{
    RecordingSink sink;
    sink.connected = false;
    SteppingClock clock;
    const TFlight r = known();
    for (int label : {0, 4, 5, 11, 16, 17, 20, 21}) emitFrameLine(sink, clock, label, 1, r, true);
    sendAirLine(sink, clock, "4840D6");
    sendStaLine(sink, clock, "4840D6", "RM");
    EXPECT_TRUE(sink.lines.empty());
    EXPECT_EQ(clock.readings, 0);
}

TEST(SbsEmit, AirAndStaEventsUseOneStamp)
{
    RecordingSink sink;
    SteppingClock clock;
    sendAirLine(sink, clock, "ABCDEF");
    sendStaLine(sink, clock, "ABCDEF", "AD");
    ASSERT_EQ(sink.lines.size(), 2u);
    EXPECT_EQ(sink.lines[0], "AIR,,111,11111,ABCDEF,111111,2026/03/04,05:06:00.000,2026/03/04,05:06:00.000\r\n");
    EXPECT_EQ(sink.lines[1], "STA,,111,11111,ABCDEF,111111,2026/03/04,05:06:01.000,2026/03/04,05:06:01.000,AD\r\n");
}

TEST(SbsLines, PositionJustEastOfGreenwichWholeLine)
{
    TFlight r = known();
    r.lat = 51.5;
    r.lon = 0.0000762939453125; // one CPR step east of the meridian
    EXPECT_EQ(msgLine(3, r, stamp()), prefix("MSG,3") + ",,38000,,,51.5,0.000076293,,,-1,0,,0\r\n");
    r.lon = -r.lon;
    EXPECT_EQ(msgLine(2, r, stamp()), prefix("MSG,2") + ",,38000,431.0,182.0,51.5,-0.00007629,,,,,,-1\r\n");
}
