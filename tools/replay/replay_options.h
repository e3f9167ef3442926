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
};

// Parses argv; on error or --help returns false with a message (empty for --help) in `error`.
bool parseOptions(int argc, char** argv, Options& out, std::string& error);

const char* usageText();

} // namespace varnock::replay
