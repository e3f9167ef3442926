// AircraftTable operations: address search, allocation with reuse, slot filing, ageing, decode round.
#include "flights/aircraft_table.h"

#include <cassert>
#include <cstring>

#include "core/clock.h"
#include "core/line_sink.h"
#include "decode/decode_frame.h"
#include "decode/commb_infer.h"
#include "flights/sbs_lines.h"

namespace varnock {

namespace {

// One round off an airborne word's age (from 0 it goes on to -1). Reaching 0 also clears the
// latitude word, which is what the airborne decoding's gate looks at.
void ageAirborneWord(CprWord& w)
{
    if (w.age >= 0 && --w.age == 0) w.lat = kUnknown;
}

} // namespace

AircraftTable::AircraftTable(LineSink& lines, const Clock& clock)
    : records_(new TFlight[kTableSize]), keys_(new uint64_t[kTableSize]()), lines_(lines), clock_(clock)
{
}

uint64_t AircraftTable::keyOf(const char* address)
{
    uint64_t k = uint64_t{1} << 48; // never 0, the key of a record without a whole address
    for (int i = 0; i < 6; ++i) k |= uint64_t{static_cast<uint8_t>(address[i])} << (8 * i);
    return k;
}

uint64_t AircraftTable::keyOf(const FixedText<6>& icao) { return icao.size() == 6 ? keyOf(icao.c_str()) : 0; }

void AircraftTable::setAddress(int i, const char* address)
{
    TFlight& rec = records_[static_cast<std::size_t>(i)];
    rec.icao.assign(address, 6);
    keys_[static_cast<std::size_t>(i)] = keyOf(rec.icao);
}

bool AircraftTable::findFlight(const char* address, int& index, int lifetime)
{
    const int last = highestUsed < kTableSize ? highestUsed : kTableSize - 1;
#ifndef NDEBUG
    for (int i = 0; i <= last; ++i)
        assert(keys_[static_cast<std::size_t>(i)] == keyOf(records_[static_cast<std::size_t>(i)].icao) &&
               "icao written without setAddress");
#endif
    const uint64_t key = keyOf(address);
    const uint64_t* keys = keys_.get();
    for (int i = 0; i <= last; ++i) {
        if (keys[i] != key) continue;
        TFlight& rec = records_[static_cast<std::size_t>(i)];
        index = i;
        rec.timeout = lifetime;
        if (rec.inuse) return true;
        // A returning aircraft: its old position and CPR words must not seed the new track.
        rec.aireven.lat = kUnknown;
        rec.airodd.lat = kUnknown;
        rec.lat = kUnknownPos;
        // Only an aircraft the clients were told of can return; a bare candidate never had its AIR line.
        if (rec.announced) sendStaLine(lines_, clock_, rec.icao.c_str(), "OK");
    }
    return false;
}

void AircraftTable::initRecord(TFlight& rec, int lifetime)
{
    // Everything returns to its unknown marker, slots included: a reused record must not show,
    // or decode, its previous occupant's data. icao and announced stay for the caller and the AD line.
    const FixedText<6> icao = rec.icao;
    const uint8_t announced = rec.announced;
    rec = TFlight{};
    rec.icao = icao;
    rec.announced = announced;
    rec.callsign.fill(' ', 8);
    rec.squawk.fill(' ', 4);
    rec.sightings = 0;
    rec.timeout = lifetime;
}

int AircraftTable::allocFlight(int lifetime, const char* address)
{
    for (int i = 0; i < kTableSize; ++i) {
        TFlight& rec = records_[static_cast<std::size_t>(i)];
        if (rec.inuse) continue;
        if (i > highestUsed) highestUsed = i;
        initRecord(rec, lifetime);
        if (rec.announced == 1) {
            rec.announced = 0;
            // A returning aircraft that gets its own old record back is not deleted.
            const bool sameAddress = address != nullptr && rec.icao.equals(address, 6);
            if (!rec.icao.empty() && !sameAddress) sendStaLine(lines_, clock_, rec.icao.c_str(), "AD");
        }
        if (address != nullptr) setAddress(i, address);
        return i;
    }
    return -1;
}

bool AircraftTable::storeFrame(int df, const uint8_t* bytes, TFlight& rec, int length)
{
    if (length < 14 && df >= 16) {
        // Bytes 4-6 of a short frame are its parity: nothing after byte 3 may be read as data.
        if (df != 20 && df != 21) return false;
        MessageSlot& s = rec.slot(df == 20 ? kSlotDf4 : kSlotDf5);
        std::memcpy(s.bytes, bytes, 7);
        s.isNew = 1;
        return true;
    }
    fileLongFrame(df, bytes, rec);
    return true;
}

void AircraftTable::fileLongFrame(int df, const uint8_t* bytes, TFlight& rec)
{
    auto file = [&rec, bytes](int slotNo, int n) {
        MessageSlot& s = rec.slot(slotNo);
        std::memcpy(s.bytes, bytes, static_cast<std::size_t>(n));
        s.isNew = 1;
    };
    switch (df) {
    case 0: file(kSlotDf0, 7); return;
    case 4: file(kSlotDf4, 7); return;
    case 5: file(kSlotDf5, 7); return;
    case 11: file(kSlotDf11, 7); return;
    case 16: file(kSlotDf16, 14); return;
    case 20:
    case 21: {
        file(df == 20 ? kSlotDf4 : kSlotDf5, 7);
        const int base = df == 20 ? kSlotDf20Bds20 : kSlotDf21Bds20;
        switch (inferCommBRegister(bytes, rec.gs, rec.track)) {
        case 0x20: file(base, 14); rec.bds20 = 1; break;
        case 0x40: file(base + 1, 14); rec.bds40 = 1; break;
        case 0x50: file(base + 2, 14); rec.bds50 = 1; break;
        case 0x60: file(base + 3, 14); rec.bds60 = 1; break;
        default: break;
        }
        return;
    }
    case 17:
    case 18:
    case 19: {
        rec.esdf = df;
        if (df == 19 && (bytes[0] & 7) > 0) setHex(rec.hexdf19, bytes, 14);
        const int tc = bytes[4] >> 3;
        const bool odd = (bytes[6] >> 2) & 1;
        if (tc == 0 || (tc >= 9 && tc <= 18)) file(odd ? kSlotAirOdd : kSlotAirEven, 14);
        else if (tc >= 1 && tc <= 4) file(kSlotIdent, 14);
        else if (tc >= 5 && tc <= 8) file(odd ? kSlotSfcOdd : kSlotSfcEven, 14);
        else if (tc == 19) file(kSlotVelocity, 14);
        else if (tc == 28) file(kSlotTc28, 14);
        else if (tc == 30) file(kSlotTc30, 14);
        else if (tc == 31) file(kSlotTc31, 14);
        return;
    }
    default: return;
    }
}

void AircraftTable::purgeFlights()
{
    const int last = highestUsed < kTableSize ? highestUsed : kTableSize - 1;
    for (int i = 0; i <= last; ++i) {
        TFlight& rec = records_[static_cast<std::size_t>(i)];
        if (!rec.inuse) continue;
        rec.timeout -= 1;
        if (rec.timeout < 0) {
            rec.inuse = 0;
            sendStaLine(lines_, clock_, rec.icao.c_str(), "RM");
        }
        ageAirborneWord(rec.aireven);
        ageAirborneWord(rec.airodd);
    }
}

void AircraftTable::resetHighestUsed()
{
    int h = 0;
    for (int i = kTableSize - 1; i >= 0; --i) {
        if (records_[static_cast<std::size_t>(i)].inuse) {
            h = i;
            break;
        }
    }
    highestUsed = h >= kTableSize ? 0 : h;
}

void AircraftTable::decodeRecord(TFlight& rec, const DecodeContext& ctx)
{
    rec.decoded = 0;
    bool any = false;
    for (int n = 1; n <= kSlotCount; ++n) {
        MessageSlot& s = rec.slot(n);
        if (!s.isNew) continue;
        any = true;
        DecodeContext slotCtx = ctx;
        slotCtx.commBRegister = commBRegisterOfSlot(n); // the guess made at filing stands
        decodeFrame(slotLabel(n), s.bytes, rec, slotCtx);
    }
    if (!any) return;
    if (rec.decoded > 0) rec.lastseen = static_cast<int32_t>(clock_.shiftedUnixSeconds());
    for (auto& s : rec.slots) {
        if (!s.isNew) continue;
        s.time = rec.lastseen;
        s.isNew = 0;
    }
}

int AircraftTable::countInUse() const
{
    int n = 0;
    for (int i = 0; i < kTableSize; ++i) n += records_[static_cast<std::size_t>(i)].inuse ? 1 : 0;
    return n;
}

} // namespace varnock
