// Mode-S frame builders: bit packing of the downlink formats, ES type codes and Comm-B registers.
#include "synth/frame_builder.h"

#include "core/ascii_text.h"
#include "demod/parity.h"
#include "synth/cpr_encode.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace varnock::synth {

namespace {

constexpr int kMeBit = 32; // ME and MB bit 1 is frame bit 33

long roundToLong(double v)
{
    return std::lround(v);
}

// Two's complement of a signed value in `width` bits.
uint32_t signedField(long v, int width)
{
    return uint32_t(v) & ((1u << width) - 1u);
}

double wrapDegrees(double deg)
{
    deg = std::fmod(deg, 360.0);
    return deg < 0.0 ? deg + 360.0 : deg;
}

// Degrees in [-180, 180) for the signed angle fields.
double signedDegrees(double deg)
{
    deg = wrapDegrees(deg);
    return deg >= 180.0 ? deg - 360.0 : deg;
}

ModeSFrame extendedSquitter(uint32_t address, int ca)
{
    ModeSFrame f;
    f.length = 14;
    putBits(f.bytes, 1, 5, 17);
    putBits(f.bytes, 6, 3, uint32_t(ca));
    putBits(f.bytes, 9, 24, address);
    return f;
}

ModeSFrame finish(ModeSFrame f, uint32_t overlay)
{
    setModeSParity(f.bytes, f.length, overlay & 0xFFFFFFu);
    return f;
}

void putCallsign(uint8_t* bytes, int firstBit, const char* callsign)
{
    bool ended = false;
    for (int k = 0; k < 8; ++k) {
        if (!ended && callsign[k] == '\0') ended = true;
        putBits(bytes, firstBit + 6 * k, 6, uint32_t(ended ? 32 : sixBitCode(callsign[k])));
    }
}

void putCpr(uint8_t* bytes, const CprWords& w, bool odd)
{
    putBits(bytes, kMeBit + 22, 1, odd ? 1 : 0);
    putBits(bytes, kMeBit + 23, 17, uint32_t(w.lat));
    putBits(bytes, kMeBit + 40, 17, uint32_t(w.lon));
}

// Surface movement code: each band is quantised to its lower edge, as the coding defines it.
int movementCode(double kt)
{
    if (kt < 0.125) return 1;
    if (kt < 1.0) return 2 + int((kt - 0.125) / 0.125);
    if (kt < 2.0) return 9 + int((kt - 1.0) / 0.25);
    if (kt < 15.0) return 13 + int((kt - 2.0) / 0.5);
    if (kt < 70.0) return 39 + int(kt - 15.0);
    if (kt < 100.0) return 94 + int((kt - 70.0) / 2.0);
    if (kt < 175.0) return 109 + int((kt - 100.0) / 5.0);
    return 124;
}

} // namespace

void putBits(uint8_t* bytes, int firstBit, int width, uint32_t value)
{
    for (int k = 0; k < width; ++k) {
        const int bit = firstBit - 1 + k;
        const uint8_t mask = uint8_t(0x80u >> (bit & 7));
        if ((value >> (width - 1 - k)) & 1u)
            bytes[bit >> 3] |= mask;
        else
            bytes[bit >> 3] &= uint8_t(~mask);
    }
}

int altitudeCode12(double feet)
{
    const long n = std::clamp(roundToLong((feet + 1000.0) / 25.0), 1L, 2047L);
    return int((n & 0x0F) | ((n & 0x7F0) << 1) | 0x10);
}

int altitudeCode13(double feet)
{
    const long n = std::clamp(roundToLong((feet + 1000.0) / 25.0), 1L, 2047L);
    return int((n & 0x0F) | ((n & 0x10) << 1) | ((n & 0x7E0) << 2) | 0x10);
}

int identityCode(const char* squawk)
{
    int digit[4] = {};
    for (int k = 0; k < 4 && squawk[k]; ++k) digit[k] = (squawk[k] - '0') & 7;
    const int a = digit[0], b = digit[1], c = digit[2], d = digit[3];
    auto bit = [](int group, int weight) { return (group & weight) ? 1 : 0; };
    // C1 A1 C2 A2 C4 A4 X B1 D1 B2 D2 B4 D4, most significant first.
    const int bits[13] = {bit(c, 1), bit(a, 1), bit(c, 2), bit(a, 2), bit(c, 4), bit(a, 4), 0,
                          bit(b, 1), bit(d, 1), bit(b, 2), bit(d, 2), bit(b, 4), bit(d, 4)};
    int code = 0;
    for (const int v : bits) code = (code << 1) | v;
    return code;
}

int sixBitCode(char c)
{
    c = upperAscii(c);
    if (c >= 'A' && c <= 'Z') return c - 'A' + 1;
    if (c >= '0' && c <= '9') return c - '0' + 48;
    return 32;
}

ModeSFrame esIdentification(uint32_t address, const char* callsign, int typeCode, int category, int ca)
{
    ModeSFrame f = extendedSquitter(address, ca);
    putBits(f.bytes, kMeBit + 1, 5, uint32_t(typeCode));
    putBits(f.bytes, kMeBit + 6, 3, uint32_t(category));
    putCallsign(f.bytes, kMeBit + 9, callsign);
    return finish(f, 0);
}

ModeSFrame esAirbornePosition(uint32_t address, double altitudeFt, double lat, double lon, bool odd, int typeCode,
                              int ca)
{
    ModeSFrame f = extendedSquitter(address, ca);
    putBits(f.bytes, kMeBit + 1, 5, uint32_t(typeCode));
    putBits(f.bytes, kMeBit + 9, 12, uint32_t(altitudeCode12(altitudeFt)));
    putCpr(f.bytes, encodeCprAirborne(lat, lon, odd), odd);
    return finish(f, 0);
}

ModeSFrame esSurfacePosition(uint32_t address, double groundSpeedKt, double trackDeg, double lat, double lon,
                             bool odd, int typeCode, int ca)
{
    ModeSFrame f = extendedSquitter(address, ca);
    putBits(f.bytes, kMeBit + 1, 5, uint32_t(typeCode));
    putBits(f.bytes, kMeBit + 6, 7, uint32_t(movementCode(groundSpeedKt)));
    if (trackDeg >= 0.0) {
        putBits(f.bytes, kMeBit + 13, 1, 1);
        putBits(f.bytes, kMeBit + 14, 7, uint32_t(roundToLong(wrapDegrees(trackDeg) * 128.0 / 360.0) & 0x7F));
    }
    putCpr(f.bytes, encodeCprSurface(lat, lon, odd), odd);
    return finish(f, 0);
}

ModeSFrame esAirborneVelocity(uint32_t address, double groundSpeedKt, double trackDeg, double verticalRateFpm,
                              int ca)
{
    ModeSFrame f = extendedSquitter(address, ca);
    const double rad = wrapDegrees(trackDeg) * std::numbers::pi / 180.0;
    const double ew = groundSpeedKt * std::sin(rad);
    const double ns = groundSpeedKt * std::cos(rad);
    putBits(f.bytes, kMeBit + 1, 5, 19);
    putBits(f.bytes, kMeBit + 6, 3, 1);
    putBits(f.bytes, kMeBit + 11, 3, 1); // NUCr
    putBits(f.bytes, kMeBit + 14, 1, ew < 0.0 ? 1 : 0);
    putBits(f.bytes, kMeBit + 15, 10, uint32_t(std::min(roundToLong(std::fabs(ew)) + 1, 1023L)));
    putBits(f.bytes, kMeBit + 25, 1, ns < 0.0 ? 1 : 0);
    putBits(f.bytes, kMeBit + 26, 10, uint32_t(std::min(roundToLong(std::fabs(ns)) + 1, 1023L)));
    putBits(f.bytes, kMeBit + 36, 1, 1); // barometric source
    putBits(f.bytes, kMeBit + 37, 1, verticalRateFpm < 0.0 ? 1 : 0);
    putBits(f.bytes, kMeBit + 38, 9, uint32_t(std::min(roundToLong(std::fabs(verticalRateFpm) / 64.0) + 1, 511L)));
    putBits(f.bytes, kMeBit + 50, 7, 1); // GNSS minus baro: 0 ft
    return finish(f, 0);
}

double velocityGroundSpeed(double groundSpeedKt, double trackDeg)
{
    const double rad = wrapDegrees(trackDeg) * std::numbers::pi / 180.0;
    const double ew = double(std::min(roundToLong(std::fabs(groundSpeedKt * std::sin(rad))), 1022L));
    const double ns = double(std::min(roundToLong(std::fabs(groundSpeedKt * std::cos(rad))), 1022L));
    return std::sqrt(ew * ew + ns * ns);
}

ModeSFrame esStatusSquawk(uint32_t address, const char* squawk, int emergencyState, int ca)
{
    ModeSFrame f = extendedSquitter(address, ca);
    putBits(f.bytes, kMeBit + 1, 5, 28);
    putBits(f.bytes, kMeBit + 6, 3, 1);
    putBits(f.bytes, kMeBit + 9, 3, uint32_t(emergencyState));
    putBits(f.bytes, kMeBit + 12, 13, uint32_t(identityCode(squawk)));
    return finish(f, 0);
}

ModeSFrame allCallReply(uint32_t address, int ca, int interrogatorCode)
{
    ModeSFrame f;
    f.length = 7;
    putBits(f.bytes, 1, 5, 11);
    putBits(f.bytes, 6, 3, uint32_t(ca));
    putBits(f.bytes, 9, 24, address);
    return finish(f, uint32_t(interrogatorCode) & 0x7Fu);
}

ModeSFrame shortAirAir(uint32_t address, double altitudeFt, bool onGround, int sl, int ri)
{
    ModeSFrame f;
    f.length = 7;
    putBits(f.bytes, 1, 5, 0);
    putBits(f.bytes, 6, 1, onGround ? 1 : 0);
    putBits(f.bytes, 7, 1, 1); // cross-link capable
    putBits(f.bytes, 9, 3, uint32_t(sl));
    putBits(f.bytes, 14, 4, uint32_t(ri));
    putBits(f.bytes, 20, 13, uint32_t(altitudeCode13(altitudeFt)));
    return finish(f, address);
}

ModeSFrame longAirAir(uint32_t address, double altitudeFt, bool onGround, const uint8_t* mv, int sl, int ri)
{
    ModeSFrame f;
    f.length = 14;
    putBits(f.bytes, 1, 5, 16);
    putBits(f.bytes, 6, 1, onGround ? 1 : 0);
    putBits(f.bytes, 9, 3, uint32_t(sl));
    putBits(f.bytes, 14, 4, uint32_t(ri));
    putBits(f.bytes, 20, 13, uint32_t(altitudeCode13(altitudeFt)));
    if (mv)
        std::copy(mv, mv + 7, f.bytes + 4);
    else
        f.bytes[4] = 0x30;
    return finish(f, address);
}

ModeSFrame surveillanceReply(int df, uint32_t address, int field13, const CommB* mb, int fs, int dr, int um)
{
    ModeSFrame f;
    f.length = mb ? 14 : 7;
    putBits(f.bytes, 1, 5, uint32_t(df));
    putBits(f.bytes, 6, 3, uint32_t(fs));
    putBits(f.bytes, 9, 5, uint32_t(dr));
    putBits(f.bytes, 14, 6, uint32_t(um));
    putBits(f.bytes, 20, 13, uint32_t(field13));
    if (mb) std::copy(mb->mb, mb->mb + 7, f.bytes + 4);
    return finish(f, address);
}

ModeSFrame altitudeReply(uint32_t address, double altitudeFt, int fs, int dr, int um)
{
    return surveillanceReply(4, address, altitudeCode13(altitudeFt), nullptr, fs, dr, um);
}

ModeSFrame identityReply(uint32_t address, const char* squawk, int fs, int dr, int um)
{
    return surveillanceReply(5, address, identityCode(squawk), nullptr, fs, dr, um);
}

ModeSFrame commBAltitudeReply(uint32_t address, double altitudeFt, const CommB& mb, int fs, int dr, int um)
{
    return surveillanceReply(20, address, altitudeCode13(altitudeFt), &mb, fs, dr, um);
}

ModeSFrame commBIdentityReply(uint32_t address, const char* squawk, const CommB& mb, int fs, int dr, int um)
{
    return surveillanceReply(21, address, identityCode(squawk), &mb, fs, dr, um);
}

// The MB helpers write into a scratch frame so that MB bit k is frame bit 32 + k, as in the
// register tables.
CommB mbIdentification(const char* callsign)
{
    uint8_t frame[14] = {};
    putBits(frame, kMeBit + 1, 8, 0x20);
    putCallsign(frame, kMeBit + 9, callsign);
    CommB out;
    std::copy(frame + 4, frame + 11, out.mb);
    return out;
}

CommB mbVerticalIntention(double mcpAltFt, double fmsAltFt, double baroMb)
{
    uint8_t frame[14] = {};
    putBits(frame, kMeBit + 1, 1, 1);
    putBits(frame, kMeBit + 2, 12, uint32_t(std::clamp(roundToLong(mcpAltFt / 16.0), 0L, 4095L)));
    putBits(frame, kMeBit + 14, 1, 1);
    putBits(frame, kMeBit + 15, 12, uint32_t(std::clamp(roundToLong(fmsAltFt / 16.0), 0L, 4095L)));
    putBits(frame, kMeBit + 27, 1, 1);
    putBits(frame, kMeBit + 28, 12, uint32_t(std::clamp(roundToLong((baroMb - 800.0) * 10.0), 0L, 4095L)));
    putBits(frame, kMeBit + 48, 1, 1); // autopilot modes valid: VNAV on
    putBits(frame, kMeBit + 49, 1, 1);
    putBits(frame, kMeBit + 54, 1, 1); // target altitude source valid: MCP/FCU
    putBits(frame, kMeBit + 55, 2, 2);
    CommB out;
    std::copy(frame + 4, frame + 11, out.mb);
    return out;
}

CommB mbTrackAndTurn(double rollDeg, double trackDeg, double groundSpeedKt, double trackRateDps, double tasKt)
{
    uint8_t frame[14] = {};
    putBits(frame, kMeBit + 1, 1, 1);
    putBits(frame, kMeBit + 2, 10, signedField(std::clamp(roundToLong(rollDeg * 256.0 / 45.0), -512L, 511L), 10));
    putBits(frame, kMeBit + 12, 1, 1);
    putBits(frame, kMeBit + 13, 11, signedField(roundToLong(signedDegrees(trackDeg) * 512.0 / 90.0), 11));
    putBits(frame, kMeBit + 24, 1, 1);
    putBits(frame, kMeBit + 25, 10, uint32_t(std::clamp(roundToLong(groundSpeedKt / 2.0), 0L, 1023L)));
    putBits(frame, kMeBit + 35, 1, 1);
    putBits(frame, kMeBit + 36, 10,
            signedField(std::clamp(roundToLong(trackRateDps * 256.0 / 8.0), -512L, 511L), 10));
    putBits(frame, kMeBit + 46, 1, 1);
    putBits(frame, kMeBit + 47, 10, uint32_t(std::clamp(roundToLong(tasKt / 2.0), 0L, 1023L)));
    CommB out;
    std::copy(frame + 4, frame + 11, out.mb);
    return out;
}

CommB mbHeadingAndSpeed(double headingDeg, double iasKt, double mach, double baroVrFpm, double inertialVrFpm)
{
    uint8_t frame[14] = {};
    const long heading = roundToLong(wrapDegrees(headingDeg) * 512.0 / 90.0) & 0x7FF;
    putBits(frame, kMeBit + 1, 1, 1);
    putBits(frame, kMeBit + 13, 1, 1);
    putBits(frame, kMeBit + 14, 10, uint32_t(std::clamp(roundToLong(iasKt), 0L, 1023L)));
    putBits(frame, kMeBit + 24, 1, 1);
    putBits(frame, kMeBit + 25, 10, uint32_t(std::clamp(roundToLong(mach / 0.004), 0L, 1023L)));
    putBits(frame, kMeBit + 35, 1, 1);
    putBits(frame, kMeBit + 36, 10, signedField(std::clamp(roundToLong(baroVrFpm / 32.0), -512L, 511L), 10));
    // The inertial status bit also keeps the register from passing for 4,0.
    putBits(frame, kMeBit + 46, 1, 1);
    putBits(frame, kMeBit + 47, 10,
            signedField(std::clamp(roundToLong(inertialVrFpm / 32.0), -512L, 511L), 10));
    putBits(frame, kMeBit + 2, 11, uint32_t(heading));
    CommB out;
    std::copy(frame + 4, frame + 11, out.mb);
    return out;
}

} // namespace varnock::synth
