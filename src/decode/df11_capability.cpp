// DF 11 all-call reply, and the capability step of every DF 17/18/19 squitter.
//
// byte 0: DF(5) CA(3)   bytes 1-3: address
#include "decode/field_codes.h"
#include "decode/reply_decoders.h"

namespace varnock {

void decodeCapability(const uint8_t* b, TFlight& rec)
{
    const int ca = b[0] & 7;
    rec.ca = ca;
    // DF 18's CF and DF 19's AF only sit where CA is: they say nothing about the ground.
    if ((b[0] >> 3) != 11 && (b[0] >> 3) != 17) return;
    if (ca == 4) {
        rec.onground = 1;
        rec.altitude = 0;
        rec.altstr.assign("G---", 4);
    } else if (ca == 5) {
        rec.onground = 0;
    }
}

} // namespace varnock
