// CPR encoding of positions into 17-bit even/odd words (NZ = 15), airborne and surface.
#pragma once

namespace varnock::synth {

struct CprWords {
    int lat = 0; // 17-bit YZ
    int lon = 0; // 17-bit XZ
};

// Number of longitude zones at a latitude: the largest n in 1..59 whose transition latitude is
// not below |lat| (so a latitude exactly on a transition takes the larger count); 0 beyond 90.
int cprZoneCount(double lat);

// Airborne format: 360-degree zones, 2^17 steps per zone.
CprWords encodeCprAirborne(double lat, double lon, bool odd);

// Surface format: the same with 90-degree zones, so four times the resolution (~1.3 m).
CprWords encodeCprSurface(double lat, double lon, bool odd);

} // namespace varnock::synth
