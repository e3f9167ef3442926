// Magnitude and noise passes: simple loops the compiler vectorises; cloned for AVX2 where present.
#include "demod/magnitude.h"

#include <cmath>

namespace varnock {

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define VARNOCK_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VARNOCK_CLONES
#endif

VARNOCK_CLONES
void computeMagnitudes(const uint8_t* iq, uint16_t* m, int pairs)
{
    for (int p = 0; p < pairs; ++p) {
        const int i = iq[2 * p] - 128;
        const int q = iq[2 * p + 1] - 128;
        m[p] = static_cast<uint16_t>((i < 0 ? -i : i) + (q < 0 ? -q : q));
    }
}

VARNOCK_CLONES
int estimateNoiseAndClip(uint16_t* m, int pairs)
{
    uint32_t sum = 0;
    uint32_t strong = 0;
    for (int p = 0; p < pairs; ++p) {
        const uint16_t v = m[p];
        const bool weak = v < 15;
        sum += weak ? v : 0u;
        strong += weak ? 0u : 1u;
        m[p] = v > kMagnitudeClip ? kMagnitudeClip : v;
    }
    if (strong == static_cast<uint32_t>(pairs)) strong /= 2;
    const double noise = (2.0 * sum) / static_cast<double>(static_cast<uint32_t>(pairs) - strong);
    return static_cast<int>(std::nearbyint(noise));
}

} // namespace varnock
