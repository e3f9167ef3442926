// Acceptance of Mode-S candidates: no bit repair; a frame passes as sliced or is dropped.
#include "flights/acceptance.h"

#include "demod/parity.h"
#include "flights/aircraft_table.h"
#include "flights/sbs_lines.h"

namespace varnock {

namespace {

void hex24(uint32_t v, char* out)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int i = 5; i >= 0; --i) {
        out[i] = kDigits[v & 15];
        v >>= 4;
    }
    out[6] = 0;
}

} // namespace

bool validateAndFile(RawFrame& f, AircraftTable& table)
{
    const uint32_t syndrome = modeSSyndrome(f.bytes, f.length);
    f.syndrome[0] = static_cast<uint8_t>(syndrome >> 16);
    f.syndrome[1] = static_cast<uint8_t>(syndrome >> 8);
    f.syndrome[2] = static_cast<uint8_t>(syndrome);

    const bool isLong = f.length == 14;
    const uint32_t clearAddress = (uint32_t(f.bytes[1]) << 16) | (uint32_t(f.bytes[2]) << 8) | f.bytes[3];
    uint32_t address = syndrome;
    bool immediate = false;
    switch (f.df) {
    case 11:
        // The low seven bits carry the interrogator code.
        if ((syndrome & 0xFFFF80u) != 0) return false;
        address = clearAddress;
        immediate = true;
        break;
    case 17:
    case 18:
        if (isLong) {
            if (syndrome != 0) return false;
            address = clearAddress;
            immediate = true;
        }
        break;
    case 19:
        if (isLong && syndrome != 0) return false;
        // AF 0 carries the address in clear like df 18; other AF values leave only the zero
        // syndrome, "000000", which is never accepted.
        if (isLong && (f.bytes[0] & 7) == 0) {
            address = clearAddress;
            immediate = true;
        }
        break;
    default:
        break; // 0, 4, 5, 16, 20, 21: the syndrome is the address
    }
    hex24(address, f.address);

    int index = -1;
    if (!table.findFlight(f.address, index, kLifetimeRounds)) {
        index = table.allocFlight(kLifetimeRounds, f.address);
        if (index < 0) return false;
    }
    TFlight& rec = table[index];
    if (rec.messages < INT32_MAX) rec.messages += 1;
    if (!rec.inuse) {
        if (!immediate) {
            rec.sightings += 1;
            return false;
        }
        sendAirLine(table.lineSink(), table.clock(), f.address);
        rec.inuse = 1;
        rec.announced = 1;
    }
    return table.storeFrame(f.df, f.bytes, rec, f.length);
}

} // namespace varnock
