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
