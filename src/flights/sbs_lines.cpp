// 30003-style lines: field texts, the AIR/STA/ID/MSG layouts, and which line each decoded frame yields.
#include "flights/sbs_lines.h"

#include <charconv>
#include <climits>
#include <cstdio>

#include "core/line_sink.h"
#include "core/decimal_text.h"

namespace varnock {

// Built digit by digit: it is taken once per decoded frame, and printf dominated a full round.
std::string lineTimeStamp(const LocalDateTime& t)
{
    char buf[32];
    int n = 0;
    auto digits = [&buf, &n](int v, int width) {
        if (v < 0) v = 0;
        char tmp[12];
        int k = 0;
        do {
            tmp[k++] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v > 0 && k < 11);
        for (int pad = k; pad < width; ++pad) buf[n++] = '0';
        while (k > 0) buf[n++] = tmp[--k];
    };
    digits(t.year, 4);
    buf[n++] = '/';
    digits(t.month, 2);
    buf[n++] = '/';
    digits(t.day, 2);
    buf[n++] = ',';
    digits(t.hour, 2);
    buf[n++] = ':';
    digits(t.minute, 2);
    buf[n++] = ':';
    digits(t.second, 2);
    for (char c : {'.', '0', '0', '0'}) buf[n++] = c;
    return std::string(buf, static_cast<std::size_t>(n));
}

namespace {

constexpr std::string_view kIds = ",111,11111,";
constexpr std::string_view kFlightId = ",111111,";

void appendInt(std::string& s, int32_t v)
{
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, r.ptr);
}

// Decimal text; unknown (below the limit) stays empty.
void appendKnown(std::string& s, int32_t v, int32_t unknownBelow, const char* suffix = "")
{
    if (v < unknownBelow) return;
    appendInt(s, v);
    s += suffix;
}

// Cut to the width the clients expect.
void appendDegrees(std::string& s, double v)
{
    const std::size_t start = s.size();
    appendDecimal15(s, v);
    if (s.size() - start > 11) s.resize(start + 11);
}

template <std::size_t N>
void appendTrimmed(std::string& s, const FixedText<N>& t)
{
    std::size_t b = 0, e = t.size();
    while (b < e && t.s[b] == ' ') ++b;
    while (e > b && t.s[e - 1] == ' ') --e;
    s.append(t.s + b, e - b);
}

void appendGnd(std::string& s, int32_t v)
{
    if (v < -998) return;
    s += (v % 2 != 0) ? "-1" : "0";
}

// Countdowns read as a flag: set while running, clear once run down.
void appendCountdown(std::string& s, int32_t v)
{
    if (v < -998) return;
    s += v > 0 ? "-1" : "0";
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

void appendHead(std::string& s, std::string_view kind, const char* icao, std::string_view tail)
{
    s += kind;
    s += kIds;
    s += icao;
    s += tail;
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

void appendAirLine(std::string& s, const char* icao, std::string_view tail)
{
    appendHead(s, "AIR,", icao, tail);
    s += "\r\n";
}

void appendStaLine(std::string& s, const char* icao, std::string_view tail, const char* status)
{
    appendHead(s, "STA,", icao, tail);
    s += ',';
    s += status;
    s += "\r\n";
}

void appendIdLine(std::string& s, const TFlight& rec, std::string_view tail)
{
    appendHead(s, "ID,", rec.icao.c_str(), tail);
    s += ',';
    appendTrimmed(s, rec.callsign);
    s += "\r\n";
}

void appendMsgLine(std::string& s, int type, const TFlight& rec, std::string_view tail)
{
    static constexpr std::string_view kKinds[] = {"", "MSG,1", "MSG,2", "MSG,3", "MSG,4",
                                                  "MSG,5", "MSG,6", "MSG,7", "MSG,8"};
    if (type < 1 || type > 8) return;
    appendHead(s, kKinds[type], rec.icao.c_str(), tail);
    switch (type) {
    case 1:
        s += ',';
        appendTrimmed(s, rec.callsign);
        s += ",,,,,,,,,,,";
        break;
    case 2:
        s += ",,";
        appendKnown(s, rec.altitude, -998);
        s += ',';
        appendKnown(s, rec.gs, -998, ".0");
        s += ',';
        appendKnown(s, rec.track, -998, ".0");
        s += ',';
        appendDegrees(s, rec.lat);
        s += ',';
        appendDegrees(s, rec.lon);
        s += ",,,,,,-1";
        break;
    case 3:
        s += ",,";
        appendKnown(s, rec.altitude, -998);
        s += ",,,";
        appendDegrees(s, rec.lat);
        s += ',';
        appendDegrees(s, rec.lon);
        s += ",,,";
        appendCountdown(s, rec.alert);
        s += ',';
        appendCountdown(s, rec.emergency);
        s += ',';
        appendCountdown(s, rec.spi);
        s += ',';
        appendGnd(s, rec.onground);
        break;
    case 4:
        s += ",,,";
        appendKnown(s, rec.gs, -998, ".0");
        s += ',';
        appendKnown(s, rec.track, -998, ".0");
        s += ",,,";
        appendKnown(s, rec.vrate, -99998);
        s += ",,,,,";
        break;
    case 5:
        s += ",,";
        appendKnown(s, rec.altitude, -998);
        s += ",,,,,,,";
        appendCountdown(s, rec.alert);
        s += ",,";
        appendCountdown(s, rec.spi);
        s += ',';
        appendGnd(s, rec.onground);
        break;
    case 6:
        s += ",,";
        appendKnown(s, rec.altitude, -998);
        s += ",,,,,,";
        appendTrimmed(s, rec.squawk);
        s += ',';
        appendCountdown(s, rec.alert);
        s += ',';
        appendCountdown(s, rec.emergency);
        s += ',';
        appendCountdown(s, rec.spi);
        s += ',';
        appendGnd(s, rec.onground);
        break;
    case 7:
        s += ",,";
        appendKnown(s, rec.altitude, -998);
        s += ",,,,,,,,,";
        appendGnd(s, rec.onground);
        break;
    case 8:
        s += ",,,,,,,,,,,,";
        appendGnd(s, rec.onground);
        break;
    default:
        break;
    }
    s += "\r\n";
}

} // namespace

std::string airLine(const char* icao, const std::string& stamp)
{
    std::string s;
    appendAirLine(s, icao, headTail(stamp));
    return s;
}

std::string staLine(const char* icao, const std::string& stamp, const char* status)
{
    std::string s;
    appendStaLine(s, icao, headTail(stamp), status);
    return s;
}

std::string idLine(const TFlight& rec, const std::string& stamp)
{
    std::string s;
    appendIdLine(s, rec, headTail(stamp));
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
    appendAirLine(s, icao, headTailOf(clock));
    sink.sendToLineClients(s);
}

void sendStaLine(LineSink& sink, const Clock& clock, const char* icao, const char* status)
{
    if (!sink.anyLineClient()) return;
    std::string& s = scratch();
    appendStaLine(s, icao, headTailOf(clock), status);
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
        if (rec.altitude >= -998) type = 7;
        break;
    case 4:
    case 20: type = 5; break;
    case 5:
    case 21: type = 6; break;
    case 11: type = 8; break;
    case 17:
        if (tc >= 1 && tc <= 4) type = 1;
        else if (tc >= 5 && tc <= 8) type = rec.lat != kUnknownPos ? 2 : 0;
        else if (tc == 0 || (tc >= 9 && tc <= 18)) type = rec.lat != kUnknownPos ? 3 : 0;
        else if (tc == 19) type = 4;
        break;
    default: break;
    }
    if (type == 0) return;
    const std::string& tail = headTailOf(clock); // one stamp per frame, both T fields
    std::string& s = scratch();
    if (type == 1 && callsignChanged) {
        appendIdLine(s, rec, tail);
        sink.sendToLineClients(s);
        s.clear();
    }
    appendMsgLine(s, type, rec, tail);
    sink.sendToLineClients(s);
}

} // namespace varnock
