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
    if (ca == 4) {
        rec.onground = 1;
        rec.altitude = 0;
        rec.altstr.assign("G---", 4);
    } else if (ca == 5) {
        rec.onground = 0;
    }
}

} // namespace varnock
