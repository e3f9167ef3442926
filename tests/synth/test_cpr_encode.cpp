// CPR encoder: published even/odd words, zone counts at transitions, and round trips everywhere.
#include "cpr_reference.h"
#include "synth/cpr_encode.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace varnock::synth {
namespace {

struct PublishedWords {
    const char* source;
    bool surface;
    bool odd;
    double lat, lon; // the position the words decode to (odd ones with the odd frame as newest)
    int latWord, lonWord;
};

// Positions are the published pairs decoded with the frame itself as the newest (surface ones locally
// against 52.32 N 4.73 E).
const PublishedWords kPublished[] = {
    {"Riddle airborne 8D40621D58C382D690C8AC2863A7", false, false, 52.2572021484375, 3.91937255859375, 93000, 51372},
    {"Riddle airborne 8D40621D58C386435CC412692AD6", false, true, 52.26578017412606, 3.9389125279017856, 74158,
     50194},
    {"Riddle surface 8C4841753AAB238733C8CD4020B1", true, false, 52.32304000854492, 4.730472564697266, 115609,
     116941},
    {"Riddle surface 8C4841753A8A35323FAEBDAC702D", true, true, 52.320607072215964, 4.734734671456474, 39199,
     110269},
};

TEST(CprEncode, ReproducesPublishedWords)
{
    for (const auto& p : kPublished) {
        SCOPED_TRACE(p.source);
        const CprWords w = p.surface ? encodeCprSurface(p.lat, p.lon, p.odd) : encodeCprAirborne(p.lat, p.lon, p.odd);
        EXPECT_LE(std::abs(w.lat - p.latWord), 1);
        EXPECT_LE(std::abs(w.lon - p.lonWord), 1);
    }
}

TEST(CprEncode, ZoneCountsFollowTheTransitionLatitudes)
{
    EXPECT_EQ(cprZoneCount(0.0), 59);
    EXPECT_EQ(cprZoneCount(10.4704), 59);
    EXPECT_EQ(cprZoneCount(10.4706), 58);
    EXPECT_EQ(cprZoneCount(52.2572), 36);
    EXPECT_EQ(cprZoneCount(-52.2572), 36);
    EXPECT_EQ(cprZoneCount(86.9), 2);
    EXPECT_EQ(cprZoneCount(87.0), 2);
    EXPECT_EQ(cprZoneCount(87.1), 1);
    EXPECT_EQ(cprZoneCount(90.5), 0);
    for (double lat = 0.0; lat < 87.0; lat += 0.37) EXPECT_EQ(cprZoneCount(lat), testing::referenceNL(lat)) << lat;
}

TEST(CprEncode, EvenAndOddWordsDecodeBackToThePosition)
{
    // Both hemispheres, the date line, near zone transitions and the poles.
    const double positions[][2] = {{52.30, 4.76},   {52.2572, 3.9194}, {-33.95, 151.18}, {40.64, -73.78},
                                   {10.4705, 0.01}, {10.46, -0.01},    {64.8, -147.9},   {0.0001, 179.999},
                                   {-0.5, -179.99}, {86.99, 45.0},     {89.5, -120.0},   {-71.2, 10.5}};
    for (const auto& p : positions) {
        SCOPED_TRACE(::testing::Message() << p[0] << " " << p[1]);
        const CprWords e = encodeCprAirborne(p[0], p[1], false);
        const CprWords o = encodeCprAirborne(p[0], p[1], true);
        double lat = 0, lon = 0;
        ASSERT_TRUE(testing::referenceGlobal(e.lat, e.lon, o.lat, o.lon, 360.0, lat, lon));
        EXPECT_NEAR(lat, p[0], 1e-4);
        // Compared as distance: near the poles a longitude step is wide but short.
        const double coslat = std::cos(p[0] * std::numbers::pi / 180.0);
        EXPECT_NEAR(std::remainder(lon - p[1], 360.0) * coslat, 0.0, 1e-4);

        // Surface words repeat every 90 degrees and global decoding lands in the first quadrant,
        // which keeps the latitude (and so the zone count) right only north of the equator.
        if (p[0] < 0.0) continue;
        const CprWords se = encodeCprSurface(p[0], p[1], false);
        const CprWords so = encodeCprSurface(p[0], p[1], true);
        ASSERT_TRUE(testing::referenceGlobal(se.lat, se.lon, so.lat, so.lon, 90.0, lat, lon));
        EXPECT_NEAR(std::remainder(lat - p[0], 90.0), 0.0, 2e-5);
        EXPECT_NEAR(std::remainder(lon - p[1], 90.0) * coslat, 0.0, 2e-5);
    }
}

} // namespace
} // namespace varnock::synth
