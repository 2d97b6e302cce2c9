#pragma once
// The program's one random generator, with the C library's rand/srand
// semantics and results 0..32767 on every platform: the classic 15-bit
// linear congruential generator. Every random draw of the show goes through
// it, in a fixed order, so frames and textures are the same everywhere.

#include <cstdint>

namespace tev {

constexpr int kRandMax = 32767;

// Next value, 0..32767.
int rand();

// Restart the sequence from `seed` (the state is 1 at program start).
void srand(uint32_t seed);

// Moves on by `count` values at once, as that many calls of rand() would.
void randSkip(uint64_t count);

// Seams for tests and tools: the raw state, and how many values were drawn.
uint32_t randState();
uint64_t randDrawCount();

}  // namespace tev
