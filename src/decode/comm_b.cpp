// decodeCommB: the register guessed from the MB bits picks its decoder.
#include "decode/comm_b.h"
#include "decode/commb_infer.h"

namespace varnock {

void decodeCommB(const uint8_t* b, TFlight& rec)
{
    switch (inferCommBRegister(b)) {
    case 0x20: decodeBds20(b, rec); break;
    case 0x40: decodeBds40(b, rec); break;
    case 0x50: decodeBds50(b, rec); break;
    case 0x60: decodeBds60(b, rec); break;
    default: break;
    }
}

} // namespace varnock
