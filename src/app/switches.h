// Switches: the command-line switch test, the numeric switches, and CommandLineOptions filled at START.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/command_line_options.h"

namespace varnock {

class Switches {
public:
    // args[0] is the program path and never a switch.
    explicit Switches(std::vector<std::string> args) : args_(std::move(args)) {}

    // Some argument is '-' or '/' followed by exactly `name` (ASCII case ignored).
    bool has(std::string_view name) const;

    // The largest N in 0..maxValue for which some argument is '-' or '/', `prefix` (case ignored) and the
    // digits of N without sign or leading zeros; -1 when there is none.
    int largestNumber(std::string_view prefix, int maxValue) const;

    // Sets (never clears) the fields of the switches given; the START step.
    void fillOptions(CommandLineOptions& options) const;

    // "ser=" N, 0..999; -1 for no selection.
    int serial() const { return largestNumber("ser=", 999); }

    // The text after `prefix` (case ignored) of every argument that has it, in order.
    std::vector<std::string> valuesOf(std::string_view prefix) const;

    bool run() const { return has("run"); }
    bool min() const { return has("min"); }
    bool exitDialog() const { return has("exitdialog"); }

    const std::vector<std::string>& args() const { return args_; }

private:
    std::vector<std::string> args_;
};

} // namespace varnock
