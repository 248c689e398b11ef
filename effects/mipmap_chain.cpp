#include "effects/mipmap_chain.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstring>

namespace {

// (a + b + 1) >> 1 of each of the four bytes at once: the bytes' bits in either, less half of
// those in only one (masked so that no bit crosses into the byte below).
inline uint32_t averageRoundingUp(uint32_t a, uint32_t b) {
    return (a | b) - (((a ^ b) & 0xFEFEFEFEu) >> 1);
}

inline uint32_t texelAt(const unsigned char* p) {
    uint32_t t;
    std::memcpy(&t, p, 4);
    return t;
}

}  // namespace

void halveImage(const unsigned char* src, int size, unsigned char* dst) {
    const int half = size / 2;
    const size_t rowBytes = static_cast<size_t>(size) * 4;
    for (int y = 0; y < half; ++y) {
        const unsigned char* top = src + 2 * y * rowBytes;
        const unsigned char* bottom = top + rowBytes;
        unsigned char* out = dst + static_cast<size_t>(y) * half * 4;
        for (int x = 0; x < half; ++x) {
            const uint32_t upper =
                averageRoundingUp(texelAt(top + 8 * x), texelAt(top + 8 * x + 4));
            const uint32_t lower =
                averageRoundingUp(texelAt(bottom + 8 * x), texelAt(bottom + 8 * x + 4));
            const uint32_t texel = averageRoundingUp(upper, lower);
            std::memcpy(out + 4 * x, &texel, 4);
        }
    }
}

size_t mipmapChainBytes(int size) {
    size_t bytes = 0;
    for (int s = size; s >= 1; s /= 2) bytes += static_cast<size_t>(s) * s * 4;
    return bytes;
}

void buildMipmapChain(unsigned char* chain, int size) {
    for (int s = size; s > 1; s /= 2) {
        unsigned char* next = chain + static_cast<size_t>(s) * s * 4;
        halveImage(chain, s, next);
        chain = next;
    }
}

void uploadMipmapChain(unsigned target, const unsigned char* chain, int size) {
    int level = 0;
    for (int s = size; s >= 1; s /= 2) {
        glTexSubImage2D(target, level++, 0, 0, s, s, GL_RGBA, GL_UNSIGNED_BYTE, chain);
        chain += static_cast<size_t>(s) * s * 4;
    }
}
