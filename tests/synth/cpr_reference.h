// Reference CPR decoding for the synthesizer tests, written from the closed-form zone count.
#pragma once

#include <cmath>
#include <numbers>

namespace varnock::synth::testing {

inline int referenceNL(double lat)
{
    const double a = std::fabs(lat);
    if (a == 0.0) return 59;
    if (a == 87.0) return 2;
    if (a > 87.0) return 1;
    const double pi = std::numbers::pi;
    const double c = std::cos(pi / 180.0 * a);
    return int(std::floor(2.0 * pi / std::acos(1.0 - (1.0 - std::cos(pi / 30.0)) / (c * c))));
}

inline double referenceMod(double a, double b)
{
    return a - b * std::floor(a / b);
}

// Global decoding of an even/odd pair, the even frame taken as the newest; span 360 or 90 degrees.
inline bool referenceGlobal(int latE, int lonE, int latO, int lonO, double span, double& lat, double& lon)
{
    const double nb = 131072.0;
    const double j = std::floor((59.0 * latE - 60.0 * latO) / nb + 0.5);
    double rE = span / 60.0 * (referenceMod(j, 60.0) + latE / nb);
    double rO = span / 59.0 * (referenceMod(j, 59.0) + latO / nb);
    if (rE >= 270.0) rE -= 360.0;
    if (rO >= 270.0) rO -= 360.0;
    const int nl = referenceNL(rE);
    if (nl != referenceNL(rO)) return false;
    const double m = std::floor((lonE * (nl - 1.0) - lonO * double(nl)) / nb + 0.5);
    const double ni = nl > 1 ? nl : 1;
    lat = rE;
    lon = (referenceMod(m, ni) + lonE / nb) * span / ni;
    if (lon > 180.0) lon -= 360.0;
    return true;
}

} // namespace varnock::synth::testing
