// Column texts of the aircraft view; unknown values show as blanks.
#include "flights/list_lines.h"

#include "core/decimal_text.h"
#include "core/flight.h"

namespace varnock {

namespace {

std::string padded(int v, int width, char pad)
{
    std::string s;
    appendPaddedInt(s, v, width, pad);
    return s;
}

template <std::size_t N>
std::string textOf(const FixedText<N>& t)
{
    return std::string(t.c_str(), t.size());
}

void countDown(int32_t& v)
{
    if (v > 0) --v;
}

char positionMark(const TFlight& rec)
{
    if (!isKnown(rec.lat)) return ' ';
    if (rec.posage > 0) return '*';
    // Surface words first: an aircraft on the ground has no airborne position to speak of.
    if (rec.sfceven.age >= 0) return 'e';
    if (rec.sfcodd.age >= 0) return 'o';
    if (rec.aireven.age >= 0) return 'e';
    if (rec.airodd.age >= 0) return 'o';
    return '~';
}

} // namespace

std::string altColumn(const TFlight& rec)
{
    std::string s = isKnown(rec.altitude) ? textOf(rec.altstr) : std::string(4, ' ');
    if (isKnown(rec.mcpalt)) {
        // The selected altitude matches when it equals the flight level rounded up from 60 ft.
        if (rec.mcpalt == (rec.altitude + 40) / 100)
            s += "=   ";
        else
            s += ">" + padded(rec.mcpalt, 3, '0');
    } else {
        s += "    ";
    }
    return s;
}

std::string vsColumn(const TFlight& rec)
{
    const int v = rec.vrate;
    if (!isKnown5(v) || (v >= -100 && v <= 100)) return "   ";
    if (v < -100) return "-" + padded((-v - 25) / 100, 2, ' ');
    return "+" + padded((v + 25) / 100, 2, ' ');
}

std::string gsColumn(const TFlight& rec)
{
    return rec.gs >= 0 ? padded(rec.gs, 3, ' ') : "   ";
}

std::string ttColumn(const TFlight& rec)
{
    return rec.track >= 0 ? padded(rec.track, 3, '0') : "   ";
}

std::string flagsColumn(TFlight& rec)
{
    std::string s(1, rec.onground >= 1 ? 'G' : ' ');
    countDown(rec.alert);
    countDown(rec.emergency);
    countDown(rec.acas);
    countDown(rec.icflag);
    countDown(rec.spi);
    countDown(rec.posage);
    s += positionMark(rec);
    s += rec.bds40 == 1 ? '.' : ' ';
    s += rec.bds50 == 1 ? '.' : ' ';
    s += rec.bds60 == 1 ? '.' : ' ';
    // One symbol for the combination of target-state, operational-status and emergency squitters.
    const int e = (rec.tc28 ? 1 : 0) | (rec.tc30 ? 2 : 0) | (rec.tc31 ? 4 : 0);
    if (e != 0) s += static_cast<char>(e + 1);
    return s;
}

AircraftColumns aircraftColumns(TFlight& rec)
{
    AircraftColumns c;
    c.icao = textOf(rec.icao);
    c.callsign = textOf(rec.callsign);
    c.alt = altColumn(rec);
    c.vs = vsColumn(rec);
    c.gs = gsColumn(rec);
    c.tt = ttColumn(rec);
    c.squawk = textOf(rec.squawk);
    c.flags = flagsColumn(rec);
    return c;
}

namespace {

std::string rest(const AircraftColumns& c)
{
    return c.alt + " " + c.vs + " " + c.gs + " " + c.tt + " " + c.squawk + " " + c.flags;
}

} // namespace

std::string plainLine(const AircraftColumns& c)
{
    return c.icao + " " + c.callsign + " " + rest(c);
}

std::string sortedLine(const AircraftColumns& c, int sortColumn)
{
    std::string key;
    switch (sortColumn) {
    case 1: key = c.icao; break;
    case 2: key = c.callsign; break;
    case 3: key = c.alt; break;
    case 4: key = c.vs; break;
    case 5: key = c.gs; break;
    case 6: key = c.tt; break;
    case 7: key = c.squawk; break;
    default: break;
    }
    return key + "#" + plainLine(c);
}

} // namespace varnock
