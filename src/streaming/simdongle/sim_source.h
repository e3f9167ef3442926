// Where the simulated dongle's samples come from: the demo skies, a looped I/Q file, or the test counter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace varnock::synth {
struct ScenarioParams;
class Scenario;
class ModeACScenario;
} // namespace varnock::synth

namespace varnock::sim {

// "demo": the Mode-S sky, or the Mode A/C sky while the rate is nearer 2,068,965 than 2,000,000 S/s.
// "modeac": always the Mode A/C sky. "busy" and "busy2000": the busy Mode-S sky with its hundred
// aircraft or twenty times that, switching to Mode A/C as "demo" does. Anything else names an 8-bit I/Q file that loops at its end.
// Not thread-safe; the device serialises its readers.
class SampleSource {
public:
    SampleSource(std::string source, uint64_t seed);
    ~SampleSource();
    SampleSource(const SampleSource&) = delete;
    SampleSource& operator=(const SampleSource&) = delete;

    // Opens a file source once; false when it cannot be opened or is empty.
    bool prepare();
    // The next n bytes of the stream; false when the file can no longer be read.
    bool fill(uint8_t* out, size_t n, uint32_t sampleRate);
    // The chip's test mode: an 8-bit counter instead of samples, continuing across calls.
    void fillCounter(uint8_t* out, size_t n);

private:
    enum class Kind : uint8_t { Demo, ModeAC, Busy, Busy2000, File };
    static Kind kindOf(const std::string& source);
    synth::ScenarioParams modeSParams() const;
    bool fillFromFile(uint8_t* out, size_t n);
    void renderNext(uint32_t sampleRate);

    Kind kind_;
    std::string path_;
    uint64_t seed_;
    std::FILE* file_ = nullptr;
    std::unique_ptr<synth::Scenario> modeS_;
    std::unique_ptr<synth::ModeACScenario> modeAC_;
    uint64_t nextModeS_ = 0;
    uint64_t nextModeAC_ = 0;
    std::vector<uint8_t> rendered_; // one scenario buffer, handed out in pieces
    size_t taken_ = 0;
    uint8_t counter_ = 0;
};

} // namespace varnock::sim
