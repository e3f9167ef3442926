// Gillham (Mode C) altitude from the four octal digits of a Mode A/C reply.
#include "demod/modeac_counts.h"

namespace varnock {

int gillhamAltitude(int a, int b, int c, int d, bool& legal)
{
    const int a1 = a & 1, a2 = (a >> 1) & 1, a4 = (a >> 2) & 1;
    const int b1 = b & 1, b2 = (b >> 1) & 1, b4 = (b >> 2) & 1;
    const int c1 = c & 1, c2 = (c >> 1) & 1, c4 = (c >> 2) & 1;
    const int d2 = (d >> 1) & 1, d4 = (d >> 2) & 1;

    // 500 ft steps: Gray code D2 D4 A1 A2 A4 B1 B2 B4, most significant first.
    const int gray[8] = {d2, d4, a1, a2, a4, b1, b2, b4};
    int fiveHundreds = 0;
    int prev = 0;
    for (int g : gray) {
        prev ^= g;
        fiveHundreds = (fiveHundreds << 1) | prev;
    }

    // 100 ft steps run up and down alternately with the parity of the 500 ft count.
    int step = 0;
    legal = true;
    switch (4 * c1 + 2 * c2 + c4) {
    case 1: step = -200; break;
    case 3: step = -100; break;
    case 2: step = 0; break;
    case 6: step = 100; break;
    case 4: step = 200; break;
    default: legal = false; return 0;
    }
    if (fiveHundreds & 1) step = -step;
    return 500 * fiveHundreds - 1000 + step;
}

int modeCAltitude(int a, int b, int c, int d, bool& valid)
{
    bool legal = false;
    const int altitude = gillhamAltitude(a, b, c, d, legal);
    valid = legal && altitude >= -99 && altitude <= 48999;
    return altitude;
}

} // namespace varnock
