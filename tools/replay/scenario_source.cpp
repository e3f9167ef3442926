// Buffer source over the synthesized demo sky: buffer n is rendered on demand, deterministic by seed.
#include "buffer_source.h"
#include "synth/scenario.h"

namespace varnock::replay {

namespace {

class ScenarioSource final : public BufferSource {
public:
    ScenarioSource(unsigned long long seed, uint64_t buffers) : sky_(synth::demoSkyParams(seed)), total_(buffers) {}
    bool next(uint8_t* out) override
    {
        if (n_ >= total_) return false;
        sky_.renderBuffer(n_++, out);
        return true;
    }

private:
    synth::Scenario sky_;
    uint64_t total_;
    uint64_t n_ = 0;
};

} // namespace

std::unique_ptr<BufferSource> openScenarioSource(const std::string& name, unsigned long long seed, uint64_t buffers,
                                                 std::string& error)
{
    if (name != "demo") {
        error = "unknown scenario '" + name + "' (known: demo)";
        return nullptr;
    }
    return std::make_unique<ScenarioSource>(seed, buffers);
}

} // namespace varnock::replay
