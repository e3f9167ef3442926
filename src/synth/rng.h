// Small deterministic random sources: splitmix64 hashing, xoshiro256**, Gaussian by the polar method.
#pragma once

#include <cmath>
#include <cstdint>

namespace varnock::synth {

// One splitmix64 step: a good 64-bit mixer on its own.
constexpr uint64_t mix64(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Order-sensitive hash of a few keys; the scenario derives every random choice from one of these,
// so any part of the sky can be computed without replaying what came before.
constexpr uint64_t hashKeys(uint64_t a, uint64_t b = 0, uint64_t c = 0, uint64_t d = 0)
{
    return mix64(mix64(mix64(mix64(a) ^ b) ^ c) ^ d);
}

// [0, 1) with 53 random bits.
constexpr double unitFromHash(uint64_t h)
{
    return double(h >> 11) * (1.0 / 9007199254740992.0);
}

class Xoshiro256 {
public:
    explicit Xoshiro256(uint64_t seed) { reseed(seed); }

    void reseed(uint64_t seed)
    {
        for (auto& w : s_) {
            seed += 0x9E3779B97F4A7C15ull;
            w = mix64(seed);
        }
        spare_ = 0.0;
        hasSpare_ = false;
    }

    uint64_t next()
    {
        const uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }

    double uniform() { return unitFromHash(next()); }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }

    // Standard normal. The polar method needs only log and sqrt, which stay stable across libm
    // versions far better than the standard library's distributions.
    double gaussian()
    {
        if (hasSpare_) {
            hasSpare_ = false;
            return spare_;
        }
        double u, v, s;
        do {
            u = 2.0 * uniform() - 1.0;
            v = 2.0 * uniform() - 1.0;
            s = u * u + v * v;
        } while (s >= 1.0 || s == 0.0);
        const double f = std::sqrt(-2.0 * std::log(s) / s);
        spare_ = v * f;
        hasSpare_ = true;
        return u * f;
    }

private:
    static constexpr uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    uint64_t s_[4] = {};
    double spare_ = 0.0;
    bool hasSpare_ = false;
};

} // namespace varnock::synth
