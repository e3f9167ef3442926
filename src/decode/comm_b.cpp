// decodeCommB: the register the frame was filed under, or else the one guessed, picks its decoder.
#include "decode/comm_b.h"
#include "decode/commb_infer.h"

namespace varnock {

void decodeCommB(const uint8_t* b, TFlight& rec, int reg)
{
    switch (reg ? reg : inferCommBRegister(b, rec.gs, rec.track)) {
    case 0x20: decodeBds20(b, rec); break;
    case 0x40: decodeBds40(b, rec); break;
    case 0x50: decodeBds50(b, rec); break;
    case 0x60: decodeBds60(b, rec); break;
    default: break;
    }
}

} // namespace varnock
