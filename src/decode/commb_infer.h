// inferCommBRegister: guesses the Comm-B register of a DF 20/21 MB field from its bit plausibility.
#pragma once

#include <cstdint>

namespace varnock {

// bytes: the 14 frame bytes (MB is bytes 4-10). Returns 0x20, 0x40, 0x50, 0x60, or 0 for none.
inline int inferCommBRegister(const uint8_t* b)
{
    if (b[4] == 0x20) return 0x20;
    if (!(b[4] & 0x80)) return 0;
    if ((b[7] & 0x20) && !(b[8] & 0x01) && !(b[9] & 0xFE) && !(b[10] & 0x18)) return 0x40;
    if ((b[5] & 0x10) && (b[6] & 0x01) && (b[8] & 0x20) && (b[9] & 0x04)) return 0x50;
    if ((b[5] & 0x08) && (b[6] & 0x01)) return 0x60;
    return 0;
}

} // namespace varnock
