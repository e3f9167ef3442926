// CPR position decoding: transition-latitude table, global and local decoding, and the choice rules.
#include "decode/cpr.h"

#include <array>
#include <cmath>

#include "core/home_location.h"
#include "core/flight.h"

namespace varnock {

namespace {

constexpr double kNb = 131072.0;

// One set of constants per CPR flavour: airborne covers 360 degrees, surface 90.
struct CprScale {
    double span;     // 360 or 90
    double dlatEven; // span / 60
    double dlatOdd;  // span / 59
};

constexpr CprScale kAirborne{360.0, 6.0, 360.0 / 59.0};
constexpr CprScale kSurface{90.0, 1.5, 90.0 / 59.0};

struct NlTable {
    std::array<long double, 60> v{}; // v[1..59]; v[0] unused

    NlTable()
    {
        const long double pi = 3.141592653589793238462643383279502884L;
        const long double toDeg = 180.0L / pi;
        v[1] = 90.0L;
        const long double a = 1.0L - std::cos(pi / 30.0L);
        for (int n = 2; n <= 59; ++n) {
            long double b = 1.0L - std::cos(2.0L * pi / static_cast<long double>(n));
            v[static_cast<std::size_t>(n)] = std::acos(std::sqrt(a / b)) * toDeg;
        }
    }
};

const NlTable& nlTable()
{
    static const NlTable table; // thread-safe one-time initialisation
    return table;
}

// A latitude beyond a pole is a wrong zone, not a place; longitudes wrap into [-180, 180).
bool finishPosition(double lat, double lon, LatLon& out)
{
    if (!std::isfinite(lat) || !std::isfinite(lon)) return false;
    if (lat > 90.0 || lat < -90.0) return false;
    lon -= 360.0 * std::floor((lon + 180.0) / 360.0);
    if (lon >= 180.0) lon -= 360.0; // rounding can land exactly on the upper end
    out.lat = lat;
    out.lon = lon;
    return true;
}

// Nearest of the four surface longitudes lon + k * 90 to the reference, kept within -180..180.
double nearestQuadrantLon(double lon, double refLon)
{
    double best = lon, bestDist = 1e9;
    for (int k = 0; k < 4; ++k) {
        double c = lon + 90.0 * k;
        if (c > 180.0) c -= 360.0;
        double d = std::fabs(c - refLon);
        if (d > 180.0) d = 360.0 - d;
        if (d < bestDist) { bestDist = d; best = c; }
    }
    return best;
}

// ref (lat, lon) or null: with a reference, a surface pair is placed in the hemisphere and the
// quadrant nearest to it, the zone count taken at that latitude.
bool globalDecode(const CprScale& sc, int latE, int latO, int lonE, int lonO, bool odd, const double* ref,
                  LatLon& out)
{
    if (latE == 0 || lonE == 0 || (latO == 0 && lonO == 0)) return false;
    const double j = std::floor((59.0 * latE - 60.0 * latO) / kNb + 0.5);
    double rlatE = sc.dlatEven * (cprMod(60.0, j) + latE / kNb);
    double rlatO = sc.dlatOdd * (cprMod(59.0, j) + latO / kNb);
    if (rlatE >= 270.0) rlatE -= 360.0;
    if (rlatO >= 270.0) rlatO -= 360.0;
    if (!std::isfinite(rlatE) || !std::isfinite(rlatO)) return false;
    if (ref) {
        const double newest = odd ? rlatO : rlatE;
        if (std::fabs(newest - 90.0 - ref[0]) < std::fabs(newest - ref[0])) {
            rlatE -= 90.0;
            rlatO -= 90.0;
        }
    }
    const int nl = cprNL(std::fabs(rlatE));
    if (nl != cprNL(std::fabs(rlatO))) return false;
    const double m = std::floor((double(lonE) * (nl - 1) - double(lonO) * nl) / kNb + 0.5);
    double lat, lon;
    if (!odd) {
        const int ni = nl > 1 ? nl : 1;
        lon = (cprMod(ni, m) + lonE / kNb) * (sc.span / ni);
        lat = rlatE;
    } else {
        const int ni = nl - 1 > 1 ? nl - 1 : 1;
        lon = (cprMod(ni, m) + lonO / kNb) * (sc.span / ni);
        lat = rlatO;
    }
    if (ref) lon = nearestQuadrantLon(lon, ref[1]);
    return finishPosition(lat, lon, out);
}

bool localDecode(const CprScale& sc, int latW, int lonW, bool odd, double refLat, double refLon, LatLon& out)
{
    const double dlat = odd ? sc.dlatOdd : sc.dlatEven;
    const double j = std::floor(refLat / dlat) + std::floor(cprMod(dlat, refLat) / dlat + 0.5 - latW / kNb);
    double lat = dlat * (latW / kNb + j);
    if (lat >= 270.0) lat -= 360.0;
    if (!std::isfinite(lat)) return false;
    const int n = cprNL(std::fabs(lat)) - (odd ? 1 : 0);
    // Beyond the pole (zone count 0, odd frame) the count would go negative: one zone, as at 0.
    const double dlon = n <= 0 ? sc.span : sc.span / n;
    const double m = std::floor(refLon / dlon) + std::floor(cprMod(dlon, refLon) / dlon - lonW / kNb + 0.5);
    const double lon = dlon * (lonW / kNb + m);
    return finishPosition(lat, lon, out);
}

// Global decoding of the stored pair, the frame being decoded taken as the newest.
bool storedAirbornePair(const TFlight& r, bool odd, LatLon& p)
{
    return r.aireven.usable() && r.airodd.usable() &&
           cprGlobalAirborne(r.aireven.lat, r.airodd.lat, r.aireven.lon, r.airodd.lon, odd, p);
}

void takePosition(TFlight& rec, const LatLon& p)
{
    rec.lat = p.lat;
    rec.lon = p.lon;
    rec.posage = 8;
}

} // namespace

long double cprTransitionLatitude(int n)
{
    if (n < 1 || n > 59) return 0.0L;
    return nlTable().v[static_cast<std::size_t>(n)];
}

int cprNL(double absLat)
{
    const NlTable& t = nlTable();
    const long double x = absLat;
    if (!(x <= t.v[1])) return 0; // above 90, or NaN
    // The table falls with n: the largest n with x <= v[n], so on a transition latitude itself
    // the larger count wins. Bisection, as every position frame asks twice.
    int lo = 1, hi = 59;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (x <= t.v[static_cast<std::size_t>(mid)])
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

double cprMod(double a, double b)
{
    if (a == 0.0) return 0.0;
    return b - a * std::floor(b / a);
}

bool cprGlobalAirborne(int latE, int latO, int lonE, int lonO, bool odd, LatLon& out)
{
    return globalDecode(kAirborne, latE, latO, lonE, lonO, odd, nullptr, out);
}

bool cprGlobalSurface(int latE, int latO, int lonE, int lonO, bool odd, LatLon& out)
{
    return globalDecode(kSurface, latE, latO, lonE, lonO, odd, nullptr, out);
}

bool cprGlobalSurfaceNear(int latE, int latO, int lonE, int lonO, bool odd, double refLat, double refLon,
                          LatLon& out)
{
    const double ref[2] = {refLat, refLon};
    return globalDecode(kSurface, latE, latO, lonE, lonO, odd, ref, out);
}

bool cprLocalAirborne(int latW, int lonW, bool odd, double refLat, double refLon, LatLon& out)
{
    if (latW == 0 || lonW == 0) return false;
    return localDecode(kAirborne, latW, lonW, odd, refLat, refLon, out);
}

bool cprLocalSurface(int latW, int lonW, bool odd, double refLat, double refLon, LatLon& out)
{
    if (latW == 0 && lonW == 0) return false;
    return localDecode(kSurface, latW, lonW, odd, refLat, refLon, out);
}

void cprUpdateAirborne(TFlight& rec, int latW, int lonW, bool odd, const HomeLocation& home)
{
    const bool bothWords = isKnown(rec.aireven.lat) && isKnown(rec.airodd.lat);
    if (!home.use && home.lat == 0.0 && home.lon == 0.0 && !bothWords) return;

    LatLon p;
    if (!isKnown(rec.lat)) {
        if (home.use && (home.lat != 0.0 || home.lon != 0.0)) {
            // A half-set home is no reference, and it also keeps global decoding out.
            const bool full = home.lat != 0.0 && home.lon != 0.0;
            if (full && cprLocalAirborne(latW, lonW, odd, home.lat, home.lon, p)) takePosition(rec, p);
        } else if (storedAirbornePair(rec, odd, p)) {
            takePosition(rec, p);
        }
        return;
    }
    if (storedAirbornePair(rec, odd, p)) {
        takePosition(rec, p);
        return;
    }
    if (cprLocalAirborne(latW, lonW, odd, rec.lat, rec.lon, p)) takePosition(rec, p);
}

void cprUpdateSurface(TFlight& rec, int latW, int lonW, bool odd, const HomeLocation& home)
{
    const TFlight& r = rec;
    const CprWord& e = r.sfceven;
    const CprWord& o = r.sfcodd;
    const bool bothFresh = e.usable() && o.usable();
    LatLon p;
    if (!isKnown(r.lat)) {
        if (home.use && home.lat != 0.0 && home.lon != 0.0) {
            if (cprLocalSurface(latW, lonW, odd, home.lat, home.lon, p)) takePosition(rec, p);
        } else if (bothFresh && cprGlobalSurface(e.lat, o.lat, e.lon, o.lon, odd, p)) {
            takePosition(rec, p);
        }
        return;
    }
    // The bare pair only knows the first quadrant; the own position says which one is meant.
    if (bothFresh && cprGlobalSurfaceNear(e.lat, o.lat, e.lon, o.lon, odd, r.lat, r.lon, p)) {
        takePosition(rec, p);
        return;
    }
    if (cprLocalSurface(latW, lonW, odd, rec.lat, rec.lon, p)) takePosition(rec, p);
}

} // namespace varnock
