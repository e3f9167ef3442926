// A receiver whose table holds 2000 accepted aircraft with varied fields, for the HTTP benchmarks.
#pragma once

#include <cstdio>
#include <memory>

#include "core/clock.h"
#include "core/line_sink.h"
#include "receiver/receiver.h"
#include "flights/http_tables.h"

namespace varnock {

struct FullTable {
    VirtualClock clock;
    NullLineSink lines;
    std::unique_ptr<Receiver> rx = std::make_unique<Receiver>(clock, lines);
    HttpPageInputs in;

    FullTable()
    {
        rx->controls.sblist = false;
        const int32_t now = static_cast<int32_t>(clock.shiftedUnixSeconds());
        for (int i = 0; i < kTableSize; ++i) {
            TFlight& f = rx->table[i];
            f.inuse = 1;
            char text[16];
            std::snprintf(text, sizeof text, "%06X", 0x300000 + i * 7);
            rx->table.setAddress(i, text);
            std::snprintf(text, sizeof text, "KLM%-5d", i);
            f.callsign.assign(text, 8);
            f.squawk.assign("7000", 4);
            f.category.assign("A3", 2);
            f.altstr.assign("F350", 4);
            f.lat = 52.0 + i * 0.000123456789;
            f.lon = 4.0 - i * 0.000987654321;
            f.altitude = 35000 - i;
            f.vrate = (i % 7 - 3) * 640;
            f.track = i % 360;
            f.heading = (i + 5) % 360;
            f.gs = 300 + i % 200;
            f.tas = 310 + i % 180;
            f.mach = i % 3 == 0 ? kUnknown : 700 + i % 100;
            f.lastseen = now - i % 30;
            for (int s = 1; s <= kSlotCount; ++s)
                if ((i + s) % 3 != 0) f.slot(s).time = now - (i + s) % 60;
            if (i % 5 == 0) f.hextc31.assign("8D4CA2D1F8230002004AB8C7E4BB", 28);
        }
        rx->table.highestUsed = kTableSize - 1;
    }
};


} // namespace varnock
