// Aircraft JSON: numbers through to_chars into one growing buffer, so 2000 aircraft cost little.
#include "flights/aircraft_json.h"

#include <charconv>
#include <cmath>

#include "core/home_location.h"
#include "flights/aircraft_table.h"

namespace varnock {

namespace {

// Shifted seconds of `lastseen` are whole UTC seconds minus this.
constexpr int64_t kShiftSeconds = 7200;
// A fresh position is marked with this many 2 s rounds to go.
constexpr int32_t kFreshPosAge = 8;

// Altitude fields: real values go down to -1200 ft; an invalid Gillham code is no altitude.
bool altitudeKnown(int32_t v) { return isKnown5(v) && v != kInvalidGillham; }

void appendInt(std::string& out, int64_t v)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

void appendFixed(std::string& out, double v, int decimals)
{
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) {
        out += '0';
        return;
    }
    out.append(buf, r.ptr);
}

// The separator is written before every key but the object's first.
struct Object {
    std::string& out;
    bool first = true;

    explicit Object(std::string& o) : out(o) { out += '{'; }
    void key(std::string_view k)
    {
        if (!first) out += ',';
        first = false;
        out += '"';
        out += k;
        out += "\":";
    }
    void integer(std::string_view k, int64_t v)
    {
        key(k);
        appendInt(out, v);
    }
    void fixed(std::string_view k, double v, int decimals)
    {
        key(k);
        appendFixed(out, v, decimals);
    }
    void text(std::string_view k, std::string_view v)
    {
        key(k);
        appendString(v);
    }
    void appendString(std::string_view v)
    {
        static constexpr char kHex[] = "0123456789abcdef";
        out += '"';
        for (char c : v) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (u < 0x20 || u >= 0x7F) {
                out += "\\u00";
                out += kHex[u >> 4];
                out += kHex[u & 15];
            } else {
                out += c;
            }
        }
        out += '"';
    }
    void close() { out += '}'; }
};

int32_t angle(int32_t degrees) { return ((degrees % 360) + 360) % 360; }

const char* emergencyName(int32_t state)
{
    static constexpr const char* kNames[] = {"none", "general", "lifeguard", "minfuel",
                                             "nordo", "unlawful", "downed", "reserved"};
    return state >= 0 && state <= 7 ? kNames[state] : nullptr;
}

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

bool blank(const char* s, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (s[i] != ' ') return false;
    return true;
}

bool octalSquawk(const char* s, std::size_t n)
{
    if (n != 4) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (s[i] < '0' || s[i] > '7') return false;
    return true;
}

} // namespace

void appendAircraftObject(const TFlight& rec, int64_t nowMs, std::string& out)
{
    Object o(out);
    {
        char hex[6];
        const std::size_t n = rec.icao.size() < 6 ? rec.icao.size() : 6;
        for (std::size_t i = 0; i < n; ++i) {
            const char c = rec.icao.s[i];
            hex[i] = isHexDigit(c) ? static_cast<char>(c >= 'A' && c <= 'F' ? c + 32 : c) : '0';
        }
        o.text("hex", std::string_view(hex, n));
    }
    o.text("type", rec.esdf == 17 ? "adsb_icao" : rec.esdf == 18 ? "adsb_icao_nt" : "mode_s");
    // A record starts with eight blanks for the callsign and four for the squawk.
    if (!blank(rec.callsign.s, rec.callsign.size())) {
        char flight[8];
        for (std::size_t i = 0; i < 8; ++i) flight[i] = i < rec.callsign.size() ? rec.callsign.s[i] : ' ';
        o.text("flight", std::string_view(flight, 8));
    }
    const bool airborne = rec.onground != 1;
    if (!airborne) {
        o.text("alt_baro", "ground");
    } else if (altitudeKnown(rec.altitude)) {
        o.integer("alt_baro", rec.altitude);
    }
    if (altitudeKnown(rec.gnssalt)) {
        o.integer("alt_geom", rec.gnssalt);
    } else if (airborne && altitudeKnown(rec.altitude) && isKnown5(rec.altdiff)) {
        o.integer("alt_geom", int64_t(rec.altitude) + rec.altdiff);
    }
    if (isKnown(rec.gs)) o.integer("gs", rec.gs);
    if (isKnown(rec.ias)) o.integer("ias", rec.ias);
    if (isKnown(rec.tas)) o.integer("tas", rec.tas);
    if (isKnown(rec.mach)) o.fixed("mach", rec.mach / 1000.0, 3);
    if (isKnown(rec.track)) o.integer("track", angle(rec.track));
    if (isKnown(rec.trackrate)) o.fixed("track_rate", rec.trackrate / 10.0, 1); // tenths of a degree per second
    if (isKnown(rec.roll)) o.integer("roll", rec.roll);
    if (isKnown(rec.heading)) o.integer("mag_heading", angle(rec.heading));
    if (isKnown5(rec.vrate)) o.integer(rec.vrsource == 0 ? "geom_rate" : "baro_rate", rec.vrate);
    if (octalSquawk(rec.squawk.s, rec.squawk.size())) o.text("squawk", std::string_view(rec.squawk.s, 4));
    if (const char* e = emergencyName(rec.emerstate)) o.text("emergency", e);
    if (rec.category.size() == 2 && rec.category.s[0] >= 'A' && rec.category.s[0] <= 'D') {
        const char cat[2] = {rec.category.s[0], rec.category.s[1] == '-' ? '0' : rec.category.s[1]};
        o.text("category", std::string_view(cat, 2));
    }
    if (isKnown(rec.qnh)) o.integer("nav_qnh", rec.qnh);
    if (isKnown(rec.mcpalt)) o.integer("nav_altitude_mcp", int64_t(rec.mcpalt) * 100); // hundreds of feet
    if (isKnown(rec.fmsalt)) o.integer("nav_altitude_fms", int64_t(rec.fmsalt) * 100);
    if (isKnown(rec.mcpmode)) {
        o.key("nav_modes");
        out += '[';
        bool firstMode = true;
        static constexpr const char* kModes[] = {"\"vnav\"", "\"althold\"", "\"approach\""};
        for (int bit = 0; bit < 3; ++bit) {
            if ((rec.mcpmode & (1 << bit)) == 0) continue;
            if (!firstMode) out += ',';
            firstMode = false;
            out += kModes[bit];
        }
        out += ']';
    }
    if (isKnown(rec.lat) && isKnown(rec.lon) && std::isfinite(rec.lat) && std::isfinite(rec.lon)) {
        o.fixed("lat", rec.lat, 6);
        o.fixed("lon", rec.lon, 6);
        // The age counts down once a 2 s round from a fresh fix; at 0 the time of the fix is lost.
        if (rec.posage > 0 && rec.posage <= kFreshPosAge) o.fixed("seen_pos", (kFreshPosAge - rec.posage) * 2.0, 1);
    }
    if (isKnown(rec.nic)) o.integer("nic", rec.nic);
    o.key("mlat");
    out += "[]";
    o.key("tisb");
    out += "[]";
    o.integer("messages", rec.messages);
    if (isKnown(rec.lastseen)) {
        const double seen = (nowMs - (int64_t(rec.lastseen) + kShiftSeconds) * 1000) / 1000.0;
        o.fixed("seen", seen > 0 ? seen : 0.0, 1);
    }
    o.close();
}

void buildAircraftJson(const AircraftTable& table, int64_t nowMs, uint64_t messages, std::string& out)
{
    out.clear();
    out += "{\"now\":";
    appendFixed(out, nowMs / 1000.0, 1);
    out += ",\"messages\":";
    appendInt(out, static_cast<int64_t>(messages));
    out += ",\"aircraft\":[";
    bool first = true;
    for (int i = 0; i <= table.highestUsed && i < kTableSize; ++i) {
        const TFlight& rec = table[i];
        if (!rec.inuse) continue;
        if (!first) out += ',';
        first = false;
        out += '\n';
        appendAircraftObject(rec, nowMs, out);
    }
    out += "\n]}\n";
}

std::string buildReceiverJson(const HomeLocation& home, int refreshMs, int historyCount, std::string_view version)
{
    std::string out;
    Object o(out);
    o.text("version", version);
    o.integer("refresh", refreshMs);
    o.integer("history", historyCount);
    // 0/0 is how the settings say "no home location".
    if ((home.lat != 0.0 || home.lon != 0.0) && std::isfinite(home.lat) && std::isfinite(home.lon) &&
        std::abs(home.lat) <= 90.0 && std::abs(home.lon) <= 180.0) {
        o.fixed("lat", home.lat, 6);
        o.fixed("lon", home.lon, 6);
    }
    o.close();
    out += '\n';
    return out;
}

} // namespace varnock
