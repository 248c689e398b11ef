// random.h - the program's pseudo-random generator.
//
// The same linear congruential sequence on every platform (x = x * 214013 + 2531011, result
// bits 16..30), so every picture that draws from it is the same everywhere. Effects that want
// a fixed layout reseed it with 1 and restore it afterwards. The C library's rand is never used.
#pragma once

// Next value, 0 to 32767.
int demoRand();
// Restarts the sequence; the sequence starts seeded with 1.
void demoSrand(unsigned seed);

constexpr int kDemoRandMax = 32767;
