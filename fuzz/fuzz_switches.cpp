// Command-line switches: a switch is seen exactly when some argument names it, numbers stay in range
// and name an argument that spells them, and filling the options only ever sets fields.
//
// Input: arguments separated by zero bytes (the first is the program path).
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/switches.h"
#include "fuzz_check.h"

using namespace varnock;

namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool named(const std::vector<std::string>& args, std::string_view name)
{
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!a.empty() && (a[0] == '-' || a[0] == '/') && sameIgnoringCase(std::string_view(a).substr(1), name))
            return true;
    }
    return false;
}

bool spelled(const std::vector<std::string>& args, std::string_view prefix, int n)
{
    return named(args, std::string(prefix) + std::to_string(n));
}

const char* const kNames[] = {"log", "eeprom", "multilat1", "avr", "ascii", "cntr", "nohttp", "30003",
                              "newp", "run", "min", "exitdialog"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) args.emplace_back();
        else args.back() += static_cast<char>(data[i]);
    }
    const Switches sw(args);

    for (const char* name : kNames) FUZZ_CHECK(sw.has(name) == named(args, name), "has(%s) wrong", name);
    const struct {
        const char* prefix;
        int max;
    } numbers[] = {{"portbase=", 65535}, {"udptarget=", 65535}, {"ser=", 999}};
    for (const auto& num : numbers) {
        const int n = sw.largestNumber(num.prefix, num.max);
        FUZZ_CHECK(n >= -1 && n <= num.max, "%s gives %d", num.prefix, n);
        if (n >= 0) FUZZ_CHECK(spelled(args, num.prefix, n), "%s%d given by no argument", num.prefix, n);
        // Nothing larger in range is spelled: checked from the top only when cheap.
        if (num.max <= 999)
            for (int m = num.max; m > n; --m) FUZZ_CHECK(!spelled(args, num.prefix, m), "%s%d missed", num.prefix, m);
    }

    CommandLineOptions o;
    sw.fillOptions(o);
    FUZZ_CHECK(o.log == sw.has("log") && o.eeprom == sw.has("eeprom") && o.avr == sw.has("avr") &&
                   o.cntr == sw.has("cntr") && o.cntrWiden == o.cntr && o.httpEnabled == !sw.has("nohttp") &&
                   o.port30003 == sw.has("30003") && o.newp == sw.has("newp") && o.multilat1 == sw.has("multilat1") &&
                   o.ascii == sw.has("ascii"),
               "options do not follow the switches");
    const int portBase = sw.largestNumber("portbase=", 65535);
    FUZZ_CHECK(o.portBase == (portBase > 0 ? portBase : 0), "port base %d for %d", o.portBase, portBase);

    // Never cleared: options already set stay set, numbers only change to a given one.
    CommandLineOptions all{true, 7, 9, true, true, true, true, true, true, true, true, true};
    sw.fillOptions(all);
    FUZZ_CHECK(all.log && all.eeprom && all.multilat1 && all.avr && all.ascii && all.cntr && all.cntrWiden &&
                   all.httpEnabled && all.port30003 && all.newp,
               "an option was cleared");
    FUZZ_CHECK(all.portBase == (portBase > 0 ? portBase : 7), "port base %d", all.portBase);
    return 0;
}
