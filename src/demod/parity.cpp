// Mode-S parity remainder: 32-bit register, generator aligned so that x^24 is bit 31.
#include "demod/parity.h"

namespace varnock {

uint32_t modeSRemainder(const uint8_t* frame, int lengthBytes)
{
    const int dataBytes = lengthBytes == 14 ? 11 : 4;
    const int dataBits = dataBytes * 8;
    uint32_t r = (uint32_t(frame[0]) << 24) | (uint32_t(frame[1]) << 16) | (uint32_t(frame[2]) << 8) | frame[3];
    // Bits beyond the first 32 queue behind the register, then zeros.
    for (int i = 0; i < dataBits; ++i) {
        if (r & 0x80000000u) r ^= 0xFFFA0480u;
        const int next = 32 + i;
        uint32_t in = 0;
        if (next < dataBits) in = (frame[next >> 3] >> (7 - (next & 7))) & 1u;
        r = (r << 1) | in;
    }
    return r >> 8;
}

uint32_t modeSSyndrome(const uint8_t* frame, int lengthBytes)
{
    const uint8_t* p = frame + lengthBytes - 3;
    const uint32_t field = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    return modeSRemainder(frame, lengthBytes) ^ field;
}

void setModeSParity(uint8_t* frame, int lengthBytes, uint32_t overlay)
{
    const uint32_t v = (modeSRemainder(frame, lengthBytes) ^ overlay) & 0xFFFFFFu;
    uint8_t* p = frame + lengthBytes - 3;
    p[0] = uint8_t(v >> 16);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v);
}

} // namespace varnock
