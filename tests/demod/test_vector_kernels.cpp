// Every vector kernel this CPU runs against the plain passes: byte magnitudes with noise, preamble words.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "demod/magnitude.h"
#include "demod/modes_scan.h"
#include "demod/preamble_map.h"

using namespace varnock;

namespace {

std::vector<VectorLevel> levelsHere()
{
    std::vector<VectorLevel> out;
    for (VectorLevel l : {VectorLevel::Portable, VectorLevel::Sse2, VectorLevel::Avx2, VectorLevel::Avx512bw})
        if (vectorLevelAvailable(l)) out.push_back(l);
    return out;
}

} // namespace

TEST(VectorKernels, FusedMagnitudesEqualThePlainPassesAtEveryLevel)
{
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> any(0, 255), near(120, 136);
    // Odd lengths leave a tail for the scalar end of each kernel; the extremes give 256 before the clip.
    const int lengths[] = {kPairsPerBuffer, 64 * 50 + 37, 5};
    for (int pairs : lengths) {
        for (int kind = 0; kind < 3; ++kind) {
            std::vector<uint8_t> iq(2 * static_cast<std::size_t>(pairs));
            for (auto& b : iq) b = static_cast<uint8_t>(kind == 0 ? any(rng) : kind == 1 ? near(rng) : (rng() & 1) * 255);
            std::vector<uint16_t> plain(pairs);
            computeMagnitudes(iq.data(), plain.data(), pairs);
            const int noise = estimateNoiseAndClip(plain.data(), pairs);
            for (VectorLevel level : levelsHere()) {
                std::vector<uint8_t> m8(pairs, 0xee);
                EXPECT_EQ(clippedMagnitudesWithNoise(level, iq.data(), m8.data(), pairs), noise)
                    << vectorLevelName(level) << " pairs " << pairs << " kind " << kind;
                EXPECT_TRUE(std::equal(m8.begin(), m8.end(), plain.begin())) << vectorLevelName(level) << " pairs " << pairs;
            }
        }
    }
}

TEST(VectorKernels, PreambleWordsEqualThePlainTestAtEveryLevel)
{
    std::mt19937 rng(5);
    constexpr int kWords = 200;
    std::vector<uint8_t> m(64 * kWords + 15);
    std::vector<uint16_t> wide(m.size());
    // Full byte range (the saturating compare must hold at 0 and 255), then noise with real preambles.
    for (int round = 0; round < 2; ++round) {
        std::uniform_int_distribution<int> v(0, round == 0 ? 255 : 12);
        for (auto& x : m) x = static_cast<uint8_t>(v(rng));
        if (round == 1)
            for (int k = 40; k + 16 < static_cast<int>(m.size()); k += 97)
                for (int o : {0, 2, 7, 9}) m[k + o] = static_cast<uint8_t>(12 + rng() % 3); // margins 0..2
        std::copy(m.begin(), m.end(), wide.begin());
        std::vector<uint64_t> expect(kWords);
        for (int k = 0; k < 64 * kWords; ++k)
            if (preambleAt(wide.data(), k)) expect[k / 64] |= uint64_t{1} << (k % 64);
        int passing = 0;
        for (uint64_t w : expect) passing += __builtin_popcountll(w);
        EXPECT_GT(passing, round == 0 ? 0 : 10);
        for (VectorLevel level : levelsHere()) {
            std::vector<uint64_t> got(kWords);
            preambleWords(level, m.data(), 0, kWords, got.data());
            EXPECT_EQ(got, expect) << vectorLevelName(level) << " round " << round;
        }
    }
}
