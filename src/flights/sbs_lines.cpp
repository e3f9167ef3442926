// 30003-style lines: field texts, the AIR/STA/ID/MSG layouts, and which line each decoded frame yields.
#include "flights/sbs_lines.h"

#include <climits>
#include <iterator>
#include <string_view>

#include "core/ascii_text.h"
#include "core/decimal_text.h"
#include "core/line_sink.h"

namespace varnock {

namespace {

} // namespace

// Built digit by digit: it is taken once per decoded frame, and printf dominated a full round.
std::string lineTimeStamp(const LocalDateTime& t)
{
    char buf[96]; // six fields of at most 11 characters and their separators
    std::size_t n = 0;
    auto field = [&buf, &n](int v, int width, char separator) {
        n += formatPaddedInt(buf + n, v < 0 ? 0 : v, width, '0');
        if (separator != 0) buf[n++] = separator;
    };
    field(t.year, 4, '/');
    field(t.month, 2, '/');
    field(t.day, 2, ',');
    field(t.hour, 2, ':');
    field(t.minute, 2, ':');
    field(t.second, 2, 0);
    for (char c : {'.', '0', '0', '0'}) buf[n++] = c;
    return std::string(buf, n);
}

namespace {

// What a field after the time stamps holds.
enum class Source : uint8_t {
    End,          // no further filled field
    Callsign,     // trimmed `callsign`
    Altitude,     // `altitude`
    GroundSpeed,  // `gs` and ".0"
    Track,        // `track` and ".0"
    Latitude,     // `lat`, cut to 11 characters
    Longitude,    // `lon`, cut to 11 characters
    VerticalRate, // `vrate`
    Squawk,       // trimmed `squawk`
    Alert,        // countdowns, read as a flag
    Emergency,
    Spi,
    Ground,       // parity of `onground`
    OnSurface,    // "-1" whatever the record holds
    Status,       // the STA status text
};

struct Filled {
    uint8_t field; // 1-based position in the line
    Source source;
};

// One line kind. Fields 1-10 are alike on every line: the kind (two fields), the session, aircraft
// and flight ids, the address and the stamp twice (two fields each). `filled` lists the later
// fields that are not empty, in order; the rest stay empty up to `fieldCount`.
struct Layout {
    std::string_view kind;
    uint8_t fieldCount;
    Filled filled[7];
};

constexpr uint8_t kStampEnd = 10; // the last field of the common start

using S = Source;
constexpr Layout kAir{"AIR,", 10, {}};
constexpr Layout kSta{"STA,", 11, {{11, S::Status}}};
constexpr Layout kId{"ID,", 11, {{11, S::Callsign}}};
constexpr Layout kMsg[] = {
    {"MSG,1", 22, {{11, S::Callsign}}},
    {"MSG,2", 22, {{12, S::Altitude}, {13, S::GroundSpeed}, {14, S::Track}, {15, S::Latitude},
                   {16, S::Longitude}, {22, S::OnSurface}}},
    {"MSG,3", 22, {{12, S::Altitude}, {15, S::Latitude}, {16, S::Longitude}, {19, S::Alert},
                   {20, S::Emergency}, {21, S::Spi}, {22, S::Ground}}},
    {"MSG,4", 22, {{13, S::GroundSpeed}, {14, S::Track}, {17, S::VerticalRate}}},
    {"MSG,5", 22, {{12, S::Altitude}, {19, S::Alert}, {21, S::Spi}, {22, S::Ground}}},
    {"MSG,6", 22, {{12, S::Altitude}, {18, S::Squawk}, {19, S::Alert}, {20, S::Emergency}, {21, S::Spi},
                   {22, S::Ground}}},
    {"MSG,7", 21, {{12, S::Altitude}, {21, S::Ground}}}, // one field short, GND in field 21
    {"MSG,8", 22, {{22, S::Ground}}},
};

// Filled fields stand after the stamps, in rising order, within the line.
constexpr bool wellFormed(const Layout& l)
{
    int last = kStampEnd;
    for (const Filled& f : l.filled) {
        if (f.source == S::End) break;
        if (f.field <= last || f.field > l.fieldCount) return false;
        last = f.field;
    }
    return true;
}

// ... and MSG,n stands at index n - 1.
constexpr bool allWellFormed()
{
    for (std::size_t i = 0; i < std::size(kMsg); ++i)
        if (!wellFormed(kMsg[i]) || kMsg[i].kind.substr(4) != std::string_view(&"12345678"[i], 1)) return false;
    return std::size(kMsg) == 8 && wellFormed(kAir) && wellFormed(kSta) && wellFormed(kId);
}
static_assert(allWellFormed());

constexpr std::string_view kIds = ",111,11111,";
constexpr std::string_view kFlightId = ",111111,";

// What a line is built from; `rec` is only read by the fields of ID and MSG lines.
struct LineInputs {
    const char* icao;
    const TFlight* rec;
    const char* status;
};

void appendSuffixed(std::string& s, int32_t v, std::string_view suffix)
{
    appendDecimalInt(s, v);
    s += suffix;
}

// Cut to the width the clients expect.
void appendDegrees(std::string& s, double v)
{
    const std::size_t start = s.size();
    appendDecimal15(s, v);
    if (s.size() - start > 11) s.resize(start + 11);
}

void appendGround(std::string& s, int32_t v)
{
    if (isKnown(v)) s += (v % 2 != 0) ? "-1" : "0";
}

// Set while running, clear once run down.
void appendCountdown(std::string& s, int32_t v)
{
    if (isKnown(v)) s += v > 0 ? "-1" : "0";
}

void appendField(std::string& s, Source source, const LineInputs& in)
{
    if (source == S::Status) {
        s += in.status;
        return;
    }
    const TFlight& r = *in.rec;
    switch (source) {
    case S::Callsign: appendTrimmed(s, {r.callsign.c_str(), r.callsign.size()}); break;
    case S::Altitude:
        if (isKnown(r.altitude)) appendDecimalInt(s, r.altitude);
        break;
    case S::GroundSpeed:
        if (isKnown(r.gs)) appendSuffixed(s, r.gs, ".0");
        break;
    case S::Track:
        if (isKnown(r.track)) appendSuffixed(s, r.track, ".0");
        break;
    case S::Latitude: appendDegrees(s, r.lat); break;
    case S::Longitude: appendDegrees(s, r.lon); break;
    case S::VerticalRate:
        if (isKnown5(r.vrate)) appendDecimalInt(s, r.vrate);
        break;
    case S::Squawk: appendTrimmed(s, {r.squawk.c_str(), r.squawk.size()}); break;
    case S::Alert: appendCountdown(s, r.alert); break;
    case S::Emergency: appendCountdown(s, r.emergency); break;
    case S::Spi: appendCountdown(s, r.spi); break;
    case S::Ground: appendGround(s, r.onground); break;
    case S::OnSurface: s += "-1"; break;
    case S::End:
    case S::Status: break;
    }
}

// `tail`: the flight id and both stamps, fields 6-10.
void appendLine(std::string& s, const Layout& layout, const LineInputs& in, std::string_view tail)
{
    s += layout.kind;
    s += kIds;
    s += in.icao;
    s += tail;
    std::size_t field = kStampEnd;
    for (const Filled& f : layout.filled) {
        if (f.source == S::End) break;
        s.append(f.field - field, ',');
        field = f.field;
        appendField(s, f.source, in);
    }
    s.append(layout.fieldCount - field, ',');
    s += "\r\n";
}

void appendMsgLine(std::string& s, int type, const TFlight& rec, std::string_view tail)
{
    if (type < 1 || type > 8) return;
    appendLine(s, kMsg[type - 1], {rec.icao.c_str(), &rec, nullptr}, tail);
}

std::string headTail(const std::string& stamp)
{
    std::string t(kFlightId);
    t += stamp;
    t += ',';
    t += stamp;
    return t;
}

// The stamp only changes once a second, and a round writes thousands of lines within one; what
// follows the address (flight id and both stamps) is kept ready for the second.
const std::string& headTailOf(const Clock& clock)
{
    static thread_local int64_t second = INT64_MIN;
    static thread_local const Clock* owner = nullptr;
    static thread_local std::string tail;
    const int64_t ms = clock.utcMs();
    const int64_t now = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
    if (now != second || owner != &clock) {
        tail = headTail(lineTimeStamp(clock.localTime()));
        second = now;
        owner = &clock;
    }
    return tail;
}

// One buffer reused for every line the sender builds: a full round makes tens of thousands.
std::string& scratch()
{
    static thread_local std::string s = [] {
        std::string b;
        b.reserve(256);
        return b;
    }();
    s.clear();
    return s;
}

} // namespace

std::string airLine(const char* icao, const std::string& stamp)
{
    std::string s;
    appendLine(s, kAir, {icao, nullptr, nullptr}, headTail(stamp));
    return s;
}

std::string staLine(const char* icao, const std::string& stamp, const char* status)
{
    std::string s;
    appendLine(s, kSta, {icao, nullptr, status}, headTail(stamp));
    return s;
}

std::string idLine(const TFlight& rec, const std::string& stamp)
{
    std::string s;
    appendLine(s, kId, {rec.icao.c_str(), &rec, nullptr}, headTail(stamp));
    return s;
}

std::string msgLine(int type, const TFlight& rec, const std::string& stamp)
{
    std::string s;
    appendMsgLine(s, type, rec, headTail(stamp));
    return s;
}

void sendAirLine(LineSink& sink, const Clock& clock, const char* icao)
{
    if (!sink.anyLineClient()) return;
    std::string& s = scratch();
    appendLine(s, kAir, {icao, nullptr, nullptr}, headTailOf(clock));
    sink.sendToLineClients(s);
}

void sendStaLine(LineSink& sink, const Clock& clock, const char* icao, const char* status)
{
    if (!sink.anyLineClient()) return;
    std::string& s = scratch();
    appendLine(s, kSta, {icao, nullptr, status}, headTailOf(clock));
    sink.sendToLineClients(s);
}

void emitFrameLine(LineSink& sink, const Clock& clock, int label, int tc, const TFlight& rec,
                   bool callsignChanged)
{
    if (!sink.anyLineClient()) return;
    int type = 0;
    switch (label) {
    case 0:
    case 16:
        if (isKnown(rec.altitude)) type = 7;
        break;
    case 4:
    case 20: type = 5; break;
    case 5:
    case 21: type = 6; break;
    case 11: type = 8; break;
    case 17:
        if (tc >= 1 && tc <= 4) type = 1;
        else if (tc >= 5 && tc <= 8) type = isKnown(rec.lat) ? 2 : 0;
        else if (tc == 0 || (tc >= 9 && tc <= 18)) type = isKnown(rec.lat) ? 3 : 0;
        else if (tc == 19) type = 4;
        break;
    default: break;
    }
    if (type == 0) return;
    const std::string& tail = headTailOf(clock); // one stamp per frame, both T fields
    std::string& s = scratch();
    if (type == 1 && callsignChanged) {
        appendLine(s, kId, {rec.icao.c_str(), &rec, nullptr}, tail);
        sink.sendToLineClients(s);
        s.clear();
    }
    appendMsgLine(s, type, rec, tail);
    sink.sendToLineClients(s);
}

} // namespace varnock
