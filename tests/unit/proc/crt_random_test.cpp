#include "proc/crt_random.h"

#include <gtest/gtest.h>

namespace tev {
namespace {

TEST(CrtRandom, ClassicSequenceFromSeedOne) {
    srand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected)
        EXPECT_EQ(rand(), value);
}

TEST(CrtRandom, SeedRestartsTheSequenceAndDrawsAreCounted) {
    srand(12345);
    const int first = rand();
    const uint64_t before = randDrawCount();
    rand();
    rand();
    EXPECT_EQ(randDrawCount(), before + 2);
    srand(12345);
    EXPECT_EQ(rand(), first);
}

TEST(CrtRandom, StaysWithinFifteenBitsAcrossTheWrap) {
    srand(0xFFFFFFFFu);
    for (int i = 0; i < 100000; ++i) {
        const int r = rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, kRandMax);
    }
}

TEST(CrtRandom, SkipLandsWhereThatManyDrawsLandAndCountsThem) {
    // 4096 is one noise veil's worth; the others cross bit boundaries.
    for (uint64_t count : {0ull, 1ull, 2ull, 3ull, 4096ull, 4097ull, 123457ull}) {
        for (uint32_t seed : {1u, 0xFFFFFFFFu, 0x80000000u}) {
            srand(seed);
            for (uint64_t i = 0; i < count; ++i)
                rand();
            const uint32_t drawn = randState();
            srand(seed);
            const uint64_t before = randDrawCount();
            randSkip(count);
            EXPECT_EQ(randState(), drawn) << count << " from " << seed;
            EXPECT_EQ(randDrawCount(), before + count);
        }
    }
}

}  // namespace
}  // namespace tev
