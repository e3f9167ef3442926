// Which vector instructions the demodulator's kernels use on this CPU, picked once at start.
#pragma once

namespace varnock {

enum class VectorLevel { Portable, Sse2, Avx2, Avx512bw };

// The widest level this CPU runs (Portable off x86-64), or lower if VARNOCK_VECTOR names one.
VectorLevel bestVectorLevel();

// Whether this CPU can run the level; tests try every level it has against the portable one.
bool vectorLevelAvailable(VectorLevel level);

const char* vectorLevelName(VectorLevel level);

} // namespace varnock
