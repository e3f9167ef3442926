// The aircraft table as the JSON documents web maps poll: aircraft list, receiver facts, snapshots.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/flight.h"

namespace varnock {

class AircraftTable;
struct HomeLocation;

// One aircraft object ("{...}") appended to `out`; every key only when its value is known.
// `nowMs` is UTC milliseconds, the reference of "seen" and "seen_pos".
void appendAircraftObject(const TFlight& rec, int64_t nowMs, std::string& out);

// The whole aircraft document into `out` (cleared first; its capacity is kept for the next call).
// `messages` is the receiver's running total of Mode-S messages.
void buildAircraftJson(const AircraftTable& table, int64_t nowMs, uint64_t messages, std::string& out);

// What a map needs to know before polling: version, poll interval, history length, home.
std::string buildReceiverJson(const HomeLocation& home, int refreshMs, int historyCount, std::string_view version);

} // namespace varnock
