// CPU feature check for the demodulator's vector kernels.
#include "demod/vector_level.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace varnock {

bool vectorLevelAvailable(VectorLevel level)
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    __builtin_cpu_init();
    switch (level) {
    case VectorLevel::Portable:
    case VectorLevel::Sse2: return true;
    case VectorLevel::Avx2: return __builtin_cpu_supports("avx2");
    case VectorLevel::Avx512bw: return __builtin_cpu_supports("avx512bw");
    }
    return false;
#else
    return level == VectorLevel::Portable;
#endif
}

VectorLevel bestVectorLevel()
{
    static const VectorLevel best = [] {
        // VARNOCK_VECTOR=sse2|avx2|portable caps the level (to measure what other CPUs get).
        const char* cap = std::getenv("VARNOCK_VECTOR");
        bool below = !cap;
        for (VectorLevel l : {VectorLevel::Avx512bw, VectorLevel::Avx2, VectorLevel::Sse2, VectorLevel::Portable}) {
            below = below || std::strcmp(cap, vectorLevelName(l)) == 0;
            if (below && vectorLevelAvailable(l)) return l;
        }
        return VectorLevel::Portable;
    }();
    return best;
}

const char* vectorLevelName(VectorLevel level)
{
    switch (level) {
    case VectorLevel::Portable: return "portable";
    case VectorLevel::Sse2: return "sse2";
    case VectorLevel::Avx2: return "avx2";
    case VectorLevel::Avx512bw: return "avx512bw";
    }
    return "?";
}

} // namespace varnock
