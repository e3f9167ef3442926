// 30003-style lines: the AIR, STA, ID and MSG,1-8 layouts and the choice of line per decoded frame.
#pragma once

#include <string>

#include "core/clock.h"
#include "core/flight.h"

namespace varnock {

class LineSink;

// "yyyy/mm/dd,hh:mm:ss.000" (covers two comma-separated fields).
std::string lineTimeStamp(const LocalDateTime& t);

std::string airLine(const char* icao, const std::string& stamp);
// status: "OK", "AD" or "RM".
std::string staLine(const char* icao, const std::string& stamp, const char* status);
std::string idLine(const TFlight& rec, const std::string& stamp);
// type 1..8; MSG,7 has 21 fields, the others 22.
std::string msgLine(int type, const TFlight& rec, const std::string& stamp);

// AIR/STA events: built and sent only while a client is connected; one time stamp per event.
void sendAirLine(LineSink& sink, const Clock& clock, const char* icao);
void sendStaLine(LineSink& sink, const Clock& clock, const char* icao, const char* status);

// The line(s) a frame produces right after `decodeFrame` decoded it under `label`
// (tc: type code of a label-17 frame; callsignChanged: the ID line is due).
void emitFrameLine(LineSink& sink, const Clock& clock, int label, int tc, const TFlight& rec,
                   bool callsignChanged);

} // namespace varnock
