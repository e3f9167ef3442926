// Sources of whole 2,048,000-byte sample buffers for the replay: a file, stdin, or a scenario.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace varnock::replay {

class BufferSource {
public:
    virtual ~BufferSource() = default;
    // Fills `out` (2,048,000 bytes) with the next buffer; false at the end of the input.
    virtual bool next(uint8_t* out) = 0;
    // After the end: a note for the summary (leftover bytes), or empty.
    virtual std::string endNote() const { return {}; }
    // A read error that ended the input early, or empty.
    virtual std::string error() const { return {}; }
};

// Opens a file ("-" = stdin). On failure returns null with a one-line reason.
std::unique_ptr<BufferSource> openFileSource(const std::string& path, std::string& error);

// The synthesized demo sky: `buffers` buffers from the seed.
std::unique_ptr<BufferSource> openScenarioSource(const std::string& name, unsigned long long seed,
                                                 uint64_t buffers, std::string& error);

} // namespace varnock::replay
