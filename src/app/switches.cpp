// Switches: one pass over the arguments that answers exactly as trying every candidate text would.
#include "app/switches.h"

#include "core/ascii_text.h"

namespace varnock {

namespace {

// The argument without its '-' or '/', or nothing when it is no switch at all.
bool switchBody(const std::string& arg, std::string_view& body)
{
    if (arg.empty() || (arg[0] != '-' && arg[0] != '/')) return false;
    body = std::string_view(arg).substr(1);
    return true;
}

// The digits as the candidate scan writes them: no sign, no leading zero, at most maxValue.
int canonicalNumber(std::string_view digits, int maxValue)
{
    if (digits.empty() || digits.size() > 10) return -1;
    if (digits.size() > 1 && digits[0] == '0') return -1;
    long long v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v <= maxValue ? static_cast<int>(v) : -1;
}

} // namespace

bool Switches::has(std::string_view name) const
{
    std::string_view body;
    for (std::size_t i = 1; i < args_.size(); ++i)
        if (switchBody(args_[i], body) && equalsIgnoringCase(body, name)) return true;
    return false;
}

int Switches::largestNumber(std::string_view prefix, int maxValue) const
{
    int best = -1;
    std::string_view body;
    for (std::size_t i = 1; i < args_.size(); ++i) {
        if (!switchBody(args_[i], body) || body.size() <= prefix.size()) continue;
        if (!equalsIgnoringCase(body.substr(0, prefix.size()), prefix)) continue;
        int n = canonicalNumber(body.substr(prefix.size()), maxValue);
        if (n > best) best = n;
    }
    return best;
}

std::vector<std::string> Switches::valuesOf(std::string_view prefix) const
{
    std::vector<std::string> values;
    std::string_view body;
    for (std::size_t i = 1; i < args_.size(); ++i) {
        if (!switchBody(args_[i], body) || body.size() <= prefix.size()) continue;
        if (equalsIgnoringCase(body.substr(0, prefix.size()), prefix))
            values.emplace_back(body.substr(prefix.size()));
    }
    return values;
}

void Switches::fillOptions(CommandLineOptions& o) const
{
    if (has("log")) o.log = true;
    // 0 is what "no override" means, so "portbase=0" changes nothing.
    if (int n = largestNumber("portbase=", 65535); n > 0) o.portBase = n;
    if (int n = largestNumber("udptarget=", 65535); n > 0) o.udpTarget = n;
    if (has("eeprom")) o.eeprom = true;
    if (has("multilat1")) o.multilat1 = true;
    if (has("avr")) o.avr = true;
    if (has("ascii")) o.ascii = true;
    if (has("cntr")) {
        o.cntr = true;
        o.cntrWiden = true;
    }
    if (!has("nohttp")) o.httpEnabled = true;
    if (!has("noweb")) o.webEnabled = true;
    if (has("30003")) o.port30003 = true;
    if (has("newp")) o.newp = true;
}

} // namespace varnock
