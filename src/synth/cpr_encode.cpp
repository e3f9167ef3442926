// CPR encoding: latitude zone index and fraction, then longitude against the zone count it implies.
#include "synth/cpr_encode.h"

#include <array>
#include <cmath>
#include <numbers>

namespace varnock::synth {

namespace {

constexpr double kSteps = 131072.0; // 2^17

const std::array<double, 60>& transitionLatitudes()
{
    static const std::array<double, 60> table = [] {
        std::array<double, 60> t{};
        const double pi = std::numbers::pi;
        t[1] = 90.0;
        for (int n = 2; n <= 59; ++n)
            t[n] = std::acos(std::sqrt((1.0 - std::cos(pi / 30.0)) / (1.0 - std::cos(2.0 * pi / n)))) * 180.0 / pi;
        return t;
    }();
    return table;
}

double positiveMod(double x, double y)
{
    return x - y * std::floor(x / y);
}

CprWords encode(double lat, double lon, bool odd, double span)
{
    const int i = odd ? 1 : 0;
    const double dlat = span / (60 - i);
    const double yz = std::floor(kSteps * positiveMod(lat, dlat) / dlat + 0.5);
    // The longitude zones follow from the latitude the receiver will reconstruct, not the true one.
    const double rlat = dlat * (yz / kSteps + std::floor(lat / dlat));
    const int zones = cprZoneCount(rlat) - i;
    const double dlon = zones > 0 ? span / zones : span;
    const double xz = std::floor(kSteps * positiveMod(lon, dlon) / dlon + 0.5);
    return {int(long(yz) & 0x1FFFF), int(long(xz) & 0x1FFFF)};
}

} // namespace

int cprZoneCount(double lat)
{
    const double x = std::fabs(lat);
    if (x > 90.0) return 0;
    const auto& t = transitionLatitudes();
    for (int n = 59; n >= 2; --n)
        if (x <= t[n]) return n;
    return 1;
}

CprWords encodeCprAirborne(double lat, double lon, bool odd)
{
    return encode(lat, lon, odd, 360.0);
}

CprWords encodeCprSurface(double lat, double lon, bool odd)
{
    return encode(lat, lon, odd, 90.0);
}

} // namespace varnock::synth
