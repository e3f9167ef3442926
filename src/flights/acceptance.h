// Parity, believability per downlink format, address and acceptance of a Mode-S candidate.
#pragma once

#include "demod/raw_frame.h"

namespace varnock {

class AircraftTable;

// Fills the frame's syndrome and address; files it into the table when its aircraft is accepted.
// Address/parity formats are accepted only for an address already accepted through df 11/17/18
// (or a df 19 with AF 0). A short frame of a kind that has no short slot is dropped.
// Sends the AIR line of a newly accepted aircraft while a 30003-style client is connected.
bool validateAndFile(RawFrame& frame, AircraftTable& table);

} // namespace varnock
