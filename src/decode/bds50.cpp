// Comm-B register 5,0: track and turn report.
//
// MB bit 1 = byte 4 mask 0x80. bits 1-11 roll status, sign, value (45/256 deg); 12-23 true track
// status, sign, value (90/512 deg); 24-34 ground speed status + value (2 kt); 35-45 track-rate
// status, sign, value (8/256 deg/s); 46-56 TAS status + value (2 kt).
#include <cstdlib>

#include "decode/comm_b.h"
#include "decode/field_codes.h"

namespace varnock {

bool readBds50(const uint8_t* b, int adsbGs, TrackAndTurn& v)
{
    // The integer checks first: the register guess asks this of every 5,0-looking reply.
    // Without an ADS-B ground speed to agree with, the register guess is not trusted.
    const int gs = 2 * ((b[7] << 2) | (b[8] >> 6));
    if (!isKnown(adsbGs) || std::abs(adsbGs - gs) >= 4) return false;
    const int tas = 2 * (((b[9] & 3) << 8) | b[10]);
    if (tas > 554) return false;

    int roll = roundHalfEven((((b[4] & 0x3F) << 3) | (b[5] >> 5)) * 45 / 256.0);
    if (b[4] & 0x40) roll -= 90;
    if (roll == 90 || std::abs(roll) > 50 || std::abs(roll) < 2) roll = 0;

    int rate = roundHalfEven((((b[8] & 0x0F) << 8) | (b[9] & 0xF8)) / 256.0 * 10.0);
    if (b[8] & 0x10) rate -= 160;
    if (rate == 160) rate = 0;
    if (std::abs(rate) > 50 || std::abs(roll) <= 1 || std::abs(rate) <= 1) rate = 0;

    int track = roundHalfEven((((b[5] & 7) << 7) | (b[6] >> 1)) * 90 / 512.0);
    if (b[5] & 0x08) track += 180;
    v.roll = roll;
    v.trackrate = rate;
    v.tas = tas;
    v.track = track % 360;
    return true;
}

bool decodeBds50(const uint8_t* b, TFlight& rec)
{
    TrackAndTurn v;
    if (!readBds50(b, rec.gs, v)) return false;
    rec.roll = v.roll;
    rec.trackrate = v.trackrate;
    rec.tas = v.tas;
    return true;
}

} // namespace varnock
