// Command-line options of varnock-replay.
#pragma once

#include <string>

namespace varnock::replay {

struct Options {
    std::string input;          // file path, "-" for stdin, empty with --scenario
    std::string scenario;       // "demo"
    double seconds = 30.0;      // scenario length
    unsigned long long seed = 1;
    bool quiet = false;         // no frame lines
    bool referenceScan = false; // plain scan instead of the vector pre-check
    bool sbs = false;           // 30003-style lines to stdout
    std::string raw;            // "", "binary", "avr" or "ascii": raw TCP bytes to stdout
    bool multilat = false;
    bool cntr = false;
    bool list = false;          // the list as the last round leaves it
    bool modeac = false;        // Mode A/C at 2,068,965 S/s
    bool newp = false;          // alternative Mode A/C detector
    int serveBase = -1;         // > 0: open the servers on this port base and stream in real time
    int httpTable = 0;          // 1-4: print that HTTP table at the end
};

// Parses argv; on error or --help returns false with a message (empty for --help) in `error`.
bool parseOptions(int argc, char** argv, Options& out, std::string& error);

const char* usageText();

} // namespace varnock::replay
