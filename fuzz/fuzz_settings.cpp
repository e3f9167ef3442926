// The settings file: whatever it holds, what was loaded saves and loads back to the same values, and
// writing one key leaves every other key's value as it was.
//
// Input: a key number, a value length, the value, then the file's bytes.
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/ini_file.h"
#include "app/settings.h"
#include "core/ascii_text.h"
#include "fuzz_check.h"

using namespace varnock;

namespace {

// Every key of the settings file, and two it does not know.
constexpr std::array<std::pair<std::string_view, std::string_view>, 34> kKeys{{
    {"sdr", "gain"},       {"sdr", "tuneragc"},    {"sdr", "rtlagc"},   {"sdr", "modes"},
    {"sdr", "modeac"},     {"udp", "out"},         {"sdr", "list"},     {"sdr", "samplerate"},
    {"form", "left"},      {"form", "top"},        {"tables", "table1"}, {"tables", "table2"},
    {"tables", "table3"},  {"tables", "table4"},   {"udp", "ip"},       {"udp", "port"},
    {"id", "id"},          {"form2", "left"},      {"form2", "top"},    {"home", "north"},
    {"home", "east"},      {"home", "snorth"},     {"home", "seast"},   {"home", "use"},
    {"sisex", "left"},     {"sisex", "top"},       {"sisex", "contrast"}, {"sisex", "threshold"},
    {"sisex", "contrastz"}, {"sisex", "thresholdz"}, {"sisex", "lastdir"}, {"sisex", "ytspan"},
    {"other", "key"},      {"sdr", "unknown"},
}};

// One file per process; removed after each input, as libFuzzer ends without running destructors.
std::string tempPath()
{
    return "/tmp/varnock-fuzz-settings-" + std::to_string(getpid()) + ".ini";
}

void writeFile(const std::string& path, const uint8_t* data, size_t size)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(f != nullptr, "cannot create %s", path.c_str());
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

Settings load(const IniFile& ini)
{
    Settings s;
    const TableNameRandom fixed = [] { return 0; };
    loadMainSettings(s, ini, fixed);
    loadDialogAndExplorerSettings(s, ini, "/folder/");
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    const size_t keyIndex = data[0] % kKeys.size();
    const size_t valueLength = data[1] < size - 2 ? data[1] : size - 2;
    const std::string value(reinterpret_cast<const char*>(data + 2), valueLength);
    const uint8_t* file = data + 2 + valueLength;
    const size_t fileSize = size - 2 - valueLength;

    static const std::string path = tempPath();
    writeFile(path, file, fileSize);
    IniFile ini(path, '.');

    // Save then load gives what was loaded.
    const Settings loaded = load(ini);
    FUZZ_CHECK(saveSettings(loaded, ini).empty(), "save failed");
    const Settings again = load(ini);
    if (!(again == loaded)) {
        // Which keys differ, and the file they came from.
        for (size_t i = 0; i + 2 < kKeys.size(); ++i)
            std::fprintf(stderr, "[%.*s] %.*s = '%s'\n", int(kKeys[i].first.size()), kKeys[i].first.data(),
                         int(kKeys[i].second.size()), kKeys[i].second.data(),
                         ini.readValue(kKeys[i].first, kKeys[i].second).value_or("(none)").c_str());
        std::fprintf(stderr, "gain %.17g/%.17g rate %d/%d north %.17g/%.17g east %.17g/%.17g id '%s'/'%s' port '%s'/'%s' "
                             "snorth '%s'/'%s'\n",
                     loaded.gain, again.gain, loaded.sampleRate, again.sampleRate, loaded.homeNorth, again.homeNorth,
                     loaded.homeEast, again.homeEast, loaded.id.c_str(), again.id.c_str(), loaded.udpPort.c_str(),
                     again.udpPort.c_str(), loaded.homeSNorth.c_str(), again.homeSNorth.c_str());
    }
    FUZZ_CHECK(again == loaded, "a save and load changed the values");

    // One key written: the others keep their values; it reads back as written, blanks trimmed.
    writeFile(path, file, fileSize);
    std::array<std::optional<std::string>, kKeys.size()> before;
    for (size_t i = 0; i < kKeys.size(); ++i) before[i] = ini.readValue(kKeys[i].first, kKeys[i].second);
    const auto [section, key] = kKeys[keyIndex];
    FUZZ_CHECK(ini.writeString(section, key, value), "write failed");
    for (size_t i = 0; i < kKeys.size(); ++i) {
        if (i == keyIndex) continue;
        FUZZ_CHECK(ini.readValue(kKeys[i].first, kKeys[i].second) == before[i], "writing [%.*s] %.*s changed [%.*s] %.*s",
                   int(section.size()), section.data(), int(key.size()), key.data(), int(kKeys[i].first.size()),
                   kKeys[i].first.data(), int(kKeys[i].second.size()), kKeys[i].second.data());
    }
    std::string expected = value;
    for (char& c : expected)
        if (c == '\r' || c == '\n') c = ' ';
    const auto got = ini.readValue(section, key);
    FUZZ_CHECK(got && *got == trimmed(expected, kLineBlanks), "[%.*s] %.*s reads back as '%s' instead of '%s'",
               int(section.size()), section.data(), int(key.size()), key.data(), got ? got->c_str() : "(none)",
               value.c_str());
    std::remove(path.c_str());
    return 0;
}
