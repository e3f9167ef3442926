// AircraftTable: the fixed table of 2000 TFlight records with find, allocate, file, purge and decode round.
#pragma once

#include <cstdint>
#include <memory>

#include "core/flight.h"

namespace varnock {

class Clock;
class LineSink;
struct DecodeContext;

constexpr int kTableSize = 2000;
constexpr int kLifetimeRounds = 30;

class AircraftTable {
public:
    // Lines (STA) go to `lines`, time stamps from `clock`; both must outlive the table.
    AircraftTable(LineSink& lines, const Clock& clock);

    TFlight& operator[](int i) { return records_[static_cast<std::size_t>(i)]; }
    const TFlight& operator[](int i) const { return records_[static_cast<std::size_t>(i)]; }

    // Upper bound (inclusive) of every table search.
    int highestUsed = 0;

    // Searches records 0..highestUsed for `address` (six hex digits). Every match gets `lifetime`;
    // a match that is not in use is refreshed as a returning aircraft (STA OK line) and the search
    // goes on. True, with `index`, only for a record in use.
    bool findFlight(const char* address, int& index, int lifetime);

    // Lowest record not in use, reinitialised; -1 when all 2000 are in use. The caller sets icao.
    int allocFlight(int lifetime);

    // Copies a frame (all 14 sliced bytes available) into the record's slot for its kind.
    void storeFrame(int df, const uint8_t* bytes, TFlight& rec);

    // Once per 2 s round, before the decode round: lifetimes, RM lines, airborne CPR word ageing.
    void purgeFlights();

    // highestUsed := highest index in use (0 when none).
    void resetHighestUsed();

    // Decodes every new slot of one in-use record in slot order (the decode round of one record).
    void decodeRecord(TFlight& rec, const DecodeContext& ctx);

    int countInUse() const;

    LineSink& lineSink() { return lines_; }
    const Clock& clock() const { return clock_; }

private:
    void initRecord(TFlight& rec, int lifetime);

    std::unique_ptr<TFlight[]> records_;
    LineSink& lines_;
    const Clock& clock_;
};

} // namespace varnock
