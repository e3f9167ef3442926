// Comm-B registers 2,0, 4,0, 5,0 and 6,0 through decodeFrame labels 20 and 21.
#include <gtest/gtest.h>

#include <cmath>

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

TEST(CommB, PublishedFramesReadAsAnotherRegister)
{
    // pyModeS names these 6,0, but their bits pass the 5,0 test first; with no agreeing ADS-B
    // speed nothing is written. 4,4 and 1,7 (1090 MHz Riddle meteo and ELS chapters) are not decoded.
    for (const char* hex : {"A00004128F39F91A7E27C46ADC21", "A000029CFFBAA11E2004727281F1",
                            "A0001692185BD5CF400000DFC696", "A0000638FA81C10000000081A92F"}) {
        TFlight rec;
        decode(20, hex, rec);
        EXPECT_EQ(rec.heading + rec.roll + rec.mcpalt, 3 * kUnknown) << hex;
        EXPECT_TRUE(rec.callsign.empty());
    }
}

} // namespace
} // namespace varnock
