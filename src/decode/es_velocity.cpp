// ES airborne velocity (TC 19): ground speed and track, or heading and airspeed, and vertical rate.
//
// byte 4: TC(5) ST(3)   byte 5: IC(1) IFR(1) NUC(3) Dew/HS(1) Vew/HDG(2, high)   byte 6: Vew/HDG(8, low)
// byte 7: Dns/AST(1) Vns/AS(7, high)   byte 8: Vns/AS(3, low) VrSrc(1) Svr(1) VR(3, high)
// byte 9: VR(6, low) spare(2)   byte 10: Sdif(1) dAlt(7)
#include <cmath>
#include <numbers>

#include "decode/extended_squitter.h"
#include "decode/field_codes.h"

namespace varnock {

int velocityTrack(int a, int b, int sns, int sew)
{
    // A component of -1 (raw 0) is "not available": no track from half a vector.
    if (a < 0 || b < 0) return kUnknown;
    if (a == 0) return sew ? 270 : 90;
    const double f = std::atan(static_cast<double>(b) / a) * 180.0 / std::numbers::pi;
    double t;
    if (!sns) t = sew ? 360.0 - f : f;
    else t = sew ? 180.0 + f : 180.0 - f;
    return roundHalfEven(t);
}

void decodeEsVelocity(const uint8_t* b, TFlight& rec, const HomeLocation&)
{
    rec.onground = 0;
    rec.vrate = 0;

    const int st = b[4] & 7;
    const bool supersonic = st == 2 || st == 4;
    const int unit = supersonic ? 4 : 1; // supersonic subtypes count in 4-kt steps
    rec.supersonic = (st % 2 == 0) ? 1 : 0;
    rec.icflag = (b[5] & 0x80) ? 6 : 0;
    rec.ifr = (b[5] >> 6) & 1;
    rec.nucr = (b[5] >> 3) & 7;
    const int d = (b[5] >> 2) & 1;

    if (st == 1 || st == 2) {
        const int vew = ((b[5] & 3) << 8) + b[6];
        const int vns = ((b[7] & 0x7F) << 3) | (b[8] >> 5);
        const int sns = b[7] >> 7;
        if (vns == 0 || vew == 0) {
            rec.track = kUnknown;
            rec.gs = kUnknown;
        } else {
            const int a = (vns - 1) * unit;
            const int e = (vew - 1) * unit;
            rec.track = velocityTrack(a, e, sns, d);
            const int gs = roundHalfEven(std::sqrt(static_cast<double>(a) * a + static_cast<double>(e) * e));
            rec.gs = (!supersonic && gs >= 1000) ? kUnknown : gs;
        }
    } else if (st == 3 || st == 4) {
        rec.hdgstatus = d;
        if (d == 1) rec.heading = ((((b[5] & 3) << 8) + b[6]) * 360) / 1024;
        rec.airspeedtype = b[7] >> 7;
        const int raw = ((b[7] & 0x7F) << 3) | (b[8] >> 5);
        const int airspeed = raw == 0 ? kUnknown : (raw - 1) * unit;
        if (rec.airspeedtype == 0) rec.ias = airspeed;
        else rec.tas = airspeed;
    }

    rec.vrsource = (b[8] >> 4) & 1;
    const int v = ((b[8] & 7) << 6) | (b[9] >> 2);
    const int magnitude = v > 256 ? 9900 : (v - 1) * 64;
    rec.vrate = (b[8] & 0x08) ? -magnitude : magnitude;
    const int diff = ((b[10] & 0x7F) - 1) * 25;
    rec.altdiff = (b[10] & 0x80) ? -diff : diff;
}

} // namespace varnock
