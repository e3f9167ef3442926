// DF 0 / DF 16 short and long air-air surveillance.
//
// byte 0: DF(5) VS(1) CC(1) bit0(1)   byte 1: SL(3) spare(2) RI(3, high part)
// byte 2: RI(1, low bit) spare(2) AC(5, high)   byte 3: AC(8, low)
#include "decode/field_codes.h"
#include "decode/reply_decoders.h"

namespace varnock {

void decodeAirAirSurveillance(const uint8_t* b, TFlight& rec)
{
    rec.df0bit = b[0] & 1;
    rec.sl = b[1] >> 5;
    rec.ri = ((b[1] & 7) << 1) | (b[2] >> 7);
    if (b[0] & 0x04) { // vertical status says on the ground
        setGroundAltitude(rec);
        return;
    }
    rec.onground = 0;
    rec.altitude = decodeAltitudeCode(((b[2] & 0x1F) << 8) | b[3], 13, rec);
    formatFlightLevel(rec);
}

} // namespace varnock
