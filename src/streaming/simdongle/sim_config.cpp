// Reading the simulated dongle's configuration from the environment, with per-tuner defaults.
#include "streaming/simdongle/sim_config.h"

#include <rtl-sdr.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "core/ascii_text.h"

namespace varnock::sim {

namespace {

std::optional<std::string> env(const std::string& name)
{
    const char* v = std::getenv(name.c_str());
    if (v == nullptr)
        return std::nullopt;
    return std::string(v);
}

std::string deviceVar(int index, const char* suffix)
{
    return "VARNOCK_SIM_" + std::to_string(index) + "_" + suffix;
}

template <typename T>
std::optional<T> parseNumber(std::string_view text)
{
    text = trimmed(text);
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

template <typename T>
T numberOr(const std::optional<std::string>& text, T fallback)
{
    if (!text)
        return fallback;
    return parseNumber<T>(*text).value_or(fallback);
}

std::optional<std::vector<int>> parseGains(const std::string& text)
{
    std::vector<int> gains;
    if (text.find_first_not_of(' ') == std::string::npos)
        return gains;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const auto g = parseNumber<int>(std::string_view(text).substr(start, comma - start));
        if (!g || gains.size() == kMaxGains)
            return std::nullopt;
        gains.push_back(*g);
        start = comma + 1;
    }
    return gains;
}

} // namespace

std::vector<int> defaultGains(int tuner)
{
    switch (tuner) {
    case RTLSDR_TUNER_E4000:
        return {-10, 15, 40, 65, 90, 115, 140, 165, 190, 215, 240, 290, 340, 420, 430, 450, 470, 490};
    case RTLSDR_TUNER_FC0012:
        return {-99, -40, 71, 179, 192};
    case RTLSDR_TUNER_FC0013:
        return {-99, -73, -65, -63, -60, -58, -54, 58, 61, 63, 65, 67,
                68,  70,  71,  179, 181, 182, 184, 186, 188, 191, 197};
    case RTLSDR_TUNER_FC2580:
        return {0};
    case RTLSDR_TUNER_R820T:
    case RTLSDR_TUNER_R828D:
        return {0,   9,   14,  27,  37,  77,  87,  125, 144, 157, 166, 197, 207, 229, 254,
                280, 297, 328, 338, 364, 372, 386, 402, 421, 434, 439, 445, 480, 496};
    default:
        return {};
    }
}

FrequencyRange defaultRange(int tuner)
{
    switch (tuner) {
    case RTLSDR_TUNER_E4000:
        return {52'000'000, 2'200'000'000u, 1'100'000'000, 1'250'000'000};
    case RTLSDR_TUNER_FC0012:
        return {22'000'000, 948'600'000};
    case RTLSDR_TUNER_FC0013:
        return {22'000'000, 1'100'000'000};
    case RTLSDR_TUNER_FC2580:
        return {146'000'000, 924'000'000, 308'000'001, 437'999'999};
    case RTLSDR_TUNER_R820T:
    case RTLSDR_TUNER_R828D:
        return {24'000'000, 1'766'000'000};
    default:
        return {};
    }
}

int deviceCountFromEnv()
{
    const int n = numberOr<int>(env("VARNOCK_SIM_DEVICES"), 1);
    return n < 0 ? 1 : std::min(n, kMaxDevices);
}

DeviceConfig deviceConfigFromEnv(int index)
{
    DeviceConfig c;
    c.name = env(deviceVar(index, "NAME")).value_or("Generic RTL2832U OEM");
    c.manufacturer = env(deviceVar(index, "MANUFACTURER")).value_or("Realtek");
    c.product = env(deviceVar(index, "PRODUCT")).value_or("RTL2838UHIDIR");
    char serial[16];
    std::snprintf(serial, sizeof serial, "%08d", index + 1);
    c.serial = env(deviceVar(index, "SERIAL")).value_or(serial);

    c.tuner = numberOr<int>(env(deviceVar(index, "TUNER")), RTLSDR_TUNER_R820T);
    if (c.tuner < RTLSDR_TUNER_UNKNOWN || c.tuner > RTLSDR_TUNER_R828D)
        c.tuner = RTLSDR_TUNER_R820T;

    c.gains = defaultGains(c.tuner);
    if (const auto text = env(deviceVar(index, "GAINS")))
        c.gains = parseGains(*text).value_or(c.gains);

    c.range = defaultRange(c.tuner);
    c.range.min = numberOr<uint32_t>(env(deviceVar(index, "FMIN")), c.range.min);
    c.range.max = numberOr<uint32_t>(env(deviceVar(index, "FMAX")), c.range.max);
    c.range.gapMin = numberOr<uint32_t>(env(deviceVar(index, "GAPMIN")), c.range.gapMin);
    c.range.gapMax = numberOr<uint32_t>(env(deviceVar(index, "GAPMAX")), c.range.gapMax);

    c.eepromFile = env(deviceVar(index, "EEPROM")).value_or("");
    if (c.eepromFile == "none") {
        c.hasEeprom = false;
        c.eepromFile.clear();
    }

    c.source = env(deviceVar(index, "SOURCE")).value_or(env("VARNOCK_SIM_SOURCE").value_or(""));
    if (c.source.empty())
        c.source = "demo";
    c.pace = env("VARNOCK_SIM_PACE").value_or("real") == "fast" ? Pace::Fast : Pace::Real;
    c.seed = numberOr<uint64_t>(env(deviceVar(index, "SEED")), numberOr<uint64_t>(env("VARNOCK_SIM_SEED"), 1));
    return c;
}

} // namespace varnock::sim
