// List lines of the aircraft view: header texts, the columns of one aircraft, plain and sorted lines.
#pragma once

#include <string>

namespace varnock {

struct TFlight;

inline constexpr const char* kListHeader = "ICAO   C/S      ALT..MCP V/S GS  TT  SSR  G*456^";
inline constexpr const char* kSortedListHeader =
    "                 #ICAO   C/S      ALT..MCP V/S GS  TT  SSR  G*456^";

struct AircraftColumns {
    std::string icao, callsign, alt, vs, gs, tt, squawk, flags;
};

std::string altColumn(const TFlight& rec);
std::string vsColumn(const TFlight& rec);
std::string gsColumn(const TFlight& rec);
std::string ttColumn(const TFlight& rec);
// Also counts down the record's alert, emergency, acas, icflag, spi and posage by one round.
std::string flagsColumn(TFlight& rec);

// All columns of one aircraft after its decode round (lowers the countdowns, see flagsColumn).
AircraftColumns aircraftColumns(TFlight& rec);

std::string plainLine(const AircraftColumns& c);
// Sort key of `sortColumn` (1 ICAO .. 7 SSR, anything else none), then "#" and the line.
std::string sortedLine(const AircraftColumns& c, int sortColumn);

} // namespace varnock
