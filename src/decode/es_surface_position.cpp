// ES surface position (TC 5-8): movement, ground track, CPR words.
//
// byte 4: TC(5) MOV(3, high)   byte 5: MOV(4, low) S(1) TRK(3, high)   byte 6: TRK(4, low) T(1) F(1) LAT(2)
// bytes 7-10: as the airborne position
#include "decode/cpr.h"
#include "decode/extended_squitter.h"
#include "decode/field_codes.h"

namespace varnock {

namespace {

// Movement code -> whole knots (the coarse buckets of the low speeds are kept as whole knots).
int movementKnots(int m)
{
    if (m == 1) return 0;
    if (m >= 2 && m <= 8) return 1;
    if (m >= 9 && m <= 12) return 2;
    if (m >= 13 && m <= 38) return 2 + (m - 13) / 2;
    if (m >= 39 && m <= 93) return m - 24;
    if (m >= 94 && m <= 108) return 70 + 2 * (m - 94);
    if (m >= 109 && m <= 123) return 100 + 5 * (m - 109);
    if (m == 124) return 175;
    return kUnknown;
}

} // namespace

void decodeEsSurfacePosition(const uint8_t* b, TFlight& rec, const HomeLocation& home)
{
    rec.onground = 1;
    setGroundAltitude(rec);
    rec.timebit = (b[6] >> 3) & 1;
    rec.track = (b[5] & 0x08) ? ((((b[5] & 7) << 4) | (b[6] >> 4)) * 360) >> 7 : kUnknown;
    rec.gs = movementKnots(((b[4] & 7) << 4) | (b[5] >> 4));

    const bool odd = ((b[6] >> 2) & 1) != 0;
    const int latW = (((b[6] & 3) << 16) + (b[7] << 8) + (b[8] & 0xFE)) >> 1;
    const int lonW = ((b[8] & 1) << 16) + (b[9] << 8) + b[10];
    (odd ? rec.sfcodd : rec.sfceven) = CprWord{latW, lonW, kSurfaceCprAge};
    cprUpdateSurface(rec, latW, lonW, odd, home);
}

} // namespace varnock
