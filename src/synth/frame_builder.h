// Mode-S frame builders: extended squitters, all-call, surveillance and Comm-B replies, with parity.
#pragma once

#include <cstdint>

namespace varnock::synth {

struct ModeSFrame {
    uint8_t bytes[14] = {};
    int length = 0; // 7 or 14
    int df() const { return bytes[0] >> 3; }
};

// A Comm-B MB field (message bytes 4-10 of a DF 20/21 reply).
struct CommB {
    uint8_t mb[7] = {};
};

// ---- field codes ----

// 12-bit extended-squitter altitude with Q = 1 (25 ft steps, -975 .. 50175 ft).
int altitudeCode12(double feet);
// 13-bit AC field with Q = 1, M = 0.
int altitudeCode13(double feet);
// 13-bit identity field (C1 A1 C2 A2 C4 A4 X B1 D1 B2 D2 B4 D4) from four octal digits "ABCD".
int identityCode(const char* squawk);
// Six-bit character code: A-Z 1-26, space 32, 0-9 48-57; anything else becomes a space.
int sixBitCode(char c);
// Writes `value`'s low `width` bits at 1-based bit `firstBit` of `bytes` (bit 1 = MSB of byte 0).
void putBits(uint8_t* bytes, int firstBit, int width, uint32_t value);

// ---- extended squitters (DF 17, parity overlay 0) ----

// Identification, TC 1-4 (4 = set A) with emitter category 0-7; callsign up to 8 characters.
ModeSFrame esIdentification(uint32_t address, const char* callsign, int typeCode = 4, int category = 3,
                            int ca = 5);
// Airborne position with barometric altitude, TC 9-18.
ModeSFrame esAirbornePosition(uint32_t address, double altitudeFt, double lat, double lon, bool odd,
                              int typeCode = 11, int ca = 5);
// Surface position, TC 5-8; trackDeg < 0 marks the track as not available.
ModeSFrame esSurfacePosition(uint32_t address, double groundSpeedKt, double trackDeg, double lat, double lon,
                             bool odd, int typeCode = 6, int ca = 4);
// Airborne velocity, subtype 1 (subsonic ground speed), barometric vertical rate.
ModeSFrame esAirborneVelocity(uint32_t address, double groundSpeedKt, double trackDeg, double verticalRateFpm,
                              int ca = 5);
// Aircraft status TC 28 subtype 1: emergency state and squawk.
ModeSFrame esStatusSquawk(uint32_t address, const char* squawk, int emergencyState = 0, int ca = 5);

// ---- replies ----

// DF 11 all-call reply; `interrogatorCode` is overlaid on the parity (0 for squitters).
ModeSFrame allCallReply(uint32_t address, int ca = 5, int interrogatorCode = 0);
// DF 0 short air-air surveillance.
ModeSFrame shortAirAir(uint32_t address, double altitudeFt, bool onGround, int sl = 7, int ri = 3);
// DF 16 long air-air surveillance; `mv` = 7 bytes of MV (null: an empty ACAS report 0x30...).
ModeSFrame longAirAir(uint32_t address, double altitudeFt, bool onGround, const uint8_t* mv = nullptr, int sl = 7,
                      int ri = 3);
// DF 4 surveillance altitude reply.
ModeSFrame altitudeReply(uint32_t address, double altitudeFt, int fs = 0, int dr = 0, int um = 0);
// DF 5 surveillance identity reply.
ModeSFrame identityReply(uint32_t address, const char* squawk, int fs = 0, int dr = 0, int um = 0);
// DF 20 Comm-B altitude reply.
ModeSFrame commBAltitudeReply(uint32_t address, double altitudeFt, const CommB& mb, int fs = 0, int dr = 0,
                              int um = 0);
// DF 21 Comm-B identity reply.
ModeSFrame commBIdentityReply(uint32_t address, const char* squawk, const CommB& mb, int fs = 0, int dr = 0,
                              int um = 0);
// The same with a raw 13-bit AC or ID field, for codes the helpers above do not produce.
ModeSFrame surveillanceReply(int df, uint32_t address, int field13, const CommB* mb, int fs, int dr, int um);

// ---- Comm-B registers ----

// 2,0 aircraft identification.
CommB mbIdentification(const char* callsign);
// 4,0 selected vertical intention: MCP/FCU and FMS selected altitudes, barometric setting (mb).
CommB mbVerticalIntention(double mcpAltFt, double fmsAltFt, double baroMb);
// 5,0 track and turn: roll (deg, right wing down positive), true track (deg), ground speed (kt),
// track angle rate (deg/s), true airspeed (kt).
CommB mbTrackAndTurn(double rollDeg, double trackDeg, double groundSpeedKt, double trackRateDps, double tasKt);
// 6,0 heading and speed: magnetic heading (deg), IAS (kt), Mach, barometric and inertial
// vertical rates (ft/min).
CommB mbHeadingAndSpeed(double headingDeg, double iasKt, double mach, double baroVrFpm, double inertialVrFpm);

// Ground speed as a receiver reconstructs it from esAirborneVelocity's rounded components.
double velocityGroundSpeed(double groundSpeedKt, double trackDeg);

} // namespace varnock::synth
