// inferCommBRegister: guesses the Comm-B register of a DF 20/21 MB field from its bits and the
// aircraft's ADS-B speed and track; and the register each register slot holds.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "decode/comm_b.h"
#include "core/flight.h"

namespace varnock {

namespace commb_detail {

inline int degreesApart(int a, int b)
{
    const int d = std::abs(a - b) % 360;
    return d > 180 ? 360 - d : d;
}

} // namespace commb_detail

// bytes: the 14 frame bytes (MB is bytes 4-10); adsbGs, adsbTrack: the aircraft's ADS-B ground speed
// and track (kUnknown when none). Returns 0x20, 0x40, 0x50, 0x60, or 0 for none.
//
// Registers 5,0 and 6,0 share status bit positions, so their bit tests alone often both pass. Each
// is therefore also put through its decoder's checks (5,0: ADS-B ground speed agreeing, TAS;
// 6,0: IAS and Mach ranges) and the one that passes wins. When both pass, the nearer of the 5,0
// true track and the 6,0 heading to the ADS-B track wins (without a track, 5,0: its speed agreed).
// When neither passes, the bit tests decide in their order and the decoder refuses the register.
inline int inferCommBRegister(const uint8_t* b, int adsbGs = kUnknown, int adsbTrack = kUnknown)
{
    if (b[4] == 0x20) return 0x20;
    if (!(b[4] & 0x80)) return 0;
    if ((b[7] & 0x20) && !(b[8] & 0x01) && !(b[9] & 0xFE) && !(b[10] & 0x18)) return 0x40;
    const bool bits50 = (b[5] & 0x10) && (b[6] & 0x01) && (b[8] & 0x20) && (b[9] & 0x04);
    const bool bits60 = (b[5] & 0x08) && (b[6] & 0x01);
    TrackAndTurn t;
    HeadingAndSpeed h;
    const bool fits50 = bits50 && readBds50(b, adsbGs, t);
    const bool fits60 = bits60 && readBds60(b, h);
    if (fits50 && fits60) {
        if (adsbTrack < 0) return 0x50;
        return commb_detail::degreesApart(h.heading, adsbTrack) < commb_detail::degreesApart(t.track, adsbTrack)
                   ? 0x60
                   : 0x50;
    }
    if (fits50 || fits60) return fits50 ? 0x50 : 0x60;
    return bits50 ? 0x50 : (bits60 ? 0x60 : 0);
}

// The register a slot holds; 0 for the slots that are not register slots.
constexpr int commBRegisterOfSlot(int slot)
{
    if (slot < kSlotDf20Bds20 || slot > kSlotDf21Bds60) return 0;
    constexpr int kRegisters[4] = {0x20, 0x40, 0x50, 0x60};
    return kRegisters[(slot - kSlotDf20Bds20) % 4];
}

} // namespace varnock
