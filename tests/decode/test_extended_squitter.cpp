// Extended squitters through decodeFrame label 17: identification, positions, velocity, status, nic.
#include <gtest/gtest.h>

#include <cmath>

#include "decode/decode_frame.h"
#include "decode/extended_squitter.h"
#include "flights/flight.h"
#include "decode_test_support.h"

namespace varnock {
namespace {

using test::fromHex;
using test::published;
using test::squitter;

void decode(const test::Frame& f, TFlight& rec) { decodeFrame(17, f.data(), rec, DecodeContext{}); }
void decode(const std::string& hex, TFlight& rec) { decode(fromHex(hex), rec); }

// Published value rounded the system's way (nearest, halves to even).
int publishedWhole(const std::string& hex, const std::string& field)
{
    return static_cast<int>(std::nearbyint(std::stod(published(hex, field))));
}

TEST(EsIdentification, PublishedCallsigns)
{
    struct Case {
        const char* hex;
        const char* callsign;
        const char* category;
        const char* source;
    };
    const Case cases[] = {
        {"8D4840D6202CC371C32CE0576098", "KLM1023 ", "A-", "1090 MHz Riddle, identification chapter"},
        {"8D406B902015A678D4D220AA4BDA", "EZY85MH ", "A-",
         "1090 MHz Riddle error-control chapter; pyModeS v2.21.1 test_adsb.py"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        TFlight rec;
        decode(c.hex, rec);
        EXPECT_EQ(published(c.hex, "callsign") + " ", c.callsign);
        EXPECT_EQ(published(c.hex, "category"), "0");
        EXPECT_STREQ(rec.callsign.c_str(), c.callsign);
        EXPECT_STREQ(rec.category.c_str(), c.category);
        EXPECT_EQ(rec.ca, 5);
        EXPECT_EQ(rec.onground, 0);
    }
}

TEST(EsIdentification, CategoryLetterByTypeCode)
{
    struct Case {
        int tc, cat;
        const char* text;
    };
    const Case cases[] = {{4, 0, "A-"}, {4, 3, "A3"}, {3, 7, "B7"}, {2, 0, "C-"}, {1, 1, "D1"}};
    for (const auto& c : cases) {
        TFlight rec;
        decode(squitter().me(1, 5, c.tc).me(6, 3, c.cat), rec);
        EXPECT_STREQ(rec.category.c_str(), c.text);
        EXPECT_STREQ(rec.callsign.c_str(), "        ");
    }
}

TEST(EsAirbornePosition, PublishedAltitudeAndWords)
{
    // 1090 MHz Riddle, airborne position chapter.
    const std::string hex = "8D40621D58C382D690C8AC2863A7";
    TFlight rec;
    decode(hex, rec);
    EXPECT_EQ(rec.altitude, std::stoi(published(hex, "altitude_ft")));
    EXPECT_STREQ(rec.altstr.c_str(), "F380");
    EXPECT_EQ(rec.airevenlat, std::stoi(published(hex, "cpr_lat")));
    EXPECT_EQ(rec.airevenlon, std::stoi(published(hex, "cpr_lon")));
    EXPECT_EQ(rec.airevenage, 8);
    EXPECT_EQ(rec.airoddlat, kUnknown);
    EXPECT_EQ(rec.gillham, 0);
    EXPECT_EQ(rec.nic, 8); // TC 11

    // Its odd partner.
    const std::string odd = "8D40621D58C386435CC412692AD6";
    decode(odd, rec);
    EXPECT_EQ(rec.airoddlat, std::stoi(published(odd, "cpr_lat")));
    EXPECT_EQ(rec.airoddlon, std::stoi(published(odd, "cpr_lon")));
    EXPECT_EQ(rec.airoddage, 8);
}

TEST(EsAirbornePosition, PublishedAltitudes)
{
    // pyModeS v2.21.1 test_adsb.py (39000) and v3.3.0 test_bds05.py (the low ones).
    // Negative altitudes are shown as 0 ft / F000 by the flight-level rule.
    struct Case {
        const char* hex;
        int altitude;
        const char* text;
    };
    const Case cases[] = {
        {"8D40058B58C901375147EFD09357", 39000, "F390"}, {"8D484FDE5803B647ECEC4FCDD74F", 0, "F000"},
        {"8D4845575803C647BCEC2A980ABC", 0, "F000"},     {"8D3424D25803D64C18EE03351F89", 0, "F000"},
        {"8D4401E458058645A8EA90496290", 0, "F000"},     {"8D346355580596459CEA86756ACC", 25, "F000"},
        {"8D346355580B064116E70A269F97", 1000, "F010"},  {"8D343386581F06318AD4FECAB734", 5000, "F050"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hex);
        EXPECT_EQ(std::max(0, std::stoi(published(c.hex, "altitude_ft"))), c.altitude);
        TFlight rec;
        decode(c.hex, rec);
        EXPECT_EQ(rec.altitude, c.altitude);
        EXPECT_STREQ(rec.altstr.c_str(), c.text);
    }
}

TEST(EsAirbornePosition, ZeroWordsKeepAltitudeButUpdateStatus)
{
    TFlight rec;
    rec.altitude = 12000;
    rec.altstr.assign("F120", 4);
    // TC 11, SS 2 (alert), altitude code for 38000 ft, T = 1, both CPR words zero.
    decode(squitter().me(1, 5, 11).me(6, 2, 2).me(9, 12, 0xC38).me(21, 1, 1), rec);
    EXPECT_EQ(rec.altitude, 12000);
    EXPECT_EQ(rec.timebit, 1);
    EXPECT_EQ(rec.alert, 6);
    EXPECT_EQ(rec.airevenlat, kUnknown);
    EXPECT_EQ(rec.airevenage, -1);
    EXPECT_EQ(rec.lat, kUnknownPos);
}

TEST(EsAirbornePosition, SurveillanceStatus)
{
    struct Case {
        int ss, spi, emergency, alert;
    };
    const Case cases[] = {{0, kUnknown, kUnknown, kUnknown}, {1, kUnknown, 99999, kUnknown},
                          {2, kUnknown, kUnknown, 6},        {3, 6, kUnknown, kUnknown}};
    for (const auto& c : cases) {
        TFlight rec;
        decode(squitter().me(1, 5, 12).me(6, 2, c.ss).me(9, 12, 0xC38).me(23, 17, 5).me(40, 17, 7), rec);
        EXPECT_EQ(rec.spi, c.spi) << c.ss;
        EXPECT_EQ(rec.emergency, c.emergency) << c.ss;
        EXPECT_EQ(rec.alert, c.alert) << c.ss;
        EXPECT_EQ(rec.altitude, 38000);
    }
}

TEST(EsAirbornePosition, OnGroundRecordShowsGround)
{
    TFlight rec;
    decode(squitter().me(1, 5, 11).me(9, 12, 0xC38).me(23, 17, 5).me(40, 17, 7), rec);
    EXPECT_EQ(rec.altitude, 38000);
    // CA 4 (on the ground) in the same frame wins over the coded altitude.
    auto f = squitter().me(1, 5, 11).me(9, 12, 0xC38).me(23, 17, 5).me(40, 17, 7);
    f.b[0] = 0x8C;
    decode(f, rec);
    EXPECT_EQ(rec.altitude, 0);
    EXPECT_STREQ(rec.altstr.c_str(), "G---");
}

TEST(EsSurfacePosition, PublishedFrames)
{
    // 1090 MHz Riddle surface chapter and pyModeS v2.21.1 test_adsb.py / v3.3.0 test_bds06.py.
    // Ground speed is whole knots per movement band; track is truncated to whole degrees.
    struct Case {
        const char* hex;
        int gs;
        int track;
        const char* note;
    };
    const Case cases[] = {
        {"8C4841753AAB238733C8CD4020B1", 18, 140, "movement 42"},
        {"8C4841753A8A35323FAEBDAC702D", 16, 98, "movement 40"},
        {"8C4841753A9A153237AEF0F275BE", 17, 92, "published 17 kt"},
        {"8FC8200A3AB8F5F893096B000000", 19, 42, "published 19 kt, 42.2 deg"},
        {"8C3944F8400002ACB23CDA192B95", kUnknown, kUnknown, "movement 0: no speed"},
        {"903A33FF40100858D34FF3CCE976", 0, kUnknown, "DF 18, movement 1: stopped"},
        {"8C394C0F389B1667E947DB7BB8BC", 2, 137, "movement 9: band 9-12 shows 2 kt (published 1.0)"},
        {"8C3461CF398D60597B4EA434C4D7", 7, 241, "movement 24: 7.5 kt truncated"},
        {"8C3461CF399D6059814EA81483A9", 8, 241, "movement 25"},
        {"8C3461CF3A7F3059C94E5BF4E169", 15, 323, "movement 39"},
        {"8C3950CF3DEDE47BAC304D3B5122", 70, 264, "movement 94"},
        {"8C3933203EDDE47B9E2FFA5E77B8", 100, 264, "movement 109"},
        {"8D3933203FCDE2A84E39E1C6C5BC", 175, 264, "movement 124"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.hex) + " " + c.note);
        TFlight rec;
        rec.vrate = 500;
        decode(c.hex, rec);
        EXPECT_EQ(rec.gs, c.gs);
        EXPECT_EQ(rec.track, c.track);
        EXPECT_EQ(rec.onground, 1);
        EXPECT_EQ(rec.altitude, 0);
        EXPECT_EQ(rec.vrate, 0);
        EXPECT_STREQ(rec.altstr.c_str(), "G---");
    }
    const std::string even = "8C4841753AAB238733C8CD4020B1";
    TFlight rec;
    decode(even, rec);
    EXPECT_EQ(published(even, "movement_raw"), "42");
    EXPECT_EQ(rec.track, static_cast<int>(std::stod(published(even, "track_deg"))));
    EXPECT_EQ(rec.sfcevenlat, std::stoi(published(even, "cpr_lat")));
    EXPECT_EQ(rec.sfcevenlon, std::stoi(published(even, "cpr_lon")));
    EXPECT_EQ(rec.sfcevenage, 14);
    EXPECT_EQ(rec.nic, 8); // TC 7
    const std::string odd = "8C4841753A8A35323FAEBDAC702D";
    decode(odd, rec);
    EXPECT_EQ(rec.sfcoddlat, std::stoi(published(odd, "cpr_lat")));
    EXPECT_EQ(rec.sfcoddlon, std::stoi(published(odd, "cpr_lon")));
    EXPECT_EQ(rec.sfcoddage, 14);
    EXPECT_EQ(rec.sfcevenage, 14);
}

TEST(EsSurfacePosition, MovementBands)
{
    struct Case {
        int m, gs;
    };
    const Case cases[] = {{0, kUnknown}, {1, 0},    {2, 1},     {8, 1},     {9, 2},      {12, 2},
                          {13, 2},       {14, 2},   {15, 3},    {38, 14},   {39, 15},    {93, 69},
                          {94, 70},      {108, 98}, {109, 100}, {123, 170}, {124, 175}, {125, kUnknown},
                          {127, kUnknown}};
    for (const auto& c : cases) {
        TFlight rec;
        decode(squitter().me(1, 5, 6).me(6, 7, c.m), rec);
        EXPECT_EQ(rec.gs, c.gs) << "movement " << c.m;
    }
}

// Velocity ME fields: subtype, direction bits and raw (offset by one) speed words.
test::Frame velocity(int st, int sew, int vew, int sns, int vns)
{
    return squitter().me(1, 5, 19).me(6, 3, st).me(14, 1, sew).me(15, 10, vew).me(25, 1, sns).me(26, 10, vns);
}

TEST(EsVelocity, PublishedFrames)
{
    // 8D485020...: 1090 MHz Riddle velocity chapter; pyModeS v2.21.1 test_adsb.py.
    const std::string gsHex = "8D485020994409940838175B284F";
    TFlight rec;
    rec.onground = 1;
    decode(gsHex, rec);
    EXPECT_EQ(rec.gs, publishedWhole(gsHex, "groundspeed_kt"));  // 159.2 -> 159
    EXPECT_EQ(rec.track, publishedWhole(gsHex, "track_deg"));    // 182.88 -> 183
    EXPECT_EQ(rec.vrate, std::stoi(published(gsHex, "vertical_rate_fpm")));
    EXPECT_EQ(rec.altdiff, std::stoi(published(gsHex, "geo_minus_baro_ft")));
    EXPECT_EQ(rec.vrsource, 0); // GNSS
    EXPECT_EQ(rec.onground, 0);
    EXPECT_EQ(rec.supersonic, 0);

    // 8DA05F21...: airspeed subtype, TAS; same sources.
    const std::string asHex = "8DA05F219B06B6AF189400CBC33F";
    TFlight as;
    decode(asHex, as);
    EXPECT_EQ(as.tas, std::stoi(published(asHex, "airspeed_kt")));
    EXPECT_EQ(as.airspeedtype, 1);
    EXPECT_EQ(as.heading, 243); // 243.98 truncated
    EXPECT_EQ(as.hdgstatus, 1);
    EXPECT_EQ(as.vrate, std::stoi(published(asHex, "vertical_rate_fpm")));
    EXPECT_EQ(as.vrsource, 1); // baro
    EXPECT_EQ(as.ias, kUnknown);

    // pyModeS v3.3.0 test_bds09.py: IAS, heading 0, and vertical rates.
    const std::string iasHex = "8D4841409B04000CA04400000000";
    TFlight ias;
    decode(iasHex, ias);
    EXPECT_EQ(ias.ias, std::stoi(published(iasHex, "airspeed_kt")));
    EXPECT_EQ(ias.heading, 0);
    EXPECT_EQ(ias.vrate, std::stoi(published(iasHex, "vertical_rate_fpm")));
    for (const char* hex : {"8D3461CF9908388930080F948EA1", "8D3461CF9908558E100C1071EB67",
                            "8D3461CF99085A8F10400F80E6AC", "8D394C0F990C4932780838866883"}) {
        TFlight vr;
        decode(hex, vr);
        EXPECT_EQ(vr.vrate, std::stoi(published(hex, "vertical_rate_fpm"))) << hex;
    }
}

TEST(EsVelocity, GroundSpeedAndTrack)
{
    struct Case {
        int st, sew, vew, sns, vns;
        int gs, track;
        const char* note;
    };
    const Case cases[] = {
        {1, 0, 0, 0, 0, kUnknown, kUnknown, "no velocity"},
        {1, 0, 101, 0, 0, kUnknown, kUnknown, "north-south not available"},
        {1, 1, 0, 1, 101, kUnknown, kUnknown, "east-west not available"},
        {1, 0, 101, 0, 1, 100, 90, "due east"},
        {1, 1, 101, 0, 1, 100, 270, "due west"},
        {1, 0, 1, 0, 101, 100, 0, "due north"},
        {1, 0, 1, 1, 101, 100, 180, "due south"},
        {1, 0, 101, 0, 101, 141, 45, "north-east"},
        {1, 1, 101, 0, 101, 141, 315, "north-west"},
        {1, 0, 101, 1, 101, 141, 135, "south-east"},
        {1, 1, 101, 1, 101, 141, 225, "south-west"},
        {1, 0, 801, 0, 601, kUnknown, 53, "1000 kt: speed dropped, track kept"},
        {1, 0, 1001, 0, 2, kUnknown, 90, "just over 1000 kt"},
        {2, 0, 201, 0, 151, 1000, 53, "supersonic: 4-kt units"},
        {2, 1, 1, 1, 301, 1200, 180, "supersonic south"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.note);
        TFlight rec;
        rec.gs = 1;
        rec.track = 1;
        decode(velocity(c.st, c.sew, c.vew, c.sns, c.vns), rec);
        EXPECT_EQ(rec.gs, c.gs);
        EXPECT_EQ(rec.track, c.track);
        EXPECT_EQ(rec.supersonic, c.st == 2 ? 1 : 0);
    }
}

TEST(EsVelocity, TrackHelperEdges)
{
    EXPECT_EQ(velocityTrack(-1, -1, 0, 0), kUnknown);
    EXPECT_EQ(velocityTrack(0, 5, 0, 1), 270);
    EXPECT_EQ(velocityTrack(0, 5, 1, 0), 90);
    // A track just below 360 rounds up to 360.
    EXPECT_EQ(velocityTrack(1000, 1, 0, 1), 360);
    EXPECT_EQ(velocityTrack(1000, 1, 0, 0), 0);
}

TEST(EsVelocity, AirspeedSubtypes)
{
    struct Case {
        int st, type, raw;
        int ias, tas;
    };
    const Case cases[] = {
        {3, 0, 251, 250, kUnknown},
        {3, 1, 451, kUnknown, 450},
        {4, 1, 301, kUnknown, 1200}, // supersonic: 4-kt units
        {4, 0, 101, 400, kUnknown},
        {3, 0, 0, kUnknown, kUnknown}, // not available
    };
    for (const auto& c : cases) {
        TFlight rec;
        decode(squitter().me(1, 5, 19).me(6, 3, c.st).me(14, 1, 0).me(15, 10, 512).me(25, 1, c.type)
                   .me(26, 10, c.raw),
               rec);
        EXPECT_EQ(rec.ias, c.ias) << c.st << "/" << c.raw;
        EXPECT_EQ(rec.tas, c.tas) << c.st << "/" << c.raw;
        EXPECT_EQ(rec.hdgstatus, 0);
        EXPECT_EQ(rec.heading, kUnknown); // heading status clear: heading left alone
        EXPECT_EQ(rec.supersonic, c.st == 4 ? 1 : 0);
    }
    TFlight hdg;
    decode(squitter().me(1, 5, 19).me(6, 3, 3).me(14, 1, 1).me(15, 10, 512).me(26, 10, 200), hdg);
    EXPECT_EQ(hdg.heading, 180);
}

TEST(EsVelocity, VerticalRateAndCommonFields)
{
    struct Case {
        int sign, raw, vrate;
    };
    const Case cases[] = {{0, 0, -64}, {1, 0, 64}, {0, 1, 0}, {1, 14, -832}, {0, 256, 16320},
                          {0, 257, 9900}, {1, 511, -9900}};
    for (const auto& c : cases) {
        TFlight rec;
        decode(velocity(1, 0, 10, 0, 10).me(37, 1, c.sign).me(38, 9, c.raw), rec);
        EXPECT_EQ(rec.vrate, c.vrate) << c.sign << "/" << c.raw;
    }
    TFlight rec;
    decode(velocity(1, 0, 10, 0, 10).me(9, 1, 1).me(10, 1, 1).me(11, 3, 5).me(36, 1, 1).me(49, 1, 1)
               .me(50, 7, 3),
           rec);
    EXPECT_EQ(rec.icflag, 6);
    EXPECT_EQ(rec.ifr, 1);
    EXPECT_EQ(rec.nucr, 5);
    EXPECT_EQ(rec.vrsource, 1);
    EXPECT_EQ(rec.altdiff, -50);
}

TEST(EsStatus, EmergencySquawkAndHexTexts)
{
    // pyModeS v2.21.1 test_adsb.py.
    const std::string hex = "8DA2C1B6E112B600000000760759";
    TFlight rec;
    decode(hex, rec);
    EXPECT_STREQ(rec.squawk.c_str(), published(hex, "squawk").c_str());
    EXPECT_EQ(rec.emerstate, std::stoi(published(hex, "emergency_state")));
    EXPECT_EQ(rec.tc28, 1);
    EXPECT_STREQ(rec.hextc28.c_str(), hex.c_str());

    // Another subtype keeps the squawk but still records the frame.
    TFlight other;
    const auto f = squitter().me(1, 5, 28).me(6, 3, 2).me(9, 3, 5);
    decode(f, other);
    EXPECT_STREQ(other.squawk.c_str(), "");
    EXPECT_EQ(other.emerstate, kUnknown);
    EXPECT_EQ(other.tc28, 1);

    TFlight t;
    decode(squitter().me(1, 5, 30).me(6, 3, 1), t);
    EXPECT_EQ(t.tc30, 1);
    EXPECT_STREQ(t.hextc30.c_str(), "8D4840D6F1000000000000000000");
    decode(squitter().me(1, 5, 31), t);
    EXPECT_EQ(t.tc31, 1);
    EXPECT_EQ(t.hextc31.size(), 28u);
}

TEST(EsDispatch, IntegrityCategoryByTypeCode)
{
    struct Case {
        int tc, b, nic;
    };
    const Case cases[] = {{0, 0, 0},   {18, 0, 0},  {5, 0, 11},  {9, 0, 11}, {6, 0, 10}, {10, 0, 10},
                          {7, 0, 8},   {11, 0, 8},  {8, 0, 6},   {8, 1, 7},  {12, 0, 7}, {13, 0, 6},
                          {14, 0, 5},  {15, 0, 4},  {16, 0, 2},  {16, 1, 3}, {17, 0, 1}, {1, 0, 42},
                          {19, 0, 42}, {28, 0, 42}, {31, 0, 42}};
    for (const auto& c : cases) {
        TFlight rec;
        rec.nic = 42;
        decode(squitter().me(1, 5, c.tc).me(9, 1, c.b).me(23, 17, 3).me(40, 17, 3), rec);
        EXPECT_EQ(rec.nic, c.nic) << "TC " << c.tc << " b " << c.b;
    }
}

TEST(EsDispatch, UnfiledTypeCodesChangeNothing)
{
    // TC 29 (pyModeS v2.21.1 test_adsb.py) is never filed; handed over anyway it decodes nothing.
    TFlight rec;
    decode("8DA05629EA21485CBF3F8CADAEEB", rec);
    EXPECT_EQ(rec.ca, 5); // the capability step still runs
    EXPECT_EQ(rec.nic, kUnknown);
    EXPECT_EQ(rec.tc28 + rec.tc30 + rec.tc31, 0);
    EXPECT_EQ(rec.decoded, 1);
}

TEST(EsDispatch, Df18DecodesAsDf17)
{
    // pyModeS v3.3.0 test_cpr.py: DF 18 surface frame; CF 0 kept as capability.
    TFlight rec;
    decode("903A23FF426A38565950432EBF95", rec);
    EXPECT_EQ(rec.ca, 0);
    EXPECT_EQ(rec.onground, 1);
    EXPECT_EQ(rec.sfcevenage, 14);
    EXPECT_EQ(rec.nic, 6);
}

} // namespace
} // namespace varnock
