// CommandLineOptions: the switches read at START; set once per run, never cleared.
#pragma once

namespace varnock {

struct CommandLineOptions {
    bool log = false;
    int portBase = 0;    // 0: no override
    int udpTarget = 0;   // 0: no override
    bool eeprom = false;
    bool multilat1 = false;
    bool avr = false;
    bool ascii = false;
    bool cntr = false;
    bool cntrWiden = false;
    bool httpEnabled = false;
    bool webEnabled = false; // the web map port; "-noweb" keeps it shut
    bool port30003 = false;
    bool newp = false;
};

} // namespace varnock
