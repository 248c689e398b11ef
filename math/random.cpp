#include "math/random.h"

namespace {
unsigned g_state = 1;
}

int demoRand() {
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFF);
}

void demoSrand(unsigned seed) {
    g_state = seed;
}
