// Comm-B register 6,0: heading and speed report.
//
// MB bit 1 = byte 4 mask 0x80. bits 1-12 heading status, sign, value (90/512 deg); 13-23 IAS status +
// value (kt); 24-34 Mach status + value (0.004); 35-45 baro vertical rate; 46-56 inertial vertical rate.
#include "decode/comm_b.h"
#include "decode/field_codes.h"

namespace varnock {

bool readBds60(const uint8_t* b, HeadingAndSpeed& v)
{
    const int ias = ((b[5] & 7) << 7) | (b[6] >> 1);
    const int mach = (((b[7] << 8) | (b[8] & 0xC0)) >> 6) * 4;
    if (ias <= 115 || ias >= 380 || mach <= 210 || mach >= 880) return false;
    int heading = roundHalfEven((((b[4] & 0x3F) << 4) | (b[5] >> 4)) * 90 / 512.0);
    if (b[4] & 0x40) heading += 180;
    if (heading == 360) heading = 0; // the top value rounds up to a full turn
    v.heading = heading;
    v.ias = ias;
    v.mach = mach;
    return true;
}

bool decodeBds60(const uint8_t* b, TFlight& rec)
{
    HeadingAndSpeed v;
    if (!readBds60(b, v)) return false;
    rec.heading = v.heading;
    rec.ias = v.ias;
    rec.mach = v.mach;
    return true;
}

} // namespace varnock
