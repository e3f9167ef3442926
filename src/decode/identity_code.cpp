// Identity (squawk) codes and the six-bit character set of callsigns.
#include "decode/field_codes.h"

namespace varnock {

FixedText<4> decodeIdentity(int code)
{
    // 13-bit layout, MSB first: C1 A1 C2 A2 C4 A4 X B1 D1 B2 D2 B4 D4.
    auto digit = [code](int m4, int m2, int m1) {
        return static_cast<char>('0' + ((code & m4) ? 4 : 0) + ((code & m2) ? 2 : 0) +
                                 ((code & m1) ? 1 : 0));
    };
    const char text[4] = {digit(0x080, 0x200, 0x800), digit(0x002, 0x008, 0x020),
                          digit(0x100, 0x400, 0x1000), digit(0x001, 0x004, 0x010)};
    FixedText<4> out;
    out.assign(text, 4);
    return out;
}

char sixBitChar(int v)
{
    if (v == 0 || v == 32) return ' ';
    const int c = (v & 0x20) ? ((v & 0x0F) | 0x30) : ((v & 0x1F) | 0x40);
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return static_cast<char>(c);
    return ' ';
}

void decodeCallsign(const uint8_t* bits, FixedText<8>& out)
{
    char text[8];
    for (int i = 0; i < 8; ++i) {
        const int first = i * 6; // bit offset from the MSB of bits[0]
        const int byte = first / 8;
        const int shift = first % 8;
        const int word = (bits[byte] << 8) | (byte + 1 < 6 ? bits[byte + 1] : 0);
        text[i] = sixBitChar((word >> (10 - shift)) & 0x3F);
    }
    out.assign(text, 8);
}

} // namespace varnock
