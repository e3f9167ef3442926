// DF 4 / DF 20 surveillance altitude reply.
//
// byte 0: DF(5) FS(3)   byte 1: DR(5) UM(3, high)   byte 2: UM(3, low) AC(5, high)   byte 3: AC(8, low)
#include "decode/field_codes.h"
#include "decode/reply_decoders.h"

namespace varnock {

void decodeAltitudeReply(const uint8_t* b, TFlight& rec)
{
    decodeReplyStatus(b, rec);
    // Unknown air/ground state counts as ground: FS 4-7 alone never says airborne.
    if (rec.onground != 0) {
        setGroundAltitude(rec);
        return;
    }
    rec.altitude = decodeAltitudeCode(((b[2] & 0x1F) << 8) | b[3], 13, rec);
    formatFlightLevel(rec);
    if (rec.altitude > 51000) rec.altstr.assign("???", 3);
}

} // namespace varnock
