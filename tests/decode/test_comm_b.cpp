// Comm-B registers 2,0, 4,0, 5,0 and 6,0 through decodeFrame labels 20 and 21.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "core/clock.h"
#include "core/line_sink.h"
#include "decode/decode_frame.h"
#include "decode/commb_infer.h"
#include "core/flight.h"
#include "decode_test_support.h"

namespace varnock {
namespace {

using test::fromHex;
using test::published;

void decode(int label, const test::Frame& f, TFlight& rec) { decodeFrame(label, f.data(), rec, {}); }
void decode(int label, const std::string& hex, TFlight& rec) { decode(label, fromHex(hex), rec); }
int rounded(const std::string& text, double scale = 1.0)
{
    return static_cast<int>(std::nearbyint(std::stod(text) * scale));
}
test::Frame df20() { return fromHex("A0"); }

TEST(CommB, Register20)
{
    // 1090 MHz Riddle ELS chapter / pyModeS test_commb.py; pyModeS test_commb.py; test_bds_inference.py.
    for (const char* hex : {"A000083E202CC371C31DE0AA1CCF", "A0001993202422F2E37CE038738E",
                            "A0001838201584F23468207CDFA5"}) {
        TFlight rec;
        rec.callsign.assign("OLDCALL1", 8);
        decode(20, hex, rec);
        EXPECT_EQ(std::string(rec.callsign.c_str()), (published(hex, "callsign") + "        ").substr(0, 8));
    }
}

TEST(CommB, Register40)
{
    const struct {
        int label;
        const char* hex;
        int mcp, fms, qnh, altsource;
    } cases[] = {
        {21, "A8001EBCAEE57730A80106DE1344", 240, 240, 1013, 1}, // 1090 MHz Riddle EHS chapter
        {20, "A000029C85E42F313000007047D3", 30, 30, 1020, 0},   // pyModeS v2.21.1 test_commb.py
    };
    for (const auto& c : cases) {
        TFlight rec;
        decode(c.label, c.hex, rec);
        EXPECT_EQ(rec.mcpalt, rounded(published(c.hex, "selected_altitude_mcp_ft"), 0.01));
        EXPECT_EQ(rec.fmsalt, rounded(published(c.hex, "selected_altitude_fms_ft"), 0.01));
        EXPECT_EQ(rec.qnh, rounded(published(c.hex, "baro_setting_mb")));
        EXPECT_EQ(rec.mcpalt, c.mcp);
        EXPECT_EQ(rec.fmsalt, c.fms);
        EXPECT_EQ(rec.qnh, c.qnh);
        EXPECT_EQ(rec.altsource, c.altsource);
    }
    // From fields: MCP raw, baro raw, mode bits (VNAV ALT APP) and source bits, or -1 for none.
    const struct {
        int mcpRaw, baroRaw, mode, source;
        int mcp, qnh, mcpmode, altsource; // mcp -1: nothing written
    } fields[] = {
        {2687, 2132, -1, -1, 430, 1013, 0, 0},  // 429.9 rounds to the limit
        {2700, 2132, 4, 1, -1, 0, 0, 0},        // 432: discarded
        {1500, 1600, 4, 1, -1, 0, 0, 0},        // 960 mb: discarded
        {1500, 1610, 4, 2, 240, 961, 1, 1},
        {1500, 2700, 2, 1, -1, 0, 0, 0},        // 1070 mb: discarded
        {1500, 2690, 2, 1, 240, 1069, 2, 2},
        {1500, 2135, 1, 3, 240, 1014, 4, 3},    // 1013.5 -> even
        {1500, 2125, 7, 0, 240, 1012, 7, 0},    // 1012.5 -> even
    };
    for (const auto& c : fields) {
        auto f = df20().me(1, 1, 1).me(2, 12, c.mcpRaw).me(27, 1, 1).me(28, 12, c.baroRaw);
        if (c.mode >= 0) f.me(48, 4, 8 | c.mode);
        if (c.source >= 0) f.me(54, 3, 4 | c.source);
        ASSERT_EQ(inferCommBRegister(f.data()), 0x40);
        TFlight rec;
        decode(20, f, rec);
        if (c.mcp < 0) { // all or nothing
            EXPECT_EQ(rec.mcpalt, kUnknown) << c.mcpRaw << "/" << c.baroRaw;
            EXPECT_EQ(rec.qnh + rec.fmsalt + rec.mcpmode + rec.altsource, 4 * kUnknown);
            continue;
        }
        EXPECT_EQ(rec.mcpalt, c.mcp);
        EXPECT_EQ(rec.qnh, c.qnh) << c.baroRaw;
        EXPECT_EQ(rec.fmsalt, kUnknown);
        EXPECT_EQ(rec.mcpmode, c.mcpmode) << c.mode;
        EXPECT_EQ(rec.altsource, c.altsource) << c.source;
    }
}

TEST(CommB, Register50NeedsAgreeingAdsbSpeed)
{
    // 1090 MHz Riddle EHS chapter: roll -9.7, track rate -0.406 deg/s, ground speed 476, TAS 466.
    const std::string hex = "A80006ACF9363D3BBF9CE98F1E1D";
    const int gs = std::stoi(published(hex, "groundspeed_kt"));
    for (int recGs : {kUnknown, gs, gs + 3, gs - 3, gs + 4, gs - 4}) {
        TFlight rec;
        rec.gs = recGs;
        decode(21, hex, rec);
        if (recGs == kUnknown || std::abs(recGs - gs) >= 4) {
            EXPECT_EQ(rec.roll + rec.trackrate + rec.tas, 3 * kUnknown) << recGs;
        } else {
            EXPECT_EQ(rec.roll, rounded(published(hex, "roll_deg")));
            EXPECT_EQ(rec.trackrate, rounded(published(hex, "track_rate_dps"), 10));
            EXPECT_EQ(rec.tas, std::stoi(published(hex, "tas_kt")));
        }
    }
}

TEST(CommB, Register50RollAndTrackRate)
{
    const struct {
        int rollSign, rollRaw, rateSign, rateRaw, roll, rate;
    } cases[] = {
        {0, 57, 0, 16, 10, 5},     {1, 455, 1, 496, -10, -5},
        {0, 11, 0, 16, 2, 5},      // 2 deg: the smallest roll kept
        {0, 6, 0, 16, 0, 0},       // 1 deg roll counts as level: no rate either
        {0, 284, 0, 161, 50, 50},  // both limits kept
        {0, 290, 0, 16, 0, 0},     // 51 deg
        {0, 57, 0, 164, 10, 0},    // 5.1 deg/s
        {0, 57, 0, 3, 10, 0},      // 0.1 deg/s
        {0, 57, 0, 8, 10, 2},      // 2.5 tenths -> even
        {0, 57, 0, 24, 10, 8},     // 7.5 tenths -> even
    };
    for (const auto& c : cases) {
        const auto f = df20().me(1, 1, 1).me(2, 1, c.rollSign).me(3, 9, c.rollRaw).me(12, 1, 1)
                           .me(24, 1, 1).me(25, 10, 200).me(35, 1, 1).me(36, 1, c.rateSign).me(37, 9, c.rateRaw)
                           .me(46, 1, 1).me(47, 10, 277);
        ASSERT_EQ(inferCommBRegister(f.data()), 0x50);
        TFlight rec;
        rec.gs = 401;
        decode(20, f, rec);
        EXPECT_EQ(rec.roll, c.roll) << c.rollRaw;
        EXPECT_EQ(rec.trackrate, c.rate) << c.rollRaw << "/" << c.rateRaw;
        EXPECT_EQ(rec.tas, 554);
    }
    TFlight fast; // TAS 556: discarded
    fast.gs = 400;
    decode(20, df20().me(1, 1, 1).me(12, 1, 1).me(24, 1, 1).me(25, 10, 200).me(35, 1, 1).me(46, 1, 1)
                   .me(47, 10, 278), fast);
    EXPECT_EQ(fast.tas, kUnknown);
}

TEST(CommB, Register60)
{
    // 1090 MHz Riddle EHS chapter: heading 110.391, IAS 259, Mach 0.7.
    const std::string hex = "A80004AAA74A072BFDEFC1D5CB4F";
    TFlight rec;
    decode(21, hex, rec);
    EXPECT_EQ(rec.heading, rounded(published(hex, "magnetic_heading_deg")));
    EXPECT_EQ(rec.ias, std::stoi(published(hex, "ias_kt")));
    EXPECT_EQ(rec.mach, rounded(published(hex, "mach"), 1000));

    // From fields; the inertial-rate status bit keeps them clear of the 4,0 test. heading -1: discarded.
    const struct {
        int hdgSign, hdgRaw, ias, machRaw, heading;
    } cases[] = {
        {1, 628, 259, 175, 290},  {0, 512, 115, 175, -1}, {0, 512, 116, 175, 90}, {0, 512, 379, 175, 90},
        {0, 512, 380, 175, -1},   {0, 512, 259, 52, -1},  {0, 512, 259, 53, 90},  {0, 512, 259, 219, 90},
        {0, 512, 259, 220, -1},   {1, 1023, 259, 175, 0}, // 359.8 deg rounds to a full turn
    };
    for (const auto& c : cases) {
        const auto f = df20().me(1, 1, 1).me(2, 1, c.hdgSign).me(3, 10, c.hdgRaw).me(13, 1, 1).me(14, 10, c.ias)
                           .me(24, 1, 1).me(25, 10, c.machRaw).me(46, 1, 1);
        ASSERT_EQ(inferCommBRegister(f.data()), 0x60);
        TFlight r;
        decode(21, f, r);
        if (c.heading < 0) {
            EXPECT_EQ(r.heading + r.ias + r.mach, 3 * kUnknown) << c.ias << "/" << c.machRaw;
        } else {
            EXPECT_EQ(r.heading, c.heading) << c.hdgRaw;
            EXPECT_EQ(r.ias, c.ias);
            EXPECT_EQ(r.mach, c.machRaw * 4);
        }
    }
}

// The Comm-B values of a record: heading, IAS, Mach (6,0), roll, track rate, TAS (5,0).
std::array<int, 6> commBValues(const TFlight& r) { return {r.heading, r.ias, r.mach, r.roll, r.trackrate, r.tas}; }

constexpr int kU = kUnknown;

TEST(CommB, PublishedHeadingAndSpeedFramesDecodeAsSuch)
{
    // Registers 5,0 and 6,0 share status bit positions: three of these four pass the 5,0 bit test
    // too. Each is decoded with no ADS-B speed, and with an ADS-B speed equal to what its bits
    // give when read as 5,0 and a track near its heading.
    const struct {
        const char* hex;
        int gs50; // the ground speed field read as 5,0
        std::array<int, 6> want;
    } cases[] = {
        // 1090 MHz Riddle EHS chapter: heading 110.391, IAS 259, Mach 0.7.
        {"A80004AAA74A072BFDEFC1D5CB4F", 350, {110, 259, 700, kU, kU, kU}},
        // pyModeS v2.21.1 test_commb.py: heading 42.71, IAS 252, Mach 0.42.
        {"A00004128F39F91A7E27C46ADC21", 210, {43, 252, 420, kU, kU, kU}},
        // pyModeS v2.21.1 test_py_common.py: IAS 336, Mach 0.48; the published heading 180.9 does
        // not follow from the bits (sign set, value 179.1 degrees: 359.1).
        {"A000029CFFBAA11E2004727281F1", 240, {359, 336, 480, kU, kU, kU}},
        // 1090 MHz Riddle inference chapter (register named, no values published).
        {"A0001838E519F33160240142D7FA", 394, {284, 249, 788, kU, kU, kU}},
    };
    for (const auto& c : cases) {
        TFlight none;
        decode(20, c.hex, none);
        EXPECT_EQ(commBValues(none), c.want) << c.hex;
        TFlight adsb;
        adsb.gs = c.gs50;
        adsb.track = (c.want[0] + 8) % 360;
        decode(20, c.hex, adsb);
        EXPECT_EQ(commBValues(adsb), c.want) << c.hex << " with ADS-B";
    }
    EXPECT_EQ(published("A00004128F39F91A7E27C46ADC21", "ias_kt"), "252");
    EXPECT_EQ(published("A000029CFFBAA11E2004727281F1", "ias_kt"), "336");
    EXPECT_EQ(published("A0001838E519F33160240142D7FA", "bds"), "6,0");

    // 1090 MHz Riddle inference chapter / pyModeS v2.21.1 test_bds_inference.py, published without
    // a register: read as 6,0 their IAS (401, 404) is out of range, so with an agreeing speed they
    // are 5,0, and without one nothing.
    const struct {
        const char* hex;
        std::array<int, 6> want;
    } both[] = {
        {"A8001EBCFFFB23286004A73F6A5B", {kU, kU, kU, 0, 0, 334}},
        {"A8001EBCFE1B29287FDCA807BCFC", {kU, kU, kU, -3, -2, 336}},
    };
    for (const auto& c : both) {
        TFlight adsb;
        adsb.gs = 322;
        adsb.track = 250;
        decode(21, c.hex, adsb);
        EXPECT_EQ(commBValues(adsb), c.want) << c.hex;
        TFlight none;
        decode(21, c.hex, none);
        EXPECT_EQ(commBValues(none), (std::array<int, 6>{kU, kU, kU, kU, kU, kU})) << c.hex;
    }

    // 4,4 and 1,7 (1090 MHz Riddle meteo and ELS chapters) are not decoded.
    for (const char* hex : {"A0001692185BD5CF400000DFC696", "A0000638FA81C10000000081A92F"}) {
        TFlight rec;
        decode(20, hex, rec);
        EXPECT_EQ(commBValues(rec), (std::array<int, 6>{kU, kU, kU, kU, kU, kU})) << hex;
        EXPECT_EQ(rec.mcpalt, kU);
        EXPECT_TRUE(rec.callsign.empty());
    }
}

// Bits that read as both registers: 5,0 roll 10, true track 224, ground speed 360, TAS 400; 6,0
// heading 20, IAS 250, Mach 0.72. ias: the IAS field (also the 5,0 track field).
test::Frame ambiguous(int ias = 250)
{
    return df20().me(1, 1, 1).me(3, 9, 57).me(12, 1, 1).me(13, 1, 1).me(14, 10, static_cast<unsigned>(ias))
        .me(24, 1, 1).me(25, 10, 180).me(35, 1, 1).me(46, 1, 1).me(47, 10, 200);
}

TEST(CommB, RegisterFiveOrSixByTheirChecksThenByTheAdsbTrack)
{
    const std::array<int, 6> as50{kU, kU, kU, 10, 0, 400}, as60{20, 250, 720, kU, kU, kU}, nothing{kU, kU, kU, kU, kU, kU};
    const struct {
        int ias, gs, track;
        std::array<int, 6> want;
    } cases[] = {
        {250, 360, 224, as50},  // both fit: the 5,0 track is the ADS-B one
        {250, 362, 230, as50},
        {250, 360, 25, as60},   // both fit: the heading is nearer
        {250, 358, 350, as60},
        {250, 360, kU, as50},   // both fit, no track: the agreeing speed decides
        {250, 364, 224, as60},  // 5,0 refused: speeds 4 kt apart
        {250, kU, 224, as60},   // 5,0 refused: no ADS-B speed
        {100, 360, 25, as50},   // IAS 100 refuses 6,0
        {100, kU, 25, nothing}, // neither fits
    };
    for (const auto& c : cases) {
        TFlight rec;
        rec.gs = c.gs;
        rec.track = c.track;
        decode(20, ambiguous(c.ias), rec);
        EXPECT_EQ(commBValues(rec), c.want) << c.ias << " " << c.gs << " " << c.track;
    }
}

} // namespace
} // namespace varnock
