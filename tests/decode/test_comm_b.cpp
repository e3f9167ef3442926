// Comm-B registers 2,0, 4,0, 5,0 and 6,0 through decodeFrame labels 20 and 21.
#include <gtest/gtest.h>

#include <cmath>

#include "decode/decode_frame.h"
#include "flights/commb_infer.h"
#include "flights/flight.h"
#include "decode_test_support.h"

namespace varnock {
namespace {

using test::fromHex;
using test::published;

void decode(int label, const test::Frame& f, TFlight& rec) { decodeFrame(label, f.data(), rec, DecodeContext{}); }
void decode(int label, const std::string& hex, TFlight& rec) { decode(label, fromHex(hex), rec); }

test::Frame df20()
{
    test::Frame f;
    f.b[0] = 0xA0;
    return f;
}

int whole(const std::string& text) { return static_cast<int>(std::nearbyint(std::stod(text))); }

TEST(CommB, Register20Callsigns)
{
    struct Case {
        int label;
        const char* hex;
        const char* callsign;
        const char* source;
    };
    const Case cases[] = {
        {20, "A000083E202CC371C31DE0AA1CCF", "KLM1017 ", "1090 MHz Riddle ELS chapter; pyModeS test_commb.py"},
        {20, "A0001993202422F2E37CE038738E", "IBK2873 ", "pyModeS v2.21.1 test_commb.py"},
        {20, "A0001838201584F23468207CDFA5", "EXS2MF  ", "pyModeS test_bds_inference.py / test_bds_commb.py"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        TFlight rec;
        rec.callsign.assign("OLDCALL1", 8);
        decode(c.label, c.hex, rec);
        EXPECT_EQ(published(c.hex, "bds"), "2,0");
        EXPECT_EQ(std::string(rec.callsign.c_str()).substr(0, published(c.hex, "callsign").size()),
                  published(c.hex, "callsign"));
        EXPECT_STREQ(rec.callsign.c_str(), c.callsign);
    }
    // An MB starting with 0x20 is register 2,0 whatever follows.
    TFlight rec;
    auto f = df20().me(1, 8, 0x20).me(9, 6, 11).me(27, 1, 1);
    decode(20, f, rec);
    EXPECT_STREQ(rec.callsign.c_str(), "K       ");
    EXPECT_EQ(rec.qnh, kUnknown);
}

TEST(CommB, Register40Published)
{
    struct Case {
        int label;
        const char* hex;
        int mcp, fms, qnh, altsource;
        const char* source;
    };
    const Case cases[] = {
        {21, "A8001EBCAEE57730A80106DE1344", 240, 240, 1013, 1, "1090 MHz Riddle EHS chapter"},
        {20, "A000029C85E42F313000007047D3", 30, 30, 1020, 0, "pyModeS v2.21.1 test_commb.py"},
        {20, "A0001839CA3800315800007448D9", 380, kUnknown, 1022, 0, "pyModeS test_py_common.py (no values)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(published(c.hex, "bds"), "4,0");
        TFlight rec;
        decode(c.label, c.hex, rec);
        EXPECT_EQ(rec.mcpalt, c.mcp);
        EXPECT_EQ(rec.fmsalt, c.fms);
        EXPECT_EQ(rec.qnh, c.qnh);
        EXPECT_EQ(rec.altsource, c.altsource);
        EXPECT_EQ(rec.mcpmode, 0);
        const std::string mcp = published(c.hex, "selected_altitude_mcp_ft");
        if (!mcp.empty()) {
            EXPECT_EQ(whole(mcp) / 100, c.mcp);
            EXPECT_EQ(whole(published(c.hex, "selected_altitude_fms_ft")) / 100, c.fms);
            EXPECT_EQ(whole(published(c.hex, "baro_setting_mb")), c.qnh);
        }
    }
}

// Register 4,0 from its fields: MCP and baro raw values, optional FMS, mode and source bits.
test::Frame bds40(int mcpRaw, int baroRaw, int fmsRaw = -1, int modeBits = -1, int sourceBits = -1)
{
    auto f = df20().me(1, 1, 1).me(2, 12, static_cast<unsigned>(mcpRaw)).me(27, 1, 1)
                 .me(28, 12, static_cast<unsigned>(baroRaw));
    if (fmsRaw >= 0) f.me(14, 1, 1).me(15, 12, static_cast<unsigned>(fmsRaw));
    if (modeBits >= 0) f.me(48, 1, 1).me(49, 3, static_cast<unsigned>(modeBits));
    if (sourceBits >= 0) f.me(54, 1, 1).me(55, 2, static_cast<unsigned>(sourceBits));
    return f;
}

TEST(CommB, Register40Limits)
{
    struct Case {
        int mcpRaw, baroRaw;
        bool written;
        int mcp, qnh;
    };
    const Case cases[] = {
        {1500, 2132, true, 240, 1013},
        {2687, 2132, true, 430, 1013},  // 429.9 rounds to the limit
        {2700, 2132, false, 0, 0},      // 432 hundreds of ft: discarded
        {1500, 1600, false, 0, 0},      // 960 mb: discarded
        {1500, 1610, true, 240, 961},
        {1500, 2700, false, 0, 0},      // 1070 mb: discarded
        {1500, 2690, true, 240, 1069},
        {1500, 2135, true, 240, 1014},  // 1013.5 -> even
        {1500, 2125, true, 240, 1012},  // 1012.5 -> even
    };
    for (const auto& c : cases) {
        const auto f = bds40(c.mcpRaw, c.baroRaw);
        ASSERT_EQ(inferCommBRegister(f.data()), 0x40);
        TFlight rec;
        decode(20, f, rec);
        if (c.written) {
            EXPECT_EQ(rec.mcpalt, c.mcp) << c.mcpRaw;
            EXPECT_EQ(rec.qnh, c.qnh) << c.baroRaw;
            EXPECT_EQ(rec.fmsalt, kUnknown);
        } else {
            // Nothing of the register is written when one value fails.
            EXPECT_EQ(rec.mcpalt, kUnknown) << c.mcpRaw << "/" << c.baroRaw;
            EXPECT_EQ(rec.qnh, kUnknown);
            EXPECT_EQ(rec.fmsalt, kUnknown);
            EXPECT_EQ(rec.mcpmode, kUnknown);
            EXPECT_EQ(rec.altsource, kUnknown);
        }
    }
}

TEST(CommB, Register40ModesAndSource)
{
    struct Case {
        int modeBits, sourceBits;
        int mcpmode, altsource;
    };
    const Case cases[] = {
        {-1, -1, 0, 0}, {4, -1, 1, 0}, {2, -1, 2, 0}, {1, -1, 4, 0}, {7, 2, 7, 1}, {-1, 1, 0, 2}, {0, 3, 0, 3},
    };
    for (const auto& c : cases) {
        const auto f = bds40(1500, 2132, 1500, c.modeBits, c.sourceBits);
        ASSERT_EQ(inferCommBRegister(f.data()), 0x40);
        TFlight rec;
        decode(20, f, rec);
        EXPECT_EQ(rec.mcpmode, c.mcpmode) << c.modeBits;
        EXPECT_EQ(rec.altsource, c.altsource) << c.sourceBits;
        EXPECT_EQ(rec.fmsalt, 240);
    }
}

TEST(CommB, Register50NeedsAgreeingAdsbSpeed)
{
    // 1090 MHz Riddle EHS chapter: roll -9.7, track rate -0.406, ground speed 476, TAS 466.
    const std::string hex = "A80006ACF9363D3BBF9CE98F1E1D";
    EXPECT_EQ(published(hex, "bds"), "5,0");
    const int published_gs = std::stoi(published(hex, "groundspeed_kt"));
    struct Case {
        int gs;
        bool written;
    };
    const Case cases[] = {{kUnknown, false}, {published_gs, true}, {published_gs + 3, true},
                          {published_gs - 3, true}, {published_gs + 4, false}, {published_gs - 4, false}};
    for (const auto& c : cases) {
        TFlight rec;
        rec.gs = c.gs;
        decode(21, hex, rec);
        if (c.written) {
            EXPECT_EQ(rec.roll, whole(published(hex, "roll_deg"))) << c.gs;
            EXPECT_EQ(rec.trackrate, -4) << c.gs;
            EXPECT_EQ(rec.tas, std::stoi(published(hex, "tas_kt")));
        } else {
            EXPECT_EQ(rec.roll, kUnknown) << c.gs;
            EXPECT_EQ(rec.trackrate, kUnknown);
            EXPECT_EQ(rec.tas, kUnknown);
        }
    }
    // pyModeS v2.21.1 test_commb.py: roll 2.1, rate 0.125 deg/s (1.25 tenths, then below the floor).
    const std::string other = "A000139381951536E024D4CCF6B5";
    TFlight rec;
    rec.gs = std::stoi(published(other, "groundspeed_kt"));
    decode(20, other, rec);
    EXPECT_EQ(rec.roll, 2);
    EXPECT_EQ(rec.trackrate, 0);
    EXPECT_EQ(rec.tas, std::stoi(published(other, "tas_kt")));
}

// Register 5,0 from its fields (ground speed 400 kt).
test::Frame bds50(int rollSign, int roll, int rateSign, int rate, int tasRaw = 200)
{
    return df20()
        .me(1, 1, 1).me(2, 1, static_cast<unsigned>(rollSign)).me(3, 9, static_cast<unsigned>(roll))
        .me(12, 1, 1)
        .me(24, 1, 1).me(25, 10, 200)
        .me(35, 1, 1).me(36, 1, static_cast<unsigned>(rateSign)).me(37, 9, static_cast<unsigned>(rate))
        .me(46, 1, 1).me(47, 10, static_cast<unsigned>(tasRaw));
}

TEST(CommB, Register50RollAndTrackRate)
{
    struct Case {
        int rollSign, rollRaw, rateSign, rateRaw;
        int roll, rate;
        const char* note;
    };
    const Case cases[] = {
        {0, 57, 0, 16, 10, 5, "10 deg, 0.5 deg/s"},
        {1, 455, 1, 496, -10, -5, "negative roll and rate"},
        {0, 11, 0, 16, 2, 5, "2 deg is the smallest roll kept"},
        {0, 6, 0, 16, 0, 0, "1 deg roll is level: no rate either"},
        {0, 284, 0, 161, 50, 50, "limits kept"},
        {0, 290, 0, 16, 0, 0, "51 deg roll: dropped"},
        {0, 57, 0, 164, 10, 0, "5.1 deg/s: dropped"},
        {0, 57, 0, 3, 10, 0, "0.1 deg/s: below the floor"},
        {0, 57, 0, 8, 10, 2, "2.5 tenths -> even"},
        {0, 57, 0, 24, 10, 8, "7.5 tenths -> even"},
        {0, 511, 0, 16, 0, 0, "90 deg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.note);
        const auto f = bds50(c.rollSign, c.rollRaw, c.rateSign, c.rateRaw);
        ASSERT_EQ(inferCommBRegister(f.data()), 0x50);
        TFlight rec;
        rec.gs = 401;
        decode(20, f, rec);
        EXPECT_EQ(rec.roll, c.roll);
        EXPECT_EQ(rec.trackrate, c.rate);
        EXPECT_EQ(rec.tas, 400);
    }
    for (int tasRaw : {277, 278}) {
        TFlight rec;
        rec.gs = 400;
        decode(20, bds50(0, 57, 0, 16, tasRaw), rec);
        EXPECT_EQ(rec.tas, tasRaw == 277 ? 554 : kUnknown);
        EXPECT_EQ(rec.roll, tasRaw == 277 ? 10 : kUnknown);
    }
}

TEST(CommB, Register60Published)
{
    // 1090 MHz Riddle EHS chapter: heading 110.391, IAS 259, Mach 0.7.
    const std::string hex = "A80004AAA74A072BFDEFC1D5CB4F";
    EXPECT_EQ(published(hex, "bds"), "6,0");
    TFlight rec;
    decode(21, hex, rec);
    EXPECT_EQ(rec.heading, whole(published(hex, "magnetic_heading_deg")));
    EXPECT_EQ(rec.ias, std::stoi(published(hex, "ias_kt")));
    EXPECT_EQ(rec.mach, static_cast<int>(std::nearbyint(std::stod(published(hex, "mach")) * 1000)));
}

TEST(CommB, PublishedRegistersTheBitsReadOtherwise)
{
    // pyModeS names these 6,0, but their MB bits also pass the 5,0 test, which comes first:
    // without an agreeing ADS-B speed nothing is written.
    for (const char* hex : {"A00004128F39F91A7E27C46ADC21", "A000029CFFBAA11E2004727281F1"}) {
        EXPECT_EQ(published(hex, "bds"), "6,0");
        EXPECT_EQ(inferCommBRegister(fromHex(hex).data()), 0x50) << hex;
        TFlight rec;
        decode(20, hex, rec);
        EXPECT_EQ(rec.heading, kUnknown);
        EXPECT_EQ(rec.roll, kUnknown);
    }
    // Registers 4,4 and 1,7 are not decoded (1090 MHz Riddle meteo and ELS chapters).
    for (const char* hex : {"A0001692185BD5CF400000DFC696", "A0000638FA81C10000000081A92F"}) {
        TFlight rec;
        rec.gs = 300;
        decode(20, hex, rec);
        EXPECT_EQ(rec.mcpalt, kUnknown) << hex;
        EXPECT_EQ(rec.roll, kUnknown);
        EXPECT_EQ(rec.heading, kUnknown);
        EXPECT_STREQ(rec.callsign.c_str(), "");
    }
}

// Register 6,0 from its fields; the inertial vertical-rate status keeps the bits clear of 4,0.
test::Frame bds60(int hdgSign, int hdgRaw, int ias, int machRaw)
{
    return df20()
        .me(1, 1, 1).me(2, 1, static_cast<unsigned>(hdgSign)).me(3, 10, static_cast<unsigned>(hdgRaw))
        .me(13, 1, 1).me(14, 10, static_cast<unsigned>(ias))
        .me(24, 1, 1).me(25, 10, static_cast<unsigned>(machRaw))
        .me(46, 1, 1);
}

TEST(CommB, Register60Limits)
{
    struct Case {
        int hdgSign, hdgRaw, ias, machRaw;
        bool written;
        int heading;
    };
    const Case cases[] = {
        {0, 628, 259, 175, true, 110},
        {1, 628, 259, 175, true, 290},
        {0, 512, 115, 175, false, 0}, // IAS 115: discarded
        {0, 512, 116, 175, true, 90},
        {0, 512, 379, 175, true, 90},
        {0, 512, 380, 175, false, 0}, // IAS 380: discarded
        {0, 512, 259, 52, false, 0},  // Mach 0.208
        {0, 512, 259, 53, true, 90},  // Mach 0.212
        {0, 512, 259, 219, true, 90}, // Mach 0.876
        {0, 512, 259, 220, false, 0}, // Mach 0.880
        {1, 1023, 259, 175, true, 0}, // 359.8 deg rounds to a full turn
    };
    for (const auto& c : cases) {
        const auto f = bds60(c.hdgSign, c.hdgRaw, c.ias, c.machRaw);
        ASSERT_EQ(inferCommBRegister(f.data()), 0x60);
        TFlight rec;
        decode(21, f, rec);
        if (c.written) {
            EXPECT_EQ(rec.heading, c.heading) << c.hdgRaw;
            EXPECT_EQ(rec.ias, c.ias);
            EXPECT_EQ(rec.mach, c.machRaw * 4);
        } else {
            EXPECT_EQ(rec.heading, kUnknown) << c.ias << "/" << c.machRaw;
            EXPECT_EQ(rec.ias, kUnknown);
            EXPECT_EQ(rec.mach, kUnknown);
        }
    }
}

} // namespace
} // namespace varnock
