// Buffer sources over the synthesized skies: buffer n is rendered on demand, deterministic by seed.
#include "buffer_source.h"
#include "synth/modeac_scenario.h"
#include "synth/scenario.h"

namespace varnock::replay {

namespace {

template <typename Sky>
class ScenarioSource final : public BufferSource {
public:
    ScenarioSource(Sky sky, uint64_t buffers) : sky_(std::move(sky)), total_(buffers) {}
    bool next(uint8_t* out) override
    {
        if (n_ >= total_) return false;
        sky_.renderBuffer(n_++, out);
        return true;
    }

private:
    Sky sky_;
    uint64_t total_;
    uint64_t n_ = 0;
};

} // namespace

std::unique_ptr<BufferSource> openScenarioSource(const std::string& name, unsigned long long seed, uint64_t buffers,
                                                 std::string& error)
{
    if (name == "demo")
        return std::make_unique<ScenarioSource<synth::Scenario>>(synth::Scenario(synth::demoSkyParams(seed)), buffers);
    if (name == "modeac") {
        synth::ModeACScenarioParams p;
        p.seed = seed;
        return std::make_unique<ScenarioSource<synth::ModeACScenario>>(synth::ModeACScenario(p), buffers);
    }
    error = "unknown scenario '" + name + "' (known: demo, modeac)";
    return nullptr;
}

} // namespace varnock::replay
