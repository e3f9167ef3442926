// CPR decoding: published position pairs, zone boundaries, quadrant behaviour and the choice rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "core/home_location.h"
#include "decode/cpr.h"
#include "core/flight.h"

using namespace varnock;

namespace {

struct Words {
    int lat = 0, lon = 0;
    bool odd = false;
};

// The CPR words of a position squitter, cut out of its hex text.
Words wordsOf(const char* hex)
{
    uint8_t b[14];
    for (int i = 0; i < 14; ++i) b[i] = static_cast<uint8_t>(std::stoi(std::string(hex + 2 * i, 2), nullptr, 16));
    Words w;
    w.lat = (((b[6] & 3) << 16) + (b[7] << 8) + (b[8] & 0xFE)) >> 1;
    w.lon = ((b[8] & 1) << 16) + (b[9] << 8) + b[10];
    w.odd = ((b[6] >> 2) & 1) != 0;
    return w;
}

// Encoder for building cases the published frames do not cover (span 360 airborne, 90 surface).
Words encode(double lat, double lon, bool odd, double span)
{
    const double nb = 131072.0;
    const double dlat = span / (odd ? 59.0 : 60.0);
    const double yz = std::floor(nb * cprMod(dlat, lat) / dlat + 0.5);
    const double rlat = dlat * (yz / nb + std::floor(lat / dlat));
    const int n = cprNL(std::fabs(rlat)) - (odd ? 1 : 0);
    const double dlon = n > 0 ? span / n : span;
    const double xz = std::floor(nb * cprMod(dlon, lon) / dlon + 0.5);
    return {static_cast<int>(cprMod(nb, yz)), static_cast<int>(cprMod(nb, xz)), odd};
}

// What the squitter decoder does before the choice rules run.
void fileAirborne(TFlight& rec, const Words& w, const HomeLocation& home)
{
    if (w.odd) { rec.airodd.lat = w.lat; rec.airodd.lon = w.lon; rec.airodd.age = 8; }
    else { rec.aireven.lat = w.lat; rec.aireven.lon = w.lon; rec.aireven.age = 8; }
    cprUpdateAirborne(rec, w.lat, w.lon, w.odd, home);
}

void fileSurface(TFlight& rec, const Words& w, const HomeLocation& home)
{
    if (w.odd) { rec.sfcodd.lat = w.lat; rec.sfcodd.lon = w.lon; rec.sfcodd.age = 14; }
    else { rec.sfceven.lat = w.lat; rec.sfceven.lon = w.lon; rec.sfceven.age = 14; }
    cprUpdateSurface(rec, w.lat, w.lon, w.odd, home);
}

// Source: "The 1090 Megahertz Riddle" (J. Sun), airborne position chapter.
constexpr const char* kRiddleEven = "8D40621D58C382D690C8AC2863A7";
constexpr const char* kRiddleOdd = "8D40621D58C386435CC412692AD6";
// Source: "The 1090 Megahertz Riddle" (J. Sun), surface position chapter.
constexpr const char* kRiddleSfcEven = "8C4841753AAB238733C8CD4020B1";
constexpr const char* kRiddleSfcOdd = "8C4841753A8A35323FAEBDAC702D";
// Source: pyModeS v2.21.1 tests/test_adsb.py.
constexpr const char* kPmsEven = "8D40058B58C901375147EFD09357";
constexpr const char* kPmsOdd = "8D40058B58C904A87F402D3B8C59";
// Source: pyModeS v2.21.1 tests/test_adsb.py (all-zero parity, decoder example only).
constexpr const char* kNzSfcEven = "8CC8200A3AC8F009BCDEF2000000";
constexpr const char* kNzSfcOdd = "8FC8200A3AB8F5F893096B000000";

constexpr double kTol = 1e-4;

} // namespace

TEST(CprTable, TransitionLatitudesAndZoneCounts)
{
    EXPECT_DOUBLE_EQ(static_cast<double>(cprTransitionLatitude(1)), 90.0);
    EXPECT_NEAR(static_cast<double>(cprTransitionLatitude(2)), 87.0, 1e-9);
    EXPECT_NEAR(static_cast<double>(cprTransitionLatitude(59)), 10.4705, 1e-4);
    EXPECT_EQ(cprNL(0.0), 59);
    EXPECT_EQ(cprNL(52.2572), 36);
    EXPECT_EQ(cprNL(90.0), 1);
    EXPECT_EQ(cprNL(90.0000001), 0);
    EXPECT_EQ(cprNL(NAN), 0);
}

TEST(CprTable, ExactTransitionLatitudeTakesLargerCount)
{
    for (int n = 2; n <= 59; ++n) {
        const long double t = cprTransitionLatitude(n);
        double on = static_cast<double>(t); // the largest double not above the table value
        if (static_cast<long double>(on) > t) on = std::nextafter(on, 0.0);
        EXPECT_EQ(cprNL(on), n) << n;
        EXPECT_EQ(cprNL(std::nextafter(on, 100.0)), n - 1) << n;
    }
}

TEST(CprGlobal, PublishedAirbornePairs)
{
    struct Case {
        const char* even;
        const char* odd;
        bool newestOdd;
        double lat, lon;
        const char* source;
    };
    const Case cases[] = {
        {kRiddleEven, kRiddleOdd, false, 52.25720, 3.91937, "1090 MHz Riddle, airborne position"},
        {kRiddleEven, kRiddleOdd, true, 52.26578, 3.93891, "1090 MHz Riddle, airborne position"},
        {kPmsEven, kPmsOdd, true, 49.81755, 6.08442, "pyModeS v2.21.1 tests/test_adsb.py"},
    };
    for (const Case& c : cases) {
        const Words e = wordsOf(c.even), o = wordsOf(c.odd);
        ASSERT_FALSE(e.odd);
        ASSERT_TRUE(o.odd);
        LatLon p;
        ASSERT_TRUE(cprGlobalAirborne(e.lat, o.lat, e.lon, o.lon, c.newestOdd, p)) << c.source;
        EXPECT_NEAR(p.lat, c.lat, kTol) << c.source;
        EXPECT_NEAR(p.lon, c.lon, kTol) << c.source;
    }
}

TEST(CprLocal, PublishedFramesAgainstReference)
{
    struct Case {
        const char* frame;
        bool surface;
        double refLat, refLon, lat, lon;
        const char* source;
    };
    const Case cases[] = {
        {kRiddleEven, false, 52.258, 3.918, 52.2572, 3.9194, "1090 MHz Riddle, airborne position"},
        {kPmsEven, false, 49.0, 6.0, 49.82410, 6.06785, "pyModeS v2.21.1 tests/test_adsb.py"},
        {kPmsOdd, false, 49.0, 6.0, 49.81755, 6.08442, "pyModeS v2.21.1 tests/test_adsb.py"},
        // South of the equator: the local decoder needs no quadrant choice.
        {kNzSfcOdd, true, -43.5, 172.5, -43.48564, 172.53942, "pyModeS v2.21.1 tests/test_adsb.py"},
    };
    for (const Case& c : cases) {
        const Words w = wordsOf(c.frame);
        LatLon p;
        const bool ok = c.surface ? cprLocalSurface(w.lat, w.lon, w.odd, c.refLat, c.refLon, p)
                                  : cprLocalAirborne(w.lat, w.lon, w.odd, c.refLat, c.refLon, p);
        ASSERT_TRUE(ok) << c.source;
        EXPECT_NEAR(p.lat, c.lat, kTol) << c.source;
        EXPECT_NEAR(p.lon, c.lon, kTol) << c.source;
    }
}

TEST(CprGlobal, SurfacePairNearReferenceSouthOfEquator)
{
    // Source: pyModeS v2.21.1 tests/test_adsb.py (odd frame newest, receiver near Christchurch).
    const Words e = wordsOf(kNzSfcEven), o = wordsOf(kNzSfcOdd);
    LatLon p;
    ASSERT_TRUE(cprGlobalSurface(e.lat, o.lat, e.lon, o.lon, true, p));
    EXPECT_GE(p.lat, 0.0);
    EXPECT_LE(p.lon, 90.0);
    ASSERT_TRUE(cprGlobalSurfaceNear(e.lat, o.lat, e.lon, o.lon, true, -43.5, 172.5, p));
    EXPECT_NEAR(p.lat, -43.48564, kTol);
    EXPECT_NEAR(p.lon, 172.53942, kTol);
}

TEST(CprGlobal, FailsOnZeroWords)
{
    const Words e = wordsOf(kRiddleEven), o = wordsOf(kRiddleOdd);
    struct Case { int latE, latO, lonE, lonO; };
    const Case cases[] = {
        {0, o.lat, e.lon, o.lon}, {e.lat, o.lat, 0, o.lon}, {e.lat, 0, e.lon, 0},
    };
    for (const Case& c : cases) {
        LatLon p{1.0, 2.0};
        EXPECT_FALSE(cprGlobalAirborne(c.latE, c.latO, c.lonE, c.lonO, false, p));
        EXPECT_FALSE(cprGlobalSurface(c.latE, c.latO, c.lonE, c.lonO, false, p));
        EXPECT_EQ(p.lat, 1.0);
    }
    // One odd word zero (a latitude on an odd zone edge) is still a usable pair; local decoding
    // has its own zero rules.
    LatLon p;
    const double edge = 8 * 360.0 / 59.0;
    const Words ze = encode(edge, 4.0, false, 360.0), zo = encode(edge, 4.0, true, 360.0);
    ASSERT_EQ(zo.lat, 0);
    EXPECT_TRUE(cprGlobalAirborne(ze.lat, 0, ze.lon, zo.lon, false, p));
    EXPECT_NEAR(p.lat, edge, kTol);
    EXPECT_NEAR(p.lon, 4.0, kTol);
    EXPECT_FALSE(cprLocalAirborne(0, 1000, false, 52.0, 4.0, p));
    EXPECT_FALSE(cprLocalAirborne(1000, 0, false, 52.0, 4.0, p));
    EXPECT_FALSE(cprLocalSurface(0, 0, false, 52.0, 4.0, p));
    EXPECT_TRUE(cprLocalSurface(0, 1000, false, 52.0, 4.0, p));
    EXPECT_FALSE(cprLocalAirborne(1000, 1000, false, NAN, 4.0, p)); // non-finite result
}

TEST(CprGlobal, ZoneCountMismatchFails)
{
    // Even and odd positions on either side of the 59/58 zone boundary.
    const double t = static_cast<double>(cprTransitionLatitude(59));
    const Words e = encode(t - 0.02, 20.0, false, 360.0);
    const Words o = encode(t + 0.02, 20.0, true, 360.0);
    LatLon p{7.0, 8.0};
    EXPECT_FALSE(cprGlobalAirborne(e.lat, o.lat, e.lon, o.lon, false, p));
    EXPECT_FALSE(cprGlobalAirborne(e.lat, o.lat, e.lon, o.lon, true, p));
    EXPECT_EQ(p.lat, 7.0);
    EXPECT_EQ(p.lon, 8.0);
}

TEST(CprChoice, FirstAirbornePositionWaitsForOtherParity)
{
    TFlight rec;
    const HomeLocation none;
    fileAirborne(rec, wordsOf(kRiddleEven), none);
    EXPECT_EQ(rec.lat, kUnknownPos);
    fileAirborne(rec, wordsOf(kRiddleOdd), none);
    EXPECT_NEAR(rec.lat, 52.26578, kTol); // the odd frame is the newest
    EXPECT_NEAR(rec.lon, 3.93891, kTol);
    EXPECT_EQ(rec.posage, 8);

    // A word that has run down closes the gate again.
    TFlight late;
    fileAirborne(late, wordsOf(kRiddleEven), none);
    late.aireven.age = 0;
    late.aireven.lat = kUnknown;
    fileAirborne(late, wordsOf(kRiddleOdd), none);
    EXPECT_EQ(late.lat, kUnknownPos);
}

TEST(CprChoice, HalfSetHomeWithUseDecodesNothing)
{
    for (const HomeLocation home : {HomeLocation{52.258, 0.0, true}, HomeLocation{0.0, 3.918, true}}) {
        TFlight rec;
        fileAirborne(rec, wordsOf(kRiddleEven), home);
        fileAirborne(rec, wordsOf(kRiddleOdd), home);
        EXPECT_EQ(rec.lat, kUnknownPos);
        EXPECT_EQ(rec.posage, 0);
    }
}

TEST(CprChoice, HomeWithUseGivesFirstPositionFromOneFrame)
{
    TFlight rec;
    fileAirborne(rec, wordsOf(kRiddleEven), HomeLocation{52.258, 3.918, true});
    EXPECT_NEAR(rec.lat, 52.2572, kTol);
    EXPECT_NEAR(rec.lon, 3.9194, kTol);
    EXPECT_EQ(rec.posage, 8);
}

TEST(CprChoice, KnownPositionFallsBackToLocalWhenGlobalFails)
{
    const double t = static_cast<double>(cprTransitionLatitude(59));
    TFlight rec;
    rec.lat = t;
    rec.lon = 20.0;
    const HomeLocation none;
    fileAirborne(rec, encode(t - 0.02, 20.0, false, 360.0), none);
    const Words o = encode(t + 0.02, 20.01, true, 360.0);
    fileAirborne(rec, o, none); // global fails on the zone counts; local against the own position
    EXPECT_NEAR(rec.lat, t + 0.02, 1e-3);
    EXPECT_NEAR(rec.lon, 20.01, 1e-3);

    // Without a position the failed global decoding leaves it unknown.
    TFlight fresh;
    fileAirborne(fresh, encode(t - 0.02, 20.0, false, 360.0), none);
    fileAirborne(fresh, o, none);
    EXPECT_EQ(fresh.lat, kUnknownPos);

    // A failed local decoding keeps what the record had.
    rec.posage = 3;
    cprUpdateAirborne(rec, 0, 0, false, none);
    EXPECT_NEAR(rec.lat, t + 0.02, 1e-3);
    EXPECT_EQ(rec.posage, 3);
}

TEST(CprChoice, SurfaceFirstPosition)
{
    const Words e = wordsOf(kRiddleSfcEven), o = wordsOf(kRiddleSfcOdd);
    {   // No home: the pair decodes globally. The published answer is the odd frame's position,
        // whatever the text calls newest (the even frame's own lies about 350 m away).
        TFlight rec;
        fileSurface(rec, e, HomeLocation{});
        EXPECT_EQ(rec.lat, kUnknownPos);
        fileSurface(rec, o, HomeLocation{});
        EXPECT_NEAR(rec.lat, 52.32061, kTol);
        EXPECT_NEAR(rec.lon, 4.73473, kTol);
    }
    {   // Home in use: one frame is enough.
        TFlight rec;
        fileSurface(rec, o, HomeLocation{51.990, 4.375, true});
        EXPECT_NEAR(rec.lat, 52.32061, kTol);
        EXPECT_NEAR(rec.lon, 4.73473, kTol);
        EXPECT_EQ(rec.posage, 8);
        // The pair now completes; near the published receiver nothing moves.
        fileSurface(rec, e, HomeLocation{51.990, 4.375, true});
        EXPECT_NEAR(rec.lat, 52.32061, 0.005);
        EXPECT_NEAR(rec.lon, 4.73473, 0.005);
    }
}

TEST(CprChoice, SurfaceSouthAndWest)
{
    struct Case { double lat, lon; };
    const Case cases[] = {{-33.9461, 151.1772}, {40.6413, -73.7781}, {-22.8090, -43.2506}};
    for (const Case& c : cases) {
        const Words e = encode(c.lat, c.lon, false, 90.0);
        const Words o = encode(c.lat + 0.001, c.lon + 0.001, true, 90.0);
        // The bare pair knows only the first quadrant.
        LatLon p;
        if (cprGlobalSurface(e.lat, o.lat, e.lon, o.lon, true, p)) {
            EXPECT_TRUE(p.lat >= 0.0 && p.lat <= 90.0 && p.lon >= 0.0 && p.lon <= 90.0) << c.lat;
        }
        // Against a correct home the first frame lands at its true place, and completing the pair
        // must not move the aircraft to the first quadrant.
        const HomeLocation home{c.lat + 0.2, c.lon - 0.2, true};
        TFlight rec;
        fileSurface(rec, e, home);
        EXPECT_NEAR(rec.lat, c.lat, 1e-4);
        EXPECT_NEAR(rec.lon, c.lon, 1e-4);
        fileSurface(rec, o, home);
        EXPECT_NEAR(rec.lat, c.lat + 0.001, 1e-4);
        EXPECT_NEAR(rec.lon, c.lon + 0.001, 1e-4);
    }
}

TEST(CprRange, LongitudesWrapAtTheAntimeridian)
{
    // Receiver just west of 180 (Fiji), aircraft just east of it, and the other way round.
    const struct {
        double refLat, refLon, lat, lon;
    } cases[] = {
        {-16.85, -179.93, -16.8, 179.95}, {-16.85, 179.93, -16.8, -179.95}, {-16.85, -179.999, -16.9, 179.999},
        {65.0, -179.9, 65.2, 179.8},      {65.0, 179.9, 65.2, -179.8},
    };
    for (const auto& c : cases) {
        for (const bool odd : {false, true}) {
            LatLon p;
            const Words a = encode(c.lat, c.lon, odd, 360.0);
            ASSERT_TRUE(cprLocalAirborne(a.lat, a.lon, odd, c.refLat, c.refLon, p));
            EXPECT_NEAR(p.lat, c.lat, 1e-3);
            EXPECT_NEAR(p.lon, c.lon, 1e-3) << c.refLon << " " << c.lon << " odd " << odd;
            const Words s = encode(c.lat, c.lon, odd, 90.0);
            ASSERT_TRUE(cprLocalSurface(s.lat, s.lon, odd, c.refLat, c.refLon, p));
            EXPECT_NEAR(p.lat, c.lat, 1e-4);
            EXPECT_NEAR(p.lon, c.lon, 1e-4) << "surface " << c.refLon << " " << c.lon << " odd " << odd;
            // The surface pair placed near a reference west of 180 for an aircraft east of it.
            const Words so = encode(c.lat, c.lon, !odd, 90.0);
            const Words& se = odd ? so : s;
            const Words& sd = odd ? s : so;
            ASSERT_TRUE(cprGlobalSurfaceNear(se.lat, sd.lat, se.lon, sd.lon, odd, c.refLat, c.refLon, p));
            EXPECT_NEAR(p.lon, c.lon, 1e-4) << "surface pair " << c.refLon << " " << c.lon;
        }
    }
}

TEST(CprRange, LatitudesBeyondThePoleAreRefused)
{
    LatLon p{7.0, 8.0};
    // Even word 0.885 of a zone against a reference 0.2 degrees from the south pole: -90.69.
    const int latW = static_cast<int>(0.885 * 131072.0);
    EXPECT_FALSE(cprLocalAirborne(latW, 1000, false, -89.8, 0.0, p));
    EXPECT_FALSE(cprLocalAirborne(131072 - latW, 1000, false, 89.8, 0.0, p));
    EXPECT_FALSE(cprLocalSurface(latW, 1000, false, -89.95, 0.0, p));
    // A pair whose zone index puts both words at 123 degrees: no place, not 57 degrees south.
    const int latE = 65536, latO = static_cast<int>(9.5 / 60.0 * 131072.0 + 0.5);
    EXPECT_FALSE(cprGlobalAirborne(latE, latO, 5000, 5000, false, p));
    EXPECT_FALSE(cprGlobalAirborne(latE, latO, 5000, 5000, true, p));
    EXPECT_EQ(p.lat, 7.0);
    EXPECT_EQ(p.lon, 8.0);
    // The same frame is fine against a reference inside its own zone.
    ASSERT_TRUE(cprLocalAirborne(latW, 1000, false, -84.8, 0.0, p));
    EXPECT_NEAR(p.lat, -90.0 + 6.0 * 0.885, 1e-4);
}

TEST(CprLocal, ReferenceAboveTheLastTransition)
{
    // Above 87 degrees there is one longitude zone (none for odd frames); below it two.
    const struct {
        double refLat, refLon, lat, lon;
    } cases[] = {
        {87.2, 40.0, 87.3, 45.0},   {87.2, 40.0, 86.9, 44.0},   {88.5, -120.0, 89.1, -100.0},
        {89.9, 170.0, 89.95, -170.0}, {87.01, 10.0, 87.0, 12.0}, {-87.5, 100.0, -88.0, 130.0},
        {-87.3, -5.0, -86.8, -4.0},
    };
    for (const auto& c : cases) {
        for (const bool odd : {false, true}) {
            const Words w = encode(c.lat, c.lon, odd, 360.0);
            LatLon p;
            ASSERT_TRUE(cprLocalAirborne(w.lat, w.lon, odd, c.refLat, c.refLon, p)) << c.lat;
            EXPECT_NEAR(p.lat, c.lat, 1e-3) << c.lat << " odd " << odd;
            EXPECT_NEAR(p.lon, c.lon, 1e-2) << c.lat << " " << c.lon << " odd " << odd;
        }
    }
}

TEST(CprChoice, FlightAcrossTheAntimeridianWithoutHome)
{
    // East- and westbound over 180 with no home. The frames of one parity lie just south of a
    // zone-count transition and those of the other just north, so every global decoding fails and
    // each position comes from the aircraft's own last one.
    const double t = -static_cast<double>(cprTransitionLatitude(55));
    for (const double step : {0.01, -0.01}) {
        const HomeLocation none;
        TFlight rec;
        double lon = step > 0 ? 179.935 : -179.935;
        fileAirborne(rec, encode(t - 0.01, lon, false, 360.0), none);
        fileAirborne(rec, encode(t - 0.01, lon, true, 360.0), none);
        ASSERT_NEAR(rec.lon, lon, 1e-3);
        for (int i = 1; i <= 14; ++i) {
            lon += step;
            if (lon >= 180.0) lon -= 360.0;
            if (lon < -180.0) lon += 360.0;
            const bool odd = i % 2 != 0;
            const double lat = odd ? t + 0.01 : t - 0.01;
            fileAirborne(rec, encode(lat, lon, odd, 360.0), none);
            EXPECT_NEAR(rec.lat, lat, 1e-3);
            EXPECT_NEAR(rec.lon, lon, 1e-3) << "step " << step << " frame " << i;
            EXPECT_TRUE(rec.lon >= -180.0 && rec.lon < 180.0) << rec.lon;
        }
    }
}
