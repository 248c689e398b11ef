#include "tools/assetgen/noise.h"

#include <cmath>

uint64_t Rng::next() {
    // splitmix64
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float Rng::uniform() {
    return float(next() >> 40) / float(1u << 24);
}

namespace {

uint32_t hash3(int x, int y, int z, uint32_t seed) {
    uint32_t h = seed * 0x27d4eb2du ^ uint32_t(x) * 0x85ebca6bu ^ uint32_t(y) * 0xc2b2ae35u ^
                 uint32_t(z) * 0x165667b1u;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return h;
}

float fade(float t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

float grad2(uint32_t h, float x, float y) {
    // Eight evenly spread directions.
    static const float dirs[8][2] = {{1, 0},  {0.7071f, 0.7071f},   {0, 1},  {-0.7071f, 0.7071f},
                                     {-1, 0}, {-0.7071f, -0.7071f}, {0, -1}, {0.7071f, -0.7071f}};
    const float* d = dirs[h & 7];
    return d[0] * x + d[1] * y;
}

float grad3(uint32_t h, float x, float y, float z) {
    switch (h % 12) {
        case 0:
            return x + y;
        case 1:
            return -x + y;
        case 2:
            return x - y;
        case 3:
            return -x - y;
        case 4:
            return x + z;
        case 5:
            return -x + z;
        case 6:
            return x - z;
        case 7:
            return -x - z;
        case 8:
            return y + z;
        case 9:
            return -y + z;
        case 10:
            return y - z;
        default:
            return -y - z;
    }
}

int wrapCell(int i, int period) {
    if (period <= 0) return i;
    i %= period;
    return i < 0 ? i + period : i;
}

}  // namespace

float gradientNoise2(float x, float y, int periodX, int periodY, uint32_t seed) {
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    float fx = x - x0, fy = y - y0;
    int xa = wrapCell(x0, periodX), xb = wrapCell(x0 + 1, periodX);
    int ya = wrapCell(y0, periodY), yb = wrapCell(y0 + 1, periodY);
    float n00 = grad2(hash3(xa, ya, 0, seed), fx, fy);
    float n10 = grad2(hash3(xb, ya, 0, seed), fx - 1, fy);
    float n01 = grad2(hash3(xa, yb, 0, seed), fx, fy - 1);
    float n11 = grad2(hash3(xb, yb, 0, seed), fx - 1, fy - 1);
    float u = fade(fx), v = fade(fy);
    float a = n00 + (n10 - n00) * u, b = n01 + (n11 - n01) * u;
    return (a + (b - a) * v) * 1.41f;
}

float gradientNoise3(float x, float y, float z, uint32_t seed) {
    int x0 = int(std::floor(x)), y0 = int(std::floor(y)), z0 = int(std::floor(z));
    float fx = x - x0, fy = y - y0, fz = z - z0;
    float u = fade(fx), v = fade(fy), w = fade(fz);
    float n[2][2][2];
    for (int k = 0; k < 2; ++k)
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i)
                n[k][j][i] = grad3(hash3(x0 + i, y0 + j, z0 + k, seed), fx - i, fy - j, fz - k);
    auto l = [](float a, float b, float t) { return a + (b - a) * t; };
    float a = l(l(n[0][0][0], n[0][0][1], u), l(n[0][1][0], n[0][1][1], u), v);
    float b = l(l(n[1][0][0], n[1][0][1], u), l(n[1][1][0], n[1][1][1], u), v);
    return l(a, b, w);
}

float fbm2(float x, float y, int octaves, int periodX, int periodY, uint32_t seed) {
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * gradientNoise2(x, y, periodX, periodY, seed + o * 101);
        norm += amp;
        amp *= 0.5f;
        x *= 2, y *= 2;
        periodX *= 2, periodY *= 2;
    }
    return sum / norm * 1.6f;
}

float fbm3(float x, float y, float z, int octaves, uint32_t seed) {
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * gradientNoise3(x, y, z, seed + o * 101);
        norm += amp;
        amp *= 0.5f;
        x *= 2.03f, y *= 2.03f, z *= 2.03f;
    }
    return sum / norm * 1.6f;
}

float hash01(int x, int y, uint32_t seed) {
    return float(hash3(x, y, 7, seed) >> 8) / float(1u << 24);
}
