// DF 5 / DF 21 surveillance identity reply, and the FS/DR/UM fields DF 4/5/20/21 share.
//
// byte 0: DF(5) FS(3)   byte 1: DR(5) UM(3, high)   byte 2: UM(3, low) ID(5, high)   byte 3: ID(8, low)
#include "decode/field_codes.h"
#include "decode/reply_decoders.h"

namespace varnock {

void decodeReplyStatus(const uint8_t* b, TFlight& rec)
{
    const int fs = b[0] & 7;
    const int dr = (b[1] >> 3) & 31;
    rec.fs = fs;
    rec.dr = dr;
    rec.um = ((b[1] & 7) << 5) | (b[2] >> 3);

    if (fs == 1 || fs == 3) {
        rec.onground = 1;
        rec.altitude = 0;
        rec.altstr.assign("G---", 4);
    } else if (fs == 0 || fs == 2) {
        rec.onground = 0;
    }
    if (fs == 4 || fs == 5) rec.spi = 6;
    if (fs == 2 || fs == 3 || fs == 4) rec.alert = 6;
    if (dr == 2 || dr == 3 || dr == 6 || dr == 7) rec.acas = 60;
}

void decodeIdentityReply(const uint8_t* b, TFlight& rec)
{
    decodeReplyStatus(b, rec);
    rec.squawk = decodeIdentity(((b[2] & 0x1F) << 8) | b[3]);
}

} // namespace varnock
