// ES airborne position (TC 0, 9-18): surveillance status, altitude, CPR words.
//
// byte 4: TC(5) SS(2) SAF(1)   byte 5: ALT(8, high)   byte 6: ALT(4, low) T(1) F(1) LAT(2, high)
// bytes 7-8: LAT(15, low; byte 8 bit 0 is LON's top bit)   bytes 9-10: LON(16, low)
#include "decode/cpr.h"
#include "decode/extended_squitter.h"
#include "decode/field_codes.h"

namespace varnock {

void decodeEsAirbornePosition(const uint8_t* b, TFlight& rec, const HomeLocation& home)
{
    const bool odd = ((b[6] >> 2) & 1) != 0;
    rec.timebit = (b[6] >> 3) & 1;
    switch ((b[4] >> 1) & 3) {
    case 3: rec.spi = 6; break;
    case 1: rec.emergency = 99999; break;
    case 2: rec.alert = 6; break;
    default: break;
    }
    const int latW = (((b[6] & 3) << 16) + (b[7] << 8) + (b[8] & 0xFE)) >> 1;
    const int lonW = ((b[8] & 1) << 16) + (b[9] << 8) + b[10];
    if (latW != 0 && lonW != 0)
        rec.altitude = decodeAltitudeCode(((b[5] << 8) + (b[6] & 0xF0)) >> 4, 12, rec);

    if (rec.onground == 1) setGroundAltitude(rec);
    else formatFlightLevel(rec);

    if (latW == 0 && lonW == 0) return;
    (odd ? rec.airodd : rec.aireven) = CprWord{latW, lonW, kAirborneCprAge};
    cprUpdateAirborne(rec, latW, lonW, odd, home);
}

} // namespace varnock
