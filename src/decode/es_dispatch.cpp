// decodeExtendedSquitter: one table from type code to decoder, then the integrity category.
#include <array>

#include "decode/extended_squitter.h"
#include "core/flight.h"

namespace varnock {

namespace {

using EsDecoder = void (*)(const uint8_t*, TFlight&, const HomeLocation&);

constexpr std::array<EsDecoder, 32> makeTable()
{
    std::array<EsDecoder, 32> t{};
    t[0] = decodeEsAirbornePosition;
    for (int tc = 1; tc <= 4; ++tc) t[tc] = decodeEsIdentification;
    for (int tc = 5; tc <= 8; ++tc) t[tc] = decodeEsSurfacePosition;
    for (int tc = 9; tc <= 18; ++tc) t[tc] = decodeEsAirbornePosition;
    t[19] = decodeEsVelocity;
    t[28] = decodeEsStatus;
    t[30] = decodeEsTc30;
    t[31] = decodeEsTc31;
    return t;
}

constexpr std::array<EsDecoder, 32> kByTypeCode = makeTable();

} // namespace

int nicForTypeCode(int tc, int b5)
{
    const int bit = b5 >> 7;
    switch (tc) {
    case 0: case 18: return 0;
    case 5: case 9: return 11;
    case 6: case 10: return 10;
    case 7: case 11: return 8;
    case 8: return 6 + bit;
    case 12: return 7;
    case 13: return 6;
    case 14: return 5;
    case 15: return 4;
    case 16: return 2 + bit;
    case 17: return 1;
    default: return -1;
    }
}

void decodeExtendedSquitter(const uint8_t* b, TFlight& rec, const HomeLocation& home)
{
    const int tc = b[4] >> 3;
    const EsDecoder decode = kByTypeCode[static_cast<std::size_t>(tc)];
    if (!decode) return; // never filed: TC 20-27 and 29
    decode(b, rec, home);
    const int nic = nicForTypeCode(tc, b[5]);
    if (nic >= 0) rec.nic = nic;
}

} // namespace varnock
