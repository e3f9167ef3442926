// Comm-B register 2,0: aircraft identification.
//
// byte 4: 0x20 (register number)   bytes 5-10: eight six-bit characters
#include "decode/comm_b.h"
#include "decode/field_codes.h"

namespace varnock {

bool decodeBds20(const uint8_t* b, TFlight& rec)
{
    decodeCallsign(b + 5, rec.callsign);
    return true;
}

} // namespace varnock
