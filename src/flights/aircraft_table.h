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
    // a match that is not in use is refreshed as a returning aircraft (STA OK line if it was
    // announced) and the search goes on. True, with `index`, only for a record in use.
    bool findFlight(const char* address, int& index, int lifetime);

    // Lowest record not in use, reinitialised; -1 when all 2000 are in use. The caller sets icao,
    // or passes `address`, which is then set here and spares the AD line when the record held it.
    int allocFlight(int lifetime, const char* address = nullptr);

    // Copies a frame (all 14 sliced bytes available) into the record's slot for its kind.
    // A short frame (length 7) only fills a short slot; false, nothing filed, when its kind has none.
    bool storeFrame(int df, const uint8_t* bytes, TFlight& rec, int length = 14);

    // Once per 2 s round, before the decode round: lifetimes, RM lines, airborne CPR word ageing.
    void purgeFlights();

    // highestUsed := highest index in use (0 when none).
    void resetHighestUsed();

    // Decodes every new slot of one in-use record in slot order (the decode round of one record).
    void decodeRecord(TFlight& rec, const DecodeContext& ctx);

    int countInUse() const;

    // Sets record i's address and the packed copy findFlight scans. Whatever fills a table by hand
    // (tests, benchmarks) sets addresses through here, never by writing icao itself.
    void setAddress(int i, const char* address);

    LineSink& lineSink() { return lines_; }
    const Clock& clock() const { return clock_; }

private:
    void initRecord(TFlight& rec, int lifetime);
    void fileLongFrame(int df, const uint8_t* bytes, TFlight& rec);

    // icao of each record packed into one word (0 unless six characters): findFlight reads 16 KB
    // in a row instead of one cache line from each of up to 2000 large records.
    static uint64_t keyOf(const FixedText<6>& icao);
    static uint64_t keyOf(const char* address);

    std::unique_ptr<TFlight[]> records_;
    std::unique_ptr<uint64_t[]> keys_;
    LineSink& lines_;
    const Clock& clock_;
};

} // namespace varnock
