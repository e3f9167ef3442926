// Buffer source over a synthesized scenario (filled in when the synthesizer lands).
#include "buffer_source.h"

namespace varnock::replay {

std::unique_ptr<BufferSource> openScenarioSource(const std::string& name, unsigned long long, uint64_t,
                                                 std::string& error)
{
    error = "scenario '" + name + "' is not available in this build";
    return nullptr;
}

} // namespace varnock::replay
