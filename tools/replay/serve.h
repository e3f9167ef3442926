// Serve mode of varnock-replay: the real servers, fed in real time from the replay's source.
#pragma once

#include "buffer_source.h"
#include "replay_options.h"

namespace varnock::replay {

// Runs until the source ends (then one more round) or SIGINT/SIGTERM; returns the exit status.
int runServe(const Options& opt, BufferSource& source);

} // namespace varnock::replay
