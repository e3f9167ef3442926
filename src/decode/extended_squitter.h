// Extended squitter (DF 17/18/19 ME field) decoding: dispatch by type code and the per-kind decoders.
#pragma once

#include <cstdint>

namespace varnock {

struct HomeLocation;
struct TFlight;

// b: the 14 frame bytes (ME is bytes 4-10, type code = byte 4 >> 3).
void decodeExtendedSquitter(const uint8_t* b, TFlight& rec, const HomeLocation& home);

// Integrity category of a position type code; -1 for a type code that leaves `nic` alone.
int nicForTypeCode(int tc, int b5);

// Track over ground from north-south (a) and east-west (b) speeds and their direction bits.
int velocityTrack(int a, int b, int sns, int sew);

void decodeEsIdentification(const uint8_t* b, TFlight& rec, const HomeLocation& home);
void decodeEsAirbornePosition(const uint8_t* b, TFlight& rec, const HomeLocation& home);
void decodeEsSurfacePosition(const uint8_t* b, TFlight& rec, const HomeLocation& home);
void decodeEsVelocity(const uint8_t* b, TFlight& rec, const HomeLocation& home);
void decodeEsStatus(const uint8_t* b, TFlight& rec, const HomeLocation& home);
void decodeEsTc30(const uint8_t* b, TFlight& rec, const HomeLocation& home);
void decodeEsTc31(const uint8_t* b, TFlight& rec, const HomeLocation& home);

} // namespace varnock
