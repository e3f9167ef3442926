// Builds the HTTP tables, status page and greeting from the receiver's state.
#include "flights/http_tables.h"

#include <cmath>
#include <limits>

#include "core/ascii_text.h"
#include "core/clock.h"
#include "core/command_line_options.h"
#include "core/controls.h"
#include "core/decimal_text.h"
#include "core/home_location.h"
#include "flights/aircraft_table.h"

namespace varnock {

namespace {

constexpr int kColourViolet = LedColours::kViolet;
constexpr int kColourRed = 255;
constexpr double kPi = 3.1415926535897932385;

bool roundToInt(double x, int32_t& out)
{
    if (!std::isfinite(x)) return false;
    double r = std::nearbyint(x); // halves to even in the default rounding mode
    if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max()) return false;
    out = static_cast<int32_t>(r);
    return true;
}

} // namespace

namespace httpfmt {

void appendPlain(std::string& out, int64_t v) { appendDecimalInt(out, v); }

void appendInt(std::string& out, int64_t v)
{
    if (isKnown(v)) appendPlain(out, v);
}

void appendInt5(std::string& out, int64_t v)
{
    if (isKnown5(v)) appendPlain(out, v);
}

void appendAge(std::string& out, int64_t v)
{
    if (v < 1000001) appendPlain(out, v);
}

void appendFloat(std::string& out, double v)
{
    if (!isKnown(v)) return;
    appendDecimal15(out, v);
}

void appendFloatCut(std::string& out, double v, std::size_t n)
{
    std::size_t start = out.size();
    appendFloat(out, v);
    if (out.size() - start > n) out.resize(start + n);
}

void appendTrim(std::string& out, std::string_view s) { appendTrimmed(out, s); }

void appendFlag(std::string& out, bool b) { out += b ? '1' : '0'; }

void appendVs100(std::string& out, int32_t vrate)
{
    if (!isKnown5(vrate)) return;
    if (vrate >= 1) out += '+';
    appendPlain(out, vrate / 100);
}

} // namespace httpfmt

using namespace httpfmt;

std::string_view stationName(const HttpConfig& cfg)
{
    return cfg.stationId.empty() ? std::string_view("VARNOCK") : std::string_view(cfg.stationId);
}

Wind windOf(const TFlight& f)
{
    Wind w;
    if (!isKnown(f.heading)) return w;
    if (f.heading < 0 || f.track < 0 || f.tas < 0 || f.gs < 0) return w;
    double t = (90.0 - f.track) * kPi / 180.0;
    double h = (90.0 - f.heading) * kPi / 180.0;
    double e = f.gs * std::cos(t) - f.tas * std::cos(h);
    double n = f.gs * std::sin(t) - f.tas * std::sin(h);
    int32_t speed = 0, dir = 0;
    if (!roundToInt(std::sqrt(e * e + n * n), speed)) return w;
    if (e != 0.0) {
        double d = 90.0 - std::atan(n / e) * 180.0 / kPi + (e > 0 ? 180.0 : 0.0);
        if (!roundToInt(d, dir)) return w;
        dir = ((dir % 360) + 360) % 360;
    } else {
        dir = n >= 0 ? 0 : 180;
    }
    w.direction = dir;
    w.speed = speed;
    return w;
}

int32_t staticAirTemperature(const TFlight& f)
{
    if (!isKnown(f.mach)) return kUnknown;
    if (f.tas <= 0 || f.mach <= 0) return kUnknown;
    double x = f.tas / 38.96 / f.mach * 1000.0;
    int32_t t = 0;
    if (!roundToInt(x * x - 273.15, t) || !isKnown(t)) return kUnknown;
    return t;
}

void appendTable1Line(std::string& out, const TFlight& f, std::string_view station)
{
    appendTrim(out, {f.callsign.c_str(), f.callsign.size()});
    out += ":::";
    out.append(f.icao.c_str(), f.icao.size());
    out += ':';
    appendFloatCut(out, f.lat, 8);
    out += ':';
    appendFloatCut(out, f.lon, 9);
    out += ':';
    out.append(f.altstr.c_str(), f.altstr.size());
    out += ':';
    appendInt(out, f.track);
    out += ':';
    appendInt(out, f.gs);
    out += ':';
    appendVs100(out, f.vrate);
    out += ':';
    appendTrim(out, {f.squawk.c_str(), f.squawk.size()});
    out += "::";
    out.append(station);
    out += '\n';
}

void appendTable2Line(std::string& out, const TFlight& f, int64_t now, std::string_view station)
{
    auto sep = [&out] { out += ':'; };
    auto ints = [&](std::initializer_list<int32_t> vs) {
        for (int32_t v : vs) {
            appendInt(out, v);
            sep();
        }
    };
    out.append(f.icao.c_str(), f.icao.size());
    sep();
    appendTrim(out, {f.category.c_str(), f.category.size()});
    sep();
    appendTrim(out, {f.callsign.c_str(), f.callsign.size()});
    sep();
    ints({f.fs, f.ca, f.dr, f.um});
    appendTrim(out, {f.squawk.c_str(), f.squawk.size()});
    sep();
    appendFloatCut(out, f.lat, 8);
    sep();
    appendFloatCut(out, f.lon, 9);
    sep();
    ints({f.nic, f.nucr});
    out.append(f.altstr.c_str(), f.altstr.size());
    sep();
    appendInt5(out, f.altitude);
    sep();
    ints({f.metric, f.gillham});
    appendInt5(out, f.altdiff);
    sep();
    appendInt5(out, f.gnssalt);
    sep();
    appendInt(out, f.vrsource);
    sep();
    appendInt5(out, f.vrate);
    sep();
    appendVs100(out, f.vrate);
    sep();
    ints({f.hdgstatus, f.track, f.heading, f.airspeedtype, f.ias, f.tas, f.gs, f.mach, f.altsource, f.roll,
          f.trackrate, f.mcpalt, f.fmsalt, f.qnh, f.mcpmode, f.emergency, f.emerstate, f.acas, f.alert, f.spi,
          f.onground, f.icflag, f.supersonic});
    sep(); // 45: reserved, never set
    ints({f.timebit, f.ri, f.df0bit, f.sl, f.esdf, f.bds40, f.bds50, f.bds60, f.tc31, f.tc30, f.tc28});
    Wind w = windOf(f);
    ints({w.direction, w.speed, staticAirTemperature(f)});
    for (const MessageSlot& s : f.slots) {
        appendAge(out, now - s.time);
        sep();
    }
    appendPlain(out, f.lastseen);
    sep();
    appendPlain(out, int64_t(f.timeout) * 2);
    sep();
    out.append(station);
    out += '\n';
}

void appendTable3Line(std::string& out, const TFlight& f)
{
    out.append(f.icao.c_str(), f.icao.size());
    out += "::";
    out.append(f.hexdf16.c_str(), f.hexdf16.size());
    out += ":::";
    out.append(f.hextc28.c_str(), f.hextc28.size());
    out += ':';
    out.append(f.hextc30.c_str(), f.hextc30.size());
    out += ':';
    out.append(f.hextc31.c_str(), f.hextc31.size());
    out += '\n';
}

std::string statusPage(const HttpSources& rx, const HttpPageInputs& in)
{
    const Clock& clock = rx.table.clock();
    const int64_t ms = clock.utcMs();
    LocalDateTime utc = utcDateTime(ms);
    std::string s;
    s.reserve(256 + in.device.commandLine.size());
    s += "VARNOCK - Version=";
    s += in.device.versionText;
    s += "\nFORMAT=1:1:1\nUTC=";
    appendPlain(s, clock.shiftedUnixSeconds());
    s += ':';
    appendPlain(s, utc.year); // four digits from 1000 to 9999
    for (int v : {utc.month, utc.day, utc.hour, utc.minute, utc.second}) {
        s += '-';
        appendPaddedInt(s, v, 2, '0');
    }
    s += "\nHOME=";
    appendFloat(s, rx.home.lat);
    s += ':';
    appendFloat(s, rx.home.lon);
    s += ':';
    appendFlag(s, rx.home.use);
    s += ':';
    s += in.config.stationId;
    s += "\nCMDLINE=";
    s += in.device.commandLine;
    s += "\nTUNER=";
    appendPlain(s, in.device.tunerType);
    s += "\nGAIN=";
    appendFlag(s, in.device.tunerAgc);
    s += ':';
    appendFloat(s, in.device.currentGainDb);
    s += ':';
    appendFlag(s, in.device.rtlAgc);
    s += "\nUDP=";
    appendFlag(s, rx.controls.sbudpout);
    s += ':';
    s += in.config.udpHost;
    s += ':';
    s += in.config.udpPort;
    s += "\nIP=";
    appendPlain(s, rx.options.portBase);
    s += ':';
    appendPlain(s, rx.options.udpTarget);
    s += "\nMODE=";
    appendFlag(s, rx.controls.sbmodes);
    s += ':';
    appendFlag(s, rx.controls.sbmodeac);
    s += ':';
    appendFlag(s, rx.controls.sblist);
    s += "\nSISEX=";
    appendFlag(s, in.device.explorerVisible);
    s += ':';
    appendFlag(s, in.device.explorerLive);
    s += '\n';
    return s;
}

std::string greetingPage(std::string_view document, std::string_view versionText)
{
    std::string s;
    s.reserve(128 + document.size());
    s += "Good day, this is your VARNOCK ";
    s += versionText;
    s += " web server.\nYou have requested page ";
    s += document;
    s += ", which is not recognized.\nWe wish you a nice day.\n";
    return s;
}

HttpPage httpDispatch(std::string_view path, const HttpConfig& cfg)
{
    static constexpr HttpPage kPages[4] = {HttpPage::Table1, HttpPage::Table2, HttpPage::Table3, HttpPage::Status};
    for (int i = 0; i < 4; ++i) {
        const std::string& name = cfg.table[i];
        if (path.size() == name.size() + 1 && path[0] == '/' && path.substr(1) == name) return kPages[i];
    }
    return HttpPage::Greeting;
}

namespace {

void buildTable(std::string& body, HttpPage page, const HttpSources& rx, const HttpPageInputs& in)
{
    const std::string_view station = stationName(in.config);
    const int64_t now = rx.table.clock().shiftedUnixSeconds();
    std::size_t perLine = page == HttpPage::Table2 ? 400 : page == HttpPage::Table1 ? 80 : 140;
    body.reserve(static_cast<std::size_t>(rx.table.countInUse()) * perLine);
    for (int i = 0; i < kTableSize; ++i) {
        const TFlight& f = rx.table[i];
        if (!f.inuse) continue;
        if (page == HttpPage::Table1)
            appendTable1Line(body, f, station);
        else if (page == HttpPage::Table2)
            appendTable2Line(body, f, now, station);
        else
            appendTable3Line(body, f);
    }
}

} // namespace

HttpReply http1CommandGet(std::string_view path, bool gzipOne, const HttpSources& rx, const HttpPageInputs& in)
{
    HttpReply r;
    r.ledColour = kColourViolet;
    r.page = httpDispatch(path, in.config);
    switch (r.page) {
    case HttpPage::Table1:
    case HttpPage::Table2:
    case HttpPage::Table3:
        if (!rx.controls.sbmodes || rx.controls.sblist) {
            r.body = "NODATA";
            r.nodata = true;
            r.ledColour = kColourRed;
            r.ledOn = true;
            return r;
        }
        buildTable(r.body, r.page, rx, in);
        r.ledOn = true;
        break;
    case HttpPage::Status:
        r.body = statusPage(rx, in);
        r.ledOn = true;
        break;
    case HttpPage::Greeting:
        r.body = greetingPage(path, in.device.versionText);
        break;
    }
    r.compress = gzipOne;
    return r;
}

std::string httpTableText(int n, const HttpSources& rx, const HttpPageInputs& in)
{
    if (n < 1 || n > 4) return {};
    HttpPageInputs named = in;
    for (int i = 0; i < 4; ++i) named.config.table[i] = "t" + std::to_string(i + 1);
    return http1CommandGet("/t" + std::to_string(n), false, rx, named).body;
}

} // namespace varnock
