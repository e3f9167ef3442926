// Altitude codes (Q-bit 25 ft and Gillham 100 ft) and the flight-level text.
#include <cmath>

#include "core/decimal_text.h"
#include "decode/field_codes.h"

namespace varnock {

int roundHalfEven(double v)
{
    return static_cast<int>(std::nearbyint(v));
}

unsigned grayToBinary(unsigned gray)
{
    unsigned bin = gray;
    for (unsigned shift = 1; shift < 32; shift <<= 1) bin ^= bin >> shift;
    return bin;
}

int gillhamAltitude(int a, int b, int c, int d)
{
    const int n = static_cast<int>(grayToBinary(static_cast<unsigned>(d * 64 + a * 8 + b)));
    const int base = 500 * n;
    const bool odd = (n & 1) != 0;
    switch (c) {
    case 1: return base - (odd ? 800 : 1200);
    case 3: return base - (odd ? 900 : 1100);
    case 2: return base - 1000;
    case 6: return base - (odd ? 1100 : 900);
    case 4: return base - (odd ? 1200 : 800);
    default: return kInvalidGillham;
    }
}

namespace {

int bit(int code, int mask) { return (code & mask) ? 1 : 0; }

// 13-bit layout, MSB first: C1 A1 C2 A2 C4 A4 M B1 Q B2 D2 B4 D4.
int gillhamFromCode13(int code)
{
    const int a = bit(code, 0x800) * 4 + bit(code, 0x200) * 2 + bit(code, 0x080);
    const int b = bit(code, 0x020) * 4 + bit(code, 0x008) * 2 + bit(code, 0x002);
    const int c = bit(code, 0x1000) * 4 + bit(code, 0x400) * 2 + bit(code, 0x100);
    const int d = bit(code, 0x004) * 2 + bit(code, 0x001);
    return gillhamAltitude(a, b, c, d);
}

} // namespace

int decodeAltitudeCode(int code, int width, TFlight& rec)
{
    if (code == 0) return kUnknown;
    const bool wide = width == 13;
    if (wide) {
        rec.metric = bit(code, 0x40);
        // A metric code read as feet would be a believable wrong altitude: none is better.
        if (rec.metric) return kUnknown;
    }
    if (code & 0x10) {
        rec.gillham = 0;
        const int n = wide ? (code & 0x0F) | ((code & 0x20) >> 1) | ((code & 0x1F80) >> 2)
                           : (code & 0x0F) | ((code & 0xFE0) >> 1);
        const int feet = 25 * n - 1000;
        return feet == -1000 ? kUnknown : feet; // N = 0 carries no altitude
    }
    rec.gillham = 1;
    // The 12-bit layout is the 13-bit one without M: put a zero M bit back.
    const int code13 = wide ? code : ((code & 0xFC0) << 1) | (code & 0x3F);
    return gillhamFromCode13(code13);
}

void formatFlightLevel(TFlight& rec)
{
    if (!isKnown(rec.altitude)) return;
    if (rec.altitude < 0) { // below sea level: the value stays, the text shows the lowest level
        rec.altstr.assign("F000", 4);
        return;
    }
    char buf[16];
    buf[0] = 'F';
    // Hundreds of feet, half to even, in integers: this runs for every altitude decoded.
    int fl = rec.altitude / 100;
    const int rest = rec.altitude % 100;
    if (rest > 50 || (rest == 50 && fl % 2 != 0)) ++fl;
    const std::size_t n = 1 + formatPaddedInt(buf + 1, fl, 3, '0');
    rec.altstr.assign(buf, n);
}

void setGroundAltitude(TFlight& rec)
{
    rec.vrate = 0;
    rec.altitude = 0;
    rec.altstr.assign("G---", 4);
}

} // namespace varnock
