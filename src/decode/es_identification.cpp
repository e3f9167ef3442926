// ES identification and category (TC 1-4).
//
// byte 4: TC(5) category(3)   bytes 5-10: eight six-bit characters
#include "decode/extended_squitter.h"
#include "decode/field_codes.h"

namespace varnock {

void decodeEsIdentification(const uint8_t* b, TFlight& rec, const HomeLocation&)
{
    decodeCallsign(b + 5, rec.callsign);
    const int tc = b[4] >> 3;
    const int cat = b[4] & 7;
    static constexpr char kSet[] = {'?', 'D', 'C', 'B', 'A'}; // indexed by TC 1-4
    const char text[2] = {kSet[tc], cat ? static_cast<char>('0' + cat) : '-'};
    rec.category.assign(text, 2);
}

} // namespace varnock
