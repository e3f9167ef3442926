// ES aircraft status (TC 28) and the TC 30 / TC 31 frames kept as hex.
//
// TC 28 subtype 1: byte 4: TC(5) ST(3)   byte 5: emergency state(3) ID(5, high)   byte 6: ID(8, low)
#include "decode/extended_squitter.h"
#include "decode/field_codes.h"

namespace varnock {

void decodeEsStatus(const uint8_t* b, TFlight& rec, const HomeLocation&)
{
    if ((b[4] & 7) == 1) {
        rec.emerstate = b[5] >> 5;
        rec.squawk = decodeIdentity(((b[5] & 0x1F) << 8) | b[6]);
    }
    rec.tc28 = 1;
    setHex(rec.hextc28, b, 14);
}

void decodeEsTc30(const uint8_t* b, TFlight& rec, const HomeLocation&)
{
    rec.tc30 = 1;
    setHex(rec.hextc30, b, 14);
}

void decodeEsTc31(const uint8_t* b, TFlight& rec, const HomeLocation&)
{
    rec.tc31 = 1;
    setHex(rec.hextc31, b, 14);
}

} // namespace varnock
