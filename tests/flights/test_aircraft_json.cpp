// Aircraft JSON: whole objects for known, unknown and edge values; the document and the receiver facts.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/clock.h"
#include "core/home_location.h"
#include "core/line_sink.h"
#include "flights/aircraft_json.h"
#include "flights/aircraft_table.h"

using namespace varnock;

namespace {

constexpr int64_t kNowMs = 1767225600000LL + 12345; // 2026-01-01 00:00:12.345 UTC
constexpr int32_t kShiftedNow = static_cast<int32_t>(1767225600LL + 12 - 7200);

class NoLines final : public LineSink {
public:
    bool anyLineClient() const override { return false; }
    void sendToLineClients(std::string_view) override {}
};

TFlight bare(const char* icao = "4840D6")
{
    TFlight r;
    r.inuse = 1;
    r.icao.assign(icao, 6);
    r.callsign.fill(' ', 8); // as a fresh record holds them
    r.squawk.fill(' ', 4);
    return r;
}

std::string json(const TFlight& r)
{
    std::string out;
    appendAircraftObject(r, kNowMs, out);
    return out;
}

constexpr const char* kTail = "\"mlat\":[],\"tisb\":[],\"messages\":0}";

TEST(AircraftJson, NothingKnownLeavesEveryOptionalKeyOut)
{
    // A record as allocated: no zeros, no -999, no empty strings in place of the unknowns.
    EXPECT_EQ(json(bare()), std::string("{\"hex\":\"4840d6\",\"type\":\"mode_s\",") + kTail);
}

TEST(AircraftJson, EveryKnownFieldInItsUnit)
{
    TFlight r = bare("A1B2C3");
    r.esdf = 17;
    r.callsign.assign("KLM1023", 7);
    r.onground = 0;
    r.altitude = 38000;
    r.gnssalt = 38450;
    r.gs = 431;
    r.ias = 250;
    r.tas = 460;
    r.mach = 784;      // thousandths
    r.track = 182;
    r.trackrate = -15; // tenths of a degree per second
    r.roll = -12;
    r.heading = 359;
    r.vrate = -832;
    r.vrsource = 1;
    r.squawk.assign("1000", 4);
    r.emerstate = 0;
    r.category.assign("A3", 2);
    r.qnh = 1013;
    r.mcpalt = 370; // hundreds of feet
    r.fmsalt = 0;
    r.mcpmode = 5;
    r.lat = 52.2572;
    r.lon = -3.9194;
    r.posage = 7;
    r.nic = 8;
    r.messages = 523;
    r.lastseen = kShiftedNow - 3;
    EXPECT_EQ(json(r),
              "{\"hex\":\"a1b2c3\",\"type\":\"adsb_icao\",\"flight\":\"KLM1023 \",\"alt_baro\":38000,"
              "\"alt_geom\":38450,\"gs\":431,\"ias\":250,\"tas\":460,\"mach\":0.784,\"track\":182,"
              "\"track_rate\":-1.5,\"roll\":-12,\"mag_heading\":359,\"baro_rate\":-832,\"squawk\":\"1000\","
              "\"emergency\":\"none\",\"category\":\"A3\",\"nav_qnh\":1013,\"nav_altitude_mcp\":37000,"
              "\"nav_altitude_fms\":0,\"nav_modes\":[\"vnav\",\"approach\"],\"lat\":52.257200,\"lon\":-3.919400,"
              "\"seen_pos\":2.0,\"nic\":8,\"mlat\":[],\"tisb\":[],\"messages\":523,\"seen\":3.3}");
}

TEST(AircraftJson, AltitudesBelowSeaLevelAndTheirUnknowns)
{
    TFlight r = bare();
    r.onground = 0;
    r.altitude = -1000; // the lowest 25 ft code; below the integer fields' unknown mark
    r.altdiff = -175;
    r.vrate = -1200;
    r.vrsource = 0;
    EXPECT_EQ(json(r), std::string("{\"hex\":\"4840d6\",\"type\":\"mode_s\",\"alt_baro\":-1000,\"alt_geom\":-1175,"
                                   "\"geom_rate\":-1200,") + kTail);

    r.altitude = kInvalidGillham; // a code no altitude answers to
    r.altdiff = kUnknownAlt;
    r.vrate = kUnknownAlt;
    r.gnssalt = -350;
    EXPECT_EQ(json(r), std::string("{\"hex\":\"4840d6\",\"type\":\"mode_s\",\"alt_geom\":-350,") + kTail);

    // On the ground the altitude is the word "ground", and no geometric one is made from a difference.
    r = bare();
    r.onground = 1;
    r.altitude = 0;
    r.altdiff = 100;
    r.gs = 12;
    r.track = 360 + 90;
    EXPECT_EQ(json(r), std::string("{\"hex\":\"4840d6\",\"type\":\"mode_s\",\"alt_baro\":\"ground\",\"gs\":12,"
                                   "\"track\":90,") + kTail);
}

TEST(AircraftJson, EmergencyStatesByName)
{
    const char* names[] = {"none", "general", "lifeguard", "minfuel", "nordo", "unlawful", "downed", "reserved"};
    for (int state = 0; state < 8; ++state) {
        TFlight r = bare();
        r.emerstate = state;
        r.squawk.assign(state == 1 ? "7700" : state == 4 ? "7600" : state == 5 ? "7500" : "2000", 4);
        EXPECT_EQ(json(r), std::string("{\"hex\":\"4840d6\",\"type\":\"mode_s\",\"squawk\":\"") + r.squawk.c_str() +
                               "\",\"emergency\":\"" + names[state] + "\"," + kTail)
            << state;
    }
    // A squawk alone says nothing about the state.
    TFlight r = bare();
    r.squawk.assign("7700", 4);
    EXPECT_EQ(json(r), std::string("{\"hex\":\"4840d6\",\"type\":\"mode_s\",\"squawk\":\"7700\",") + kTail);
}

TEST(AircraftJson, PositionsNearZeroStayDecimalAndUnknownOnesStayOut)
{
    TFlight r = bare();
    r.lat = 1e-7;   // would be "1e-07" in the shortest form
    r.lon = -4.9e-6;
    EXPECT_EQ(json(r), std::string("{\"hex\":\"4840d6\",\"type\":\"mode_s\",\"lat\":0.000000,\"lon\":-0.000005,") + kTail);

    r.lat = 0.0;
    r.lon = 0.0; // a real place
    EXPECT_EQ(json(r), std::string("{\"hex\":\"4840d6\",\"type\":\"mode_s\",\"lat\":0.000000,\"lon\":0.000000,") + kTail);

    for (double bad : {kUnknownPos, std::nan("")}) {
        r.lat = 10.0;
        r.lon = bad;
        EXPECT_EQ(json(r), std::string("{\"hex\":\"4840d6\",\"type\":\"mode_s\",") + kTail);
    }
}

TEST(AircraftJson, TextIsEscapedAndTheAddressLowerCase)
{
    TFlight r = bare("ABCDEF");
    r.esdf = 18;
    r.callsign.assign("A\"\\\x01", 4);
    EXPECT_EQ(json(r), std::string("{\"hex\":\"abcdef\",\"type\":\"adsb_icao_nt\",\"flight\":\"A\\\"\\\\\\u0001    \",") + kTail);
}

TEST(AircraftJson, DocumentHoldsTheAircraftInUseOnly)
{
    VirtualClock clock;
    NoLines lines;
    AircraftTable table(lines, clock);
    table[0] = bare("000001");
    table[1] = bare("000002");
    table[1].inuse = 0; // purged
    table[2] = bare("000003");
    table[2].lastseen = kShiftedNow;
    table[2].messages = 4;
    table.highestUsed = 2;
    std::string out = "stale";
    buildAircraftJson(table, kNowMs, 987654321012ULL, out);
    EXPECT_EQ(out, std::string("{\"now\":1767225612.3,\"messages\":987654321012,\"aircraft\":[\n"
                               "{\"hex\":\"000001\",\"type\":\"mode_s\",") + kTail + ",\n"
                       "{\"hex\":\"000003\",\"type\":\"mode_s\",\"mlat\":[],\"tisb\":[],\"messages\":4,\"seen\":0.3}\n]}\n");

    table.highestUsed = 0;
    table[0].inuse = 0;
    buildAircraftJson(table, kNowMs, 0, out);
    EXPECT_EQ(out, "{\"now\":1767225612.3,\"messages\":0,\"aircraft\":[\n]}\n");
}

TEST(AircraftJson, ReceiverFactsCarryTheHomeOnlyWhenSet)
{
    HomeLocation home;
    EXPECT_EQ(buildReceiverJson(home, 1000, 120, "V 1.2"), "{\"version\":\"V 1.2\",\"refresh\":1000,\"history\":120}\n");
    home.lat = -33.946111;
    home.lon = 151.177222;
    EXPECT_EQ(buildReceiverJson(home, 1000, 0, "V 1.2"),
              "{\"version\":\"V 1.2\",\"refresh\":1000,\"history\":0,\"lat\":-33.946111,\"lon\":151.177222}\n");
    home.lat = 91.0; // not a place
    EXPECT_EQ(buildReceiverJson(home, 1000, 0, "V 1.2"), "{\"version\":\"V 1.2\",\"refresh\":1000,\"history\":0}\n");
}

} // namespace
