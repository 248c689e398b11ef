// noise.h - the generator's own deterministic random numbers and gradient noise.
//
// Every asset seeds its own Rng, so adding or changing one asset never shifts another.
#pragma once

#include <cstdint>

class Rng {
  public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t next();
    // Uniform in [0, 1).
    float uniform();
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
    int below(int n) { return int(next() % uint64_t(n)); }

  private:
    uint64_t state_;
};

// Gradient noise in [-1, 1] (roughly). The 2-D form tiles with the given integer periods
// (0 = no tiling), so pictures that repeat on screen stay seamless.
float gradientNoise2(float x, float y, int periodX = 0, int periodY = 0, uint32_t seed = 0);
float gradientNoise3(float x, float y, float z, uint32_t seed = 0);

// Fractal sums of octaves (each octave doubles the frequency and halves the amplitude),
// normalised to about [-1, 1].
float fbm2(float x, float y, int octaves, int periodX = 0, int periodY = 0, uint32_t seed = 0);
float fbm3(float x, float y, float z, int octaves, uint32_t seed = 0);

// A hash of integer coordinates to [0, 1), for per-cell decisions.
float hash01(int x, int y, uint32_t seed);
