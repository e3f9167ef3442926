// HTTP page texts: formatters, dispatch, the three tables, status page and greeting.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/line_sink.h"
#include "receiver/receiver.h"
#include "flights/http_tables.h"

using namespace varnock;

namespace {

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> out(1);
    for (char c : s) {
        if (c == sep)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

template <typename F, typename V>
std::string fmt(F f, V v)
{
    std::string s = "<";
    f(s, v);
    return s;
}

struct Rig {
    // 2026-01-01 00:00:00 UTC + 1 h 2 min 3 s
    VirtualClock clock{VirtualClock::kDefaultStartMs + 3723000};
    NullLineSink lines;
    std::unique_ptr<Receiver> rx = std::make_unique<Receiver>(clock, lines);
    HttpPageInputs in;
    Rig()
    {
        rx->controls.sblist = false; // aircraft view: tables answer
        in.config.table[0] = "table1";
        in.config.table[1] = "table2";
        in.config.table[2] = "table3";
        in.config.table[3] = "status";
    }
    int64_t now() const { return clock.shiftedUnixSeconds(); }
    TFlight& add(int index, const char* icao)
    {
        TFlight& f = (*rx).table[index];
        f = TFlight{};
        f.inuse = 1;
        (*rx).table.setAddress(index, icao);
        f.callsign.fill(' ', 8);
        f.squawk.fill(' ', 4);
        return f;
    }
    HttpReply get(const std::string& path, bool gzip = false) { return http1CommandGet(path, gzip, rx->httpSources(), in); }
};

} // namespace

TEST(HttpFormat, IntegersAndAges)
{
    using namespace httpfmt;
    const struct {
        int64_t v;
        const char *intText, *int5Text, *ageText;
    } cases[] = {
        {-99999, "<", "<", "<-99999"}, {-99998, "<", "<-99998", "<-99998"}, {-999, "<", "<-999", "<-999"},
        {-998, "<-998", "<-998", "<-998"}, {0, "<0", "<0", "<0"}, {37000, "<37000", "<37000", "<37000"},
        {1000000, "<1000000", "<1000000", "<1000000"}, {1000001, "<1000001", "<1000001", "<"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fmt(appendInt, c.v), c.intText) << c.v;
        EXPECT_EQ(fmt(appendInt5, c.v), c.int5Text) << c.v;
        EXPECT_EQ(fmt(appendAge, c.v), c.ageText) << c.v;
    }
    EXPECT_EQ(fmt(appendPlain, int64_t(-999)), "<-999");
}

TEST(HttpFormat, FloatsAndCuts)
{
    using namespace httpfmt;
    const struct {
        double v;
        const char *full, *cut8, *cut9;
    } cases[] = {
        {52.3701171875, "<52.3701171875", "<52.37011", "<52.370117"},
        {-118.2437255859, "<-118.2437255859", "<-118.243", "<-118.2437"},
        {52.37011718, "<52.37011718", "<52.37011", "<52.370117"},
        {7.0, "<7", "<7", "<7"},
        {-0.5, "<-0.5", "<-0.5", "<-0.5"},
        {-0.0, "<0", "<0", "<0"},
        {0.1, "<0.1", "<0.1", "<0.1"},
        {1.0 / 3.0, "<0.333333333333333", "<0.333333", "<0.3333333"},
        {-998.5, "<-998.5", "<-998.5", "<-998.5"},
        {-999.0, "<", "<", "<"},
        {-1500.0, "<", "<", "<"},
        // Near zero: fixed notation, never an exponent.
        {0.0000762939453125, "<0.0000762939453125", "<0.000076", "<0.0000762"},
        {-0.0000763, "<-0.0000763", "<-0.00007", "<-0.000076"},
        {1e-9, "<0.000000001", "<0.000000", "<0.0000000"},
        {-1e-9, "<-0.000000001", "<-0.00000", "<-0.000000"},
        {179.9999999, "<179.9999999", "<179.9999", "<179.99999"},
        {1e16, "<10000000000000000", "<10000000", "<100000000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fmt(appendFloat, c.v), c.full) << c.v;
        std::string s8 = "<", s9 = "<";
        appendFloatCut(s8, c.v, 8);
        appendFloatCut(s9, c.v, 9);
        EXPECT_EQ(s8, c.cut8) << c.v;
        EXPECT_EQ(s9, c.cut9) << c.v;
    }
    EXPECT_EQ(fmt(appendFloat, 1.5e-300), "<0." + std::string(299, '0') + "15");
    EXPECT_EQ(fmt(appendFloat, -4.9406564584124654e-324), "<-0." + std::string(323, '0') + "494065645841247");
}

TEST(HttpFormat, VerticalRateTrimAndFlag)
{
    using namespace httpfmt;
    const struct {
        int32_t vrate;
        const char* text;
    } cases[] = {{50, "<+0"},     {-50, "<0"},        {1250, "<+12"}, {-1250, "<-12"}, {-99999, "<"},
                 {0, "<0"},       {1, "<+0"},         {100, "<+1"},   {-100, "<-1"},   {-1000, "<-10"},
                 {-99998, "<-999"}, {6400, "<+64"}};
    for (const auto& c : cases) EXPECT_EQ(fmt(appendVs100, c.vrate), c.text) << c.vrate;
    EXPECT_EQ(fmt(appendTrim, std::string_view("  AB C  ")), "<AB C");
    EXPECT_EQ(fmt(appendTrim, std::string_view("    ")), "<");
    EXPECT_EQ(fmt(appendFlag, true), "<1");
    EXPECT_EQ(fmt(appendFlag, false), "<0");
}

TEST(HttpDispatch, NamesInOrderCaseSensitiveEmptyIsRoot)
{
    HttpConfig cfg;
    cfg.table[0] = "table1";
    cfg.table[1] = "table1"; // equal names: the lower table answers
    cfg.table[2] = "";
    cfg.table[3] = "A123456";
    EXPECT_EQ(httpDispatch("/table1", cfg), HttpPage::Table1);
    EXPECT_EQ(httpDispatch("/", cfg), HttpPage::Table3);
    EXPECT_EQ(httpDispatch("/A123456", cfg), HttpPage::Status);
    for (const char* other : {"/Table1", "/table1/", "table1", "/table12", "", "//", "/a123456"})
        EXPECT_EQ(httpDispatch(other, cfg), HttpPage::Greeting) << other;
}

TEST(HttpPages, NodataUnlessModeSDownAndListUp)
{
    Rig r;
    r.add(0, "4CA2D1");
    const struct {
        bool modes, modeac, list, nodata;
    } states[] = {{true, false, false, false}, {true, false, true, true}, {false, true, false, true},
                  {false, false, false, true}, {false, true, true, true}};
    for (const auto& st : states) {
        r.rx->controls.sbmodes = st.modes;
        r.rx->controls.sbmodeac = st.modeac;
        r.rx->controls.sblist = st.list;
        for (const char* doc : {"/table1", "/table2", "/table3"}) {
            HttpReply rep = r.get(doc, true);
            EXPECT_EQ(rep.nodata, st.nodata) << doc;
            if (st.nodata) {
                EXPECT_EQ(rep.body, "NODATA");
                EXPECT_FALSE(rep.compress);
                EXPECT_STREQ(rep.contentType(), "text/plain");
                EXPECT_EQ(rep.ledColour, 255);
            } else {
                EXPECT_TRUE(rep.compress);
                EXPECT_STREQ(rep.contentType(), "application/gzip");
                EXPECT_EQ(rep.ledColour, 16711808);
            }
            EXPECT_TRUE(rep.ledOn);
        }
        HttpReply status = r.get("/status");
        EXPECT_EQ(status.page, HttpPage::Status);
        EXPECT_TRUE(status.ledOn);
        EXPECT_EQ(status.ledColour, 16711808);
    }
}

TEST(HttpPages, EmptyTableAndGreeting)
{
    Rig r;
    for (const char* doc : {"/table1", "/table2", "/table3"}) {
        HttpReply rep = r.get(doc);
        EXPECT_EQ(rep.body, "") << doc;
        EXPECT_TRUE(rep.ledOn);
    }
    HttpReply g = r.get("/Table1", true);
    EXPECT_EQ(g.page, HttpPage::Greeting);
    EXPECT_EQ(g.body, "Good day, this is your VARNOCK V " VARNOCK_VERSION " web server.\n"
                      "You have requested page /Table1, which is not recognized.\n"
                      "We wish you a nice day.\n");
    EXPECT_FALSE(g.ledOn);
    EXPECT_EQ(g.ledColour, 16711808);
    EXPECT_TRUE(g.compress);
}

TEST(HttpPages, Table1LinesInIndexOrder)
{
    Rig r;
    TFlight& a = r.add(5, "4CA2D1");
    a.callsign.assign("RYR4RT  ", 8);
    a.lat = 52.3701171875;
    a.lon = -118.2437255859;
    a.altstr.assign("F350", 4);
    a.track = 271;
    a.gs = 455;
    a.vrate = 50;
    a.squawk.assign("7000", 4);
    r.add(2, "ABCDEF"); // no position, nothing known
    TFlight& gone = r.add(3, "111111");
    gone.inuse = 0;
    r.in.config.stationId = "EHAM1";
    EXPECT_EQ(r.get("/table1").body, ":::ABCDEF:::::::::EHAM1\n"
                                     "RYR4RT:::4CA2D1:52.37011:-118.2437:F350:271:455:+0:7000::EHAM1\n");
    r.in.config.stationId.clear();
    std::string body = r.get("/table1").body;
    EXPECT_EQ(split(split(body, '\n')[0], ':').size(), 13u);
    EXPECT_NE(body.find("::VARNOCK\n"), std::string::npos);
}

TEST(HttpPages, Table2FieldsWindTemperatureAndAges)
{
    Rig r;
    TFlight& a = r.add(0, "4CA2D1");
    a.category.assign("A3", 2);
    a.callsign.assign("KLM1234 ", 8);
    a.lat = 52.37011718;
    a.vrate = -1250;
    a.altitude = 35000;
    a.heading = 90;
    a.track = 90;
    a.tas = 400;
    a.gs = 450;
    a.mach = 780;
    a.lastseen = static_cast<int32_t>(r.now() - 4);
    a.timeout = 27;
    a.slot(kSlotDf11).time = static_cast<int32_t>(r.now());
    a.slot(kSlotIdent).time = static_cast<int32_t>(r.now() - 6);
    std::string body = r.get("/table2").body;
    ASSERT_EQ(body.back(), '\n');
    auto f = split(body.substr(0, body.size() - 1), ':');
    ASSERT_EQ(f.size(), 84u);
    auto at = [&f](int n) { return f[static_cast<std::size_t>(n - 1)]; };
    EXPECT_EQ(at(1), "4CA2D1");
    EXPECT_EQ(at(2), "A3");
    EXPECT_EQ(at(3), "KLM1234");
    EXPECT_EQ(at(9), "52.37011");
    EXPECT_EQ(at(10), "");
    EXPECT_EQ(at(14), "35000");
    EXPECT_EQ(at(18), "");
    EXPECT_EQ(at(20), "-1250");
    EXPECT_EQ(at(21), "-12");
    EXPECT_EQ(at(24), "90");
    EXPECT_EQ(at(29), "780");
    EXPECT_EQ(at(45), "");
    EXPECT_EQ(at(51), "0");
    EXPECT_EQ(at(57), "270"); // tail wind from the west
    EXPECT_EQ(at(58), "50");
    EXPECT_EQ(at(59), "-100");
    for (int n = 60; n <= 81; ++n) {
        const char* want = n == 59 + kSlotDf11 ? "0" : n == 59 + kSlotIdent ? "6" : "";
        EXPECT_EQ(at(n), want) << "field " << n;
    }
    EXPECT_EQ(at(82), std::to_string(r.now() - 4));
    EXPECT_EQ(at(83), "54");
    EXPECT_EQ(at(84), "VARNOCK");

    a.heading = kUnknown;
    a.mach = kUnknown;
    f = split(r.get("/table2").body, ':');
    EXPECT_EQ(f[56], "");
    EXPECT_EQ(f[57], "");
    EXPECT_EQ(f[58], "");
}

TEST(HttpWind, CasesIncludingZeroEastComponent)
{
    const struct {
        int heading, track, tas, gs;
        int dir, speed;
    } cases[] = {
        {90, 90, 400, 450, 270, 50},          // wind vector east: blows from the west
        {0, 0, 400, 350, 0, 50},              // head wind from the north
        {45, 45, 300, 300, 0, 0},             // calm
        {180, 0, 100, 100, 0, 200},           // e exactly 0, n > 0
        {0, 180, 100, 100, 180, 200},         // e exactly 0, n < 0
        {-999, 90, 400, 450, kUnknown, kUnknown},
        {90, -999, 400, 450, kUnknown, kUnknown},
        {90, 90, -999, 450, kUnknown, kUnknown},
        {90, 90, 400, -5, kUnknown, kUnknown},
    };
    for (const auto& c : cases) {
        TFlight f;
        f.heading = c.heading;
        f.track = c.track;
        f.tas = c.tas;
        f.gs = c.gs;
        Wind w = windOf(f);
        EXPECT_EQ(w.direction, c.dir) << c.heading << " " << c.track;
        EXPECT_EQ(w.speed, c.speed) << c.heading << " " << c.track;
    }
}

TEST(HttpTemperature, KnownAndUnknown)
{
    const struct {
        int tas, mach, t;
    } cases[] = {{450, 780, -54}, {250, 400, -16}, {0, 780, kUnknown}, {450, 0, kUnknown},
                 {kUnknown, 780, kUnknown}, {450, kUnknown, kUnknown}, {-20, 780, kUnknown},
                 {2000, 1, kUnknown}}; // the last overflows
    for (const auto& c : cases) {
        TFlight f;
        f.tas = c.tas;
        f.mach = c.mach;
        EXPECT_EQ(staticAirTemperature(f), c.t) << c.tas << " " << c.mach;
    }
}

TEST(HttpPages, Table3RawTexts)
{
    Rig r;
    TFlight& a = r.add(0, "4CA2D1");
    a.hexdf16.assign("80E1971A58B9A72E4AC2BD000000", 28);
    a.hextc31.assign("8D4CA2D1F8230002004AB8C7E4BB", 28);
    r.add(1, "ABCDEF");
    EXPECT_EQ(r.get("/table3").body, "4CA2D1::80E1971A58B9A72E4AC2BD000000:::::8D4CA2D1F8230002004AB8C7E4BB\n"
                                     "ABCDEF:::::::\n");
}

TEST(HttpPages, StatusPage)
{
    Rig r;
    r.rx->home = {51.475, 7.2041666666666666, true};
    r.rx->options.portBase = 32000;
    r.rx->controls.sbudpout = true;
    r.in.config.stationId = "";
    r.in.config.udpHost = "10.0.0.2";
    r.in.config.udpPort = "31x";
    r.in.device.commandLine = "/opt/varnock/varnock run portbase=32000";
    r.in.device.tunerType = 5;
    r.in.device.currentGainDb = 49.6;
    r.in.device.tunerAgc = false;
    r.in.device.explorerVisible = true;
    const std::string want = "VARNOCK - Version=V " VARNOCK_VERSION "\n"
                             "FORMAT=1:1:1\n"
                             "UTC=" + std::to_string(r.now()) + ":2026-01-01-01-02-03\n"
                             "HOME=51.475:7.20416666666667:1:\n"
                             "CMDLINE=/opt/varnock/varnock run portbase=32000\n"
                             "TUNER=5\n"
                             "GAIN=0:49.6:1\n"
                             "UDP=1:10.0.0.2:31x\n"
                             "IP=32000:0\n"
                             "MODE=1:0:0\n"
                             "SISEX=1:0\n";
    EXPECT_EQ(r.get("/status").body, want);
    EXPECT_EQ(r.now(), (VirtualClock::kDefaultStartMs + 3723000) / 1000 - 7200);
    EXPECT_EQ(httpTableText(4, r.rx->httpSources(), r.in), want);
}

TEST(HttpPages, Table2WholeLineWithEveryFieldDistinct)
{
    // Every field holds a value no other field holds, so a swapped, shifted or dropped column shows.
    Rig r;
    TFlight& a = r.add(0, "4CA2D1");
    a.category.assign("A3", 2);
    a.callsign.assign(" KLM1234", 8);
    a.fs = 1;
    a.ca = 2;
    a.dr = 3;
    a.um = 4;
    a.squawk.assign("7000", 4);
    a.lat = 52.3701171875;
    a.lon = -0.0000763;
    a.nic = 5;
    a.nucr = 6;
    a.altstr.assign("F350", 4);
    a.altitude = 35000;
    a.metric = 7;
    a.gillham = 8;
    a.altdiff = -75;
    a.gnssalt = 35100;
    a.vrsource = 9;
    a.vrate = -1250;
    a.hdgstatus = 10;
    a.track = 270;
    a.heading = 180; // air vector south, ground vector west: wind from 143 at 500
    a.airspeedtype = 11;
    a.ias = 250;
    a.tas = 400;
    a.gs = 300;
    a.mach = 650; // -23.66 degrees
    a.altsource = 12;
    a.roll = -13;
    a.trackrate = 14;
    a.mcpalt = 350;
    a.fmsalt = 360;
    a.qnh = 1013;
    a.mcpmode = 15;
    a.emergency = 16;
    a.emerstate = 17;
    a.acas = 18;
    a.alert = 19;
    a.spi = 20;
    a.onground = 21;
    a.icflag = 22;
    a.supersonic = 23;
    a.timebit = 24;
    a.ri = 25;
    a.df0bit = 26;
    a.sl = 27;
    a.esdf = 28;
    a.bds40 = 29;
    a.bds50 = 30;
    a.bds60 = 31;
    a.tc31 = 32;
    a.tc30 = 33;
    a.tc28 = 34;
    for (int n = 1; n <= kSlotCount; ++n) a.slot(n).time = static_cast<int32_t>(r.now() - 1000 - n);
    a.lastseen = static_cast<int32_t>(r.now() - 4);
    a.timeout = 27;
    r.in.config.stationId = "EHAM1";
    const std::string want = "4CA2D1:A3:KLM1234:1:2:3:4:7000:52.37011:-0.000076:5:6:F350:35000:7:8:-75:35100:9:"
                             "-1250:-12:10:270:180:11:250:400:300:650:12:-13:14:350:360:1013:15:16:17:18:19:20:"
                             "21:22:23::24:25:26:27:28:29:30:31:32:33:34:143:500:-24:"
                             "1001:1002:1003:1004:1005:1006:1007:1008:1009:1010:1011:1012:1013:1014:1015:1016:"
                             "1017:1018:1019:1020:1021:1022:" +
                             std::to_string(r.now() - 4) + ":54:EHAM1\n";
    EXPECT_EQ(r.get("/table2").body, want);
}

TEST(HttpPages, PositionsNearZeroInTable1AndHome)
{
    Rig r;
    TFlight& a = r.add(0, "4CA2D1");
    a.lat = 51.5;
    a.lon = 0.0000762939453125; // one CPR step east of the meridian
    TFlight& b = r.add(1, "ABCDEF");
    b.lat = -0.0000763;
    b.lon = -1e-9;
    EXPECT_EQ(r.get("/table1").body, ":::4CA2D1:51.5:0.0000762:::::::VARNOCK\n"
                                     ":::ABCDEF:-0.00007:-0.000000:::::::VARNOCK\n");
    r.rx->home = {-0.0000763, 1e-9, true};
    const std::string status = r.get("/status").body;
    EXPECT_NE(status.find("\nHOME=-0.0000763:0.000000001:1:\n"), std::string::npos) << status;
}
