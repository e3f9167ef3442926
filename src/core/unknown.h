// The "unknown" markers of the aircraft record and the one test for each.
#pragma once

#include <concepts>
#include <cstdint>

namespace varnock {

constexpr int32_t kUnknown = -999;       // most integer fields
constexpr int32_t kUnknownAlt = -99999;  // fields whose real values go below -998 (vertical rate, altitudes)
constexpr double kUnknownPos = -999.0;   // latitude, longitude
// An altitude from an invalid Gillham code: unknown to isKnown, yet shown where isKnown5 rules.
constexpr int32_t kInvalidGillham = -9999;

// An integer field is known from -998 up: -999 and anything below (-9999, -99999) is unknown.
template <std::integral T>
constexpr bool isKnown(T v)
{
    return v >= -998;
}

// A position is known above -999.0; NaN is not.
constexpr bool isKnown(double v)
{
    return v > kUnknownPos;
}

// For the fields marked kUnknownAlt, where -999 and -9999 are values to show: known from -99998 up.
template <std::integral T>
constexpr bool isKnown5(T v)
{
    return v >= -99998;
}

} // namespace varnock
