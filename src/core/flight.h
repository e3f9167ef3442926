// TFlight, the aircraft record, and its message slots: plain data, no behaviour.
#pragma once

#include <array>
#include <cstdint>

#include "core/unknown.h"

namespace varnock {

// Fixed-capacity text held inside the record (no allocation on the frame path).
template <std::size_t N>
struct FixedText {
    char s[N + 1] = {};
    uint8_t len = 0;

    void clear() { len = 0; s[0] = 0; }
    void assign(const char* p, std::size_t n)
    {
        if (n > N) n = N;
        for (std::size_t i = 0; i < n; ++i) s[i] = p[i];
        len = static_cast<uint8_t>(n);
        s[len] = 0;
    }
    void fill(char c, std::size_t n)
    {
        if (n > N) n = N;
        for (std::size_t i = 0; i < n; ++i) s[i] = c;
        len = static_cast<uint8_t>(n);
        s[len] = 0;
    }
    const char* c_str() const { return s; }
    std::size_t size() const { return len; }
    bool empty() const { return len == 0; }
    bool equals(const char* p, std::size_t n) const
    {
        if (n != len) return false;
        for (std::size_t i = 0; i < n; ++i)
            if (s[i] != p[i]) return false;
        return true;
    }
    template <std::size_t M>
    bool operator==(const FixedText<M>& o) const { return equals(o.s, o.len); }
};

// Latest frame of one kind, waiting for the 2 s decode round.
struct MessageSlot {
    uint8_t isNew = 0;
    uint8_t bytes[14] = {};
    int32_t time = 0; // shifted Unix seconds of the round that decoded it
};

constexpr int kSlotCount = 22;

// Slot numbers (1-based, as in the decoding order).
enum Slot : int {
    kSlotDf0 = 1, kSlotDf4 = 2, kSlotDf5 = 3, kSlotDf11 = 4, kSlotDf16 = 5,
    kSlotAirEven = 6, kSlotAirOdd = 7, kSlotIdent = 8, kSlotSfcEven = 9, kSlotSfcOdd = 10,
    kSlotVelocity = 11, kSlotTc28 = 12, kSlotTc30 = 13, kSlotTc31 = 14,
    kSlotDf20Bds20 = 15, kSlotDf20Bds40 = 16, kSlotDf20Bds50 = 17, kSlotDf20Bds60 = 18,
    kSlotDf21Bds20 = 19, kSlotDf21Bds40 = 20, kSlotDf21Bds50 = 21, kSlotDf21Bds60 = 22,
};

// Format label under which a slot is decoded.
constexpr int slotLabel(int slot)
{
    switch (slot) {
    case 1: return 0;
    case 2: return 4;
    case 3: return 5;
    case 4: return 11;
    case 5: return 16;
    default: return slot <= 14 ? 17 : (slot <= 18 ? 20 : 21);
    }
}

// Rounds of the 2 s timer a CPR word may serve global decoding: airborne words are counted
// down each round, surface words never.
constexpr int32_t kAirborneCprAge = 8;
constexpr int32_t kSurfaceCprAge = 14;

// One received CPR position word (17-bit encoded latitude and longitude) and its age.
struct CprWord {
    int32_t lat = kUnknown; // back to kUnknown when an airborne word ages out
    int32_t lon = kUnknown;
    int32_t age = -1;       // -1 until the first word of this parity; above 0 while usable

    bool usable() const { return age > 0; }
};

struct TFlight {
    uint8_t inuse = 0;
    uint8_t announced = 0;
    FixedText<6> icao;
    FixedText<8> callsign;
    int32_t sightings = 0;
    int32_t fs = kUnknown, ca = kUnknown, dr = kUnknown, um = kUnknown, ri = kUnknown,
            df0bit = kUnknown, sl = kUnknown;
    int32_t timeout = 30;
    int32_t onground = kUnknown;
    int32_t vrate = kUnknownAlt;
    int32_t icflag = kUnknown;
    int32_t ifr = kUnknown;
    int32_t track = kUnknown;
    int32_t gs = kUnknown;
    int32_t hdgstatus = kUnknown;
    int32_t heading = kUnknown;
    int32_t tas = kUnknown;
    int32_t ias = kUnknown;
    int32_t vrsource = kUnknown;
    int32_t gnssalt = kUnknownAlt;
    int32_t altdiff = kUnknownAlt;
    int32_t supersonic = kUnknown;
    // The last CPR words by kind and parity: aireven.lat is `airevenlat`, aireven.age `airevenage`,
    // and so on for airodd, sfceven, sfcodd.
    CprWord aireven, airodd, sfceven, sfcodd;
    FixedText<4> squawk;
    int32_t spi = kUnknown, emergency = kUnknown, acas = kUnknown, alert = kUnknown;
    int32_t nic = kUnknown;
    int32_t nucr = kUnknown;
    int32_t emerstate = kUnknown;
    int32_t bds20 = 0;
    int32_t bds40 = 0, bds50 = 0, bds60 = 0, tc28 = 0, tc30 = 0, tc31 = 0;
    int32_t mcpalt = kUnknown, fmsalt = kUnknown;
    int32_t altsource = kUnknown, qnh = kUnknown, mcpmode = kUnknown;
    int32_t roll = kUnknown, trackrate = kUnknown;
    int32_t mach = kUnknown;
    FixedText<28> hextc28, hextc30, hextc31;
    FixedText<28> hexdf16, hexdf19;
    int32_t altitude = kUnknownAlt;
    FixedText<7> altstr;
    double lat = kUnknownPos, lon = kUnknownPos;
    int32_t lastseen = kUnknown;
    int32_t esdf = kUnknown;
    int32_t metric = kUnknown;
    int32_t gillham = kUnknown;
    int32_t airspeedtype = kUnknown;
    int32_t timebit = kUnknown;
    FixedText<2> category;
    std::array<MessageSlot, kSlotCount> slots{}; // slots[n - 1] is slot n
    int32_t posage = 0;
    int32_t decoded = 0;
    int32_t messages = 0; // frames from this address, before and after its acceptance

    MessageSlot& slot(int n) { return slots[static_cast<std::size_t>(n - 1)]; }
    const MessageSlot& slot(int n) const { return slots[static_cast<std::size_t>(n - 1)]; }
};

// Bytes -> upper-case hex, two digits per byte, into a fixed text (no allocation).
template <std::size_t N>
void setHex(FixedText<N>& out, const uint8_t* bytes, std::size_t n)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char buf[2 * 14];
    if (n > 14) n = 14;
    for (std::size_t i = 0; i < n; ++i) {
        buf[2 * i] = kDigits[bytes[i] >> 4];
        buf[2 * i + 1] = kDigits[bytes[i] & 15];
    }
    out.assign(buf, 2 * n);
}

} // namespace varnock
