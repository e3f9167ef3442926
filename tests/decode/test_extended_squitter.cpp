// Extended squitters through decodeFrame label 17: identification, positions, velocity, status, nic.
#include <gtest/gtest.h>

#include <cmath>

#include "decode/decode_frame.h"
#include "decode/extended_squitter.h"
#include "core/flight.h"
#include "decode_test_support.h"

namespace varnock {
namespace {

using test::fromHex;
using test::published;
using test::squitter;

void decode(const test::Frame& f, TFlight& rec) { decodeFrame(17, f.data(), rec, {}); }
void decode(const std::string& hex, TFlight& rec) { decode(fromHex(hex), rec); }
int publishedInt(const std::string& hex, const char* field) { return std::stoi(published(hex, field)); }
// Published decimals rounded the system's way (nearest, halves to even).
int publishedRounded(const std::string& hex, const char* field)
{
    return static_cast<int>(std::nearbyint(std::stod(published(hex, field))));
}

TEST(EsIdentification, CallsignAndCategory)
{
    // 1090 MHz Riddle identification chapter; error-control chapter and pyModeS test_adsb.py.
    for (const char* hex : {"8D4840D6202CC371C32CE0576098", "8D406B902015A678D4D220AA4BDA"}) {
        TFlight rec;
        decode(hex, rec);
        EXPECT_EQ(std::string(rec.callsign.c_str()), (published(hex, "callsign") + "        ").substr(0, 8));
        EXPECT_EQ(published(hex, "category"), "0");
        EXPECT_STREQ(rec.category.c_str(), "A-");
    }
    const struct {
        int tc, cat;
        const char* text;
    } cases[] = {{4, 3, "A3"}, {3, 7, "B7"}, {2, 0, "C-"}, {1, 1, "D1"}};
    for (const auto& c : cases) {
        TFlight rec;
        decode(squitter().me(1, 5, c.tc).me(6, 3, c.cat), rec);
        EXPECT_STREQ(rec.category.c_str(), c.text);
    }
}

TEST(EsAirbornePosition, PublishedAltitudeAndWords)
{
    // 1090 MHz Riddle airborne position chapter: even then odd frame.
    const std::string even = "8D40621D58C382D690C8AC2863A7", odd = "8D40621D58C386435CC412692AD6";
    TFlight rec;
    decode(even, rec);
    EXPECT_EQ(rec.altitude, publishedInt(even, "altitude_ft"));
    EXPECT_STREQ(rec.altstr.c_str(), "F380");
    EXPECT_EQ(rec.aireven.lat, publishedInt(even, "cpr_lat"));
    EXPECT_EQ(rec.aireven.lon, publishedInt(even, "cpr_lon"));
    EXPECT_EQ(rec.aireven.age, 8);
    EXPECT_EQ(rec.nic, 8);
    decode(odd, rec);
    EXPECT_EQ(rec.airodd.lat, publishedInt(odd, "cpr_lat"));
    EXPECT_EQ(rec.airodd.lon, publishedInt(odd, "cpr_lon"));
    EXPECT_EQ(rec.airodd.age, 8);

    // pyModeS v2.21.1 test_adsb.py and v3.3.0 test_bds05.py; below 0 ft the value stays, the text is F000.
    const struct {
        const char* hex;
        const char* text;
    } low[] = {{"8D40058B58C901375147EFD09357", "F390"}, {"8D484FDE5803B647ECEC4FCDD74F", "F000"},
               {"8D4401E458058645A8EA90496290", "F000"}, {"8D346355580596459CEA86756ACC", "F000"},
               {"8D343386581F06318AD4FECAB734", "F050"}};
    for (const auto& c : low) {
        TFlight r;
        decode(c.hex, r);
        EXPECT_EQ(r.altitude, publishedInt(c.hex, "altitude_ft")) << c.hex;
        EXPECT_STREQ(r.altstr.c_str(), c.text) << c.hex;
    }
}

TEST(EsAirbornePosition, ZeroWordsKeepAltitudeButUpdateStatus)
{
    TFlight rec;
    rec.altitude = 12000;
    // TC 11, SS 2 (alert), a 38000-ft code, T = 1, both CPR words zero.
    decode(squitter().me(1, 5, 11).me(6, 2, 2).me(9, 12, 0xC38).me(21, 1, 1), rec);
    EXPECT_EQ(rec.altitude, 12000);
    EXPECT_EQ(rec.timebit, 1);
    EXPECT_EQ(rec.alert, 6);
    EXPECT_EQ(rec.aireven.age, -1);
    // SS 1 and 3 with words: emergency and SPI countdowns, altitude decoded.
    decode(squitter().me(1, 5, 12).me(6, 2, 1).me(9, 12, 0xC38).me(23, 17, 5).me(40, 17, 7), rec);
    EXPECT_EQ(rec.emergency, 99999);
    EXPECT_EQ(rec.altitude, 38000);
    decode(squitter().me(1, 5, 12).me(6, 2, 3).me(23, 17, 5).me(40, 17, 7), rec);
    EXPECT_EQ(rec.spi, 6);
}

TEST(EsSurfacePosition, PublishedFrames)
{
    // 1090 MHz Riddle surface chapter; pyModeS v2.21.1 test_adsb.py and v3.3.0 test_bds06.py.
    // Speeds are whole knots per movement band, tracks truncated to whole degrees.
    const struct {
        const char* hex;
        int gs, track;
    } cases[] = {
        {"8C4841753A9A153237AEF0F275BE", 17, 92},  {"8FC8200A3AB8F5F893096B000000", 19, 42},
        {"8C3944F8400002ACB23CDA192B95", kUnknown, kUnknown},            // movement 0
        {"903A33FF40100858D34FF3CCE976", 0, kUnknown},                   // DF 18, stopped
        {"8C394C0F389B1667E947DB7BB8BC", 2, 137},  // movement 9: the 9-12 band shows 2 (published 1.0)
        {"8C3461CF398D60597B4EA434C4D7", 7, 241},  // movement 24: 7.5 truncated
        {"8C3950CF3DEDE47BAC304D3B5122", 70, 264}, {"8D3933203FCDE2A84E39E1C6C5BC", 175, 264},
    };
    for (const auto& c : cases) {
        TFlight rec;
        rec.vrate = 500;
        decode(c.hex, rec);
        EXPECT_EQ(rec.gs, c.gs) << c.hex;
        EXPECT_EQ(rec.track, c.track) << c.hex;
        EXPECT_EQ(rec.onground, 1);
        EXPECT_EQ(rec.vrate, 0);
        EXPECT_STREQ(rec.altstr.c_str(), "G---");
    }
    const std::string even = "8C4841753AAB238733C8CD4020B1", odd = "8C4841753A8A35323FAEBDAC702D";
    TFlight rec;
    decode(even, rec);
    EXPECT_EQ(rec.track, static_cast<int>(std::stod(published(even, "track_deg"))));
    EXPECT_EQ(rec.sfceven.lat, publishedInt(even, "cpr_lat"));
    EXPECT_EQ(rec.sfceven.lon, publishedInt(even, "cpr_lon"));
    decode(odd, rec);
    EXPECT_EQ(rec.sfcodd.lat, publishedInt(odd, "cpr_lat"));
    EXPECT_EQ(rec.sfcodd.age, 14);
    EXPECT_EQ(rec.sfceven.age, 14);
}

TEST(EsSurfacePosition, MovementBands)
{
    const int cases[][2] = {{1, 0},    {2, 1},     {8, 1},     {12, 2},    {13, 2},  {15, 3},
                            {38, 14},  {39, 15},   {93, 69},   {94, 70},   {108, 98}, {109, 100},
                            {123, 170}, {124, 175}, {125, kUnknown}, {127, kUnknown}};
    for (const auto& c : cases) {
        TFlight rec;
        decode(squitter().me(1, 5, 6).me(6, 7, c[0]), rec);
        EXPECT_EQ(rec.gs, c[1]) << "movement " << c[0];
    }
}

TEST(EsVelocity, PublishedFrames)
{
    // 1090 MHz Riddle velocity chapter; pyModeS v2.21.1 test_adsb.py.
    const std::string gs = "8D485020994409940838175B284F";
    TFlight rec;
    rec.onground = 1;
    decode(gs, rec);
    EXPECT_EQ(rec.gs, publishedRounded(gs, "groundspeed_kt"));  // 159.2 -> 159
    EXPECT_EQ(rec.track, publishedRounded(gs, "track_deg"));    // 182.88 -> 183
    EXPECT_EQ(rec.vrate, publishedInt(gs, "vertical_rate_fpm"));
    EXPECT_EQ(rec.altdiff, publishedInt(gs, "geo_minus_baro_ft"));
    EXPECT_EQ(rec.onground, 0);

    const std::string tas = "8DA05F219B06B6AF189400CBC33F";
    decode(tas, rec);
    EXPECT_EQ(rec.tas, publishedInt(tas, "airspeed_kt"));
    EXPECT_EQ(rec.heading, 243); // 243.98 truncated
    EXPECT_EQ(rec.vrate, publishedInt(tas, "vertical_rate_fpm"));
    EXPECT_EQ(rec.vrsource, 1);

    // pyModeS v3.3.0 test_bds09.py.
    const std::string ias = "8D4841409B04000CA04400000000";
    decode(ias, rec);
    EXPECT_EQ(rec.ias, publishedInt(ias, "airspeed_kt"));
    EXPECT_EQ(rec.heading, 0);
    for (const char* hex : {"8D4841409B04000CA04400000000", "8D3461CF9908388930080F948EA1",
                            "8D3461CF99085A8F10400F80E6AC", "8D394C0F990C4932780838866883"}) {
        decode(hex, rec);
        EXPECT_EQ(rec.vrate, publishedInt(hex, "vertical_rate_fpm")) << hex;
    }
}

// Velocity ME: subtype, east-west direction and raw speed, north-south direction and raw speed.
test::Frame velocity(int st, int sew, int vew, int sns, int vns)
{
    return squitter().me(1, 5, 19).me(6, 3, st).me(14, 1, sew).me(15, 10, vew).me(25, 1, sns).me(26, 10, vns);
}

TEST(EsVelocity, GroundSpeedAndTrack)
{
    const struct {
        int st, sew, vew, sns, vns, gs, track;
    } cases[] = {
        {1, 0, 0, 0, 0, kUnknown, kUnknown},     // no velocity
        {1, 0, 101, 0, 0, kUnknown, kUnknown},   // north-south not available
        {1, 1, 0, 1, 101, kUnknown, kUnknown},   // east-west not available
        {1, 0, 101, 0, 1, 100, 90},   {1, 1, 101, 0, 1, 100, 270}, {1, 0, 1, 1, 101, 100, 180},
        {1, 0, 101, 0, 101, 141, 45}, {1, 1, 101, 0, 101, 141, 315},
        {1, 0, 101, 1, 101, 141, 135}, {1, 1, 101, 1, 101, 141, 225},
        {1, 0, 801, 0, 601, kUnknown, 53},       // 1000 kt: speed dropped, track kept
        {2, 0, 201, 0, 151, 1000, 53},           // supersonic: 4-kt units, no 1000-kt cap
        {2, 1, 1, 1, 301, 1200, 180},
    };
    for (const auto& c : cases) {
        TFlight rec;
        decode(velocity(c.st, c.sew, c.vew, c.sns, c.vns), rec);
        EXPECT_EQ(rec.gs, c.gs) << c.vew << "/" << c.vns;
        EXPECT_EQ(rec.track, c.track) << c.vew << "/" << c.vns;
        EXPECT_EQ(rec.supersonic, c.st == 2 ? 1 : 0);
    }
    EXPECT_EQ(velocityTrack(1000, 1, 0, 1), 360); // just west of north rounds to 360
}

TEST(EsVelocity, AirspeedSubtypes)
{
    const struct {
        int st, type, raw, ias, tas;
    } cases[] = {{3, 0, 251, 250, kUnknown}, {3, 1, 451, kUnknown, 450}, {4, 1, 301, kUnknown, 1200},
                 {4, 0, 101, 400, kUnknown}, {3, 0, 0, kUnknown, kUnknown}};
    for (const auto& c : cases) {
        TFlight rec;
        decode(squitter().me(1, 5, 19).me(6, 3, c.st).me(15, 10, 512).me(25, 1, c.type).me(26, 10, c.raw), rec);
        EXPECT_EQ(rec.ias, c.ias) << c.st << "/" << c.raw;
        EXPECT_EQ(rec.tas, c.tas) << c.st << "/" << c.raw;
        EXPECT_EQ(rec.heading, kUnknown); // heading status clear
    }
    TFlight rec;
    decode(squitter().me(1, 5, 19).me(6, 3, 3).me(14, 1, 1).me(15, 10, 512).me(26, 10, 200), rec);
    EXPECT_EQ(rec.heading, 180);
    // Vertical rate: raw 0 is +/-64, above 256 the 9900 cap; the other common fields.
    const int vr[][3] = {{0, 0, -64}, {1, 0, 64}, {0, 1, 0}, {0, 256, 16320}, {1, 257, -9900}};
    for (const auto& c : vr) {
        decode(velocity(1, 0, 10, 0, 10).me(37, 1, c[0]).me(38, 9, c[1]), rec);
        EXPECT_EQ(rec.vrate, c[2]) << c[0] << "/" << c[1];
    }
    decode(velocity(1, 0, 10, 0, 10).me(9, 3, 7).me(11, 3, 5).me(49, 8, 0x83), rec);
    EXPECT_EQ(rec.icflag, 6);
    EXPECT_EQ(rec.ifr, 1);
    EXPECT_EQ(rec.nucr, 5);
    EXPECT_EQ(rec.altdiff, -50);
}

TEST(EsStatusAndDispatch, StatusFramesAndIntegrity)
{
    // pyModeS v2.21.1 test_adsb.py.
    const std::string hex = "8DA2C1B6E112B600000000760759";
    TFlight rec;
    decode(hex, rec);
    EXPECT_EQ(std::string(rec.squawk.c_str()), published(hex, "squawk"));
    EXPECT_EQ(rec.emerstate, publishedInt(hex, "emergency_state"));
    EXPECT_STREQ(rec.hextc28.c_str(), hex.c_str());
    decode(squitter().me(1, 5, 28).me(6, 3, 2).me(9, 8, 0xFF), rec); // other subtype: squawk kept
    EXPECT_EQ(std::string(rec.squawk.c_str()), published(hex, "squawk"));
    decode(squitter().me(1, 5, 30).me(6, 3, 1), rec);
    EXPECT_STREQ(rec.hextc30.c_str(), "8D4840D6F1000000000000000000");
    decode(squitter().me(1, 5, 31), rec);
    EXPECT_EQ(rec.tc31, 1);
    // TC 29 (pyModeS test_adsb.py) is never filed; handed over anyway only the capability is read.
    TFlight t29;
    decode("8DA05629EA21485CBF3F8CADAEEB", t29);
    EXPECT_EQ(t29.ca, 5);
    EXPECT_EQ(t29.nic, kUnknown);

    const int nic[][3] = {{0, 0, 0},   {18, 0, 0}, {5, 0, 11},  {9, 0, 11},  {6, 0, 10}, {10, 0, 10},
                          {7, 0, 8},   {11, 0, 8}, {8, 0, 6},   {8, 1, 7},   {12, 0, 7}, {13, 0, 6},
                          {14, 0, 5},  {15, 0, 4}, {16, 0, 2},  {16, 1, 3},  {17, 0, 1}, {1, 0, 42},
                          {19, 0, 42}, {28, 0, 42}};
    for (const auto& c : nic) {
        TFlight r;
        r.nic = 42;
        decode(squitter().me(1, 5, c[0]).me(9, 1, c[1]).me(23, 17, 3).me(40, 17, 3), r);
        EXPECT_EQ(r.nic, c[2]) << "TC " << c[0] << " b " << c[1];
    }
}

} // namespace
} // namespace varnock
