// CPR position decoding: zone counts, global (even+odd) and local (one word + reference) decoding,
// airborne (360-degree) and surface (90-degree) variants.
#pragma once

namespace varnock {

struct HomeLocation;
struct TFlight;

struct LatLon {
    double lat = 0.0;
    double lon = 0.0;
};

// Transition latitude n (1..59) of the zone-count table, built once before first use; 0 outside.
long double cprTransitionLatitude(int n);
// Zone count for |latitude|: the largest n with absLat <= table[n]; 0 above 90.
int cprNL(double absLat);
double cprMod(double a, double b);

bool cprGlobalAirborne(int latE, int latO, int lonE, int lonO, bool odd, LatLon& out);
bool cprGlobalSurface(int latE, int latO, int lonE, int lonO, bool odd, LatLon& out);
// The surface pair placed in the hemisphere and 90-degree quadrant nearest a reference position.
bool cprGlobalSurfaceNear(int latE, int latO, int lonE, int lonO, bool odd, double refLat, double refLon,
                          LatLon& out);
bool cprLocalAirborne(int latW, int lonW, bool odd, double refLat, double refLon, LatLon& out);
bool cprLocalSurface(int latW, int lonW, bool odd, double refLat, double refLon, LatLon& out);

// The choice rules after a position frame's words were stored in the record; on success they
// replace lat/lon and set posage to 8.
void cprUpdateAirborne(TFlight& rec, int latW, int lonW, bool odd, const HomeLocation& home);
void cprUpdateSurface(TFlight& rec, int latW, int lonW, bool odd, const HomeLocation& home);

} // namespace varnock
