#include "proc/crt_random.h"

namespace tev {
namespace {
uint32_t state = 1;
uint64_t draws = 0;
}  // namespace

int rand() {
    state = state * 214013u + 2531011u;  // unsigned: wraps modulo 2^32
    ++draws;
    return static_cast<int>((state >> 16) & 0x7fffu);
}

void randSkip(uint64_t count) {
    // Step k of the generator is x -> a x + c; two steps make one of the
    // same kind, so `count` steps take one per bit.
    uint32_t a = 214013u, c = 2531011u;
    draws += count;
    for (; count != 0; count >>= 1) {
        if (count & 1u) state = state * a + c;
        c *= a + 1u;
        a *= a;
    }
}

void srand(uint32_t seed) {
    state = seed;
}

uint32_t randState() {
    return state;
}
uint64_t randDrawCount() {
    return draws;
}

}  // namespace tev
