#include "effects/mipmap_chain.h"

#include <GL/gl.h>

void halveImage(const unsigned char* src, int size, unsigned char* dst) {
    const int half = size / 2;
    const int rowBytes = size * 4;
    for (int y = 0; y < half; ++y) {
        const unsigned char* top = src + 2 * y * rowBytes;
        const unsigned char* bottom = top + rowBytes;
        unsigned char* out = dst + y * half * 4;
        for (int x = 0; x < half * 4; ++x) {
            const int k = (x & ~3) * 2 + (x & 3);  // channel x & 3 of the block's left texel
            const int upper = (top[k] + top[k + 4] + 1) >> 1;
            const int lower = (bottom[k] + bottom[k + 4] + 1) >> 1;
            out[x] = static_cast<unsigned char>((upper + lower + 1) >> 1);
        }
    }
}

void uploadWithMipmaps(unsigned target, const unsigned char* level0, int size,
                       unsigned char* scratch) {
    glTexSubImage2D(target, 0, 0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, level0);
    // Level 1 fills the first quarter of scratch; the smaller levels alternate between the
    // rest and that quarter, so a level is never written over the one it is halved from.
    const unsigned char* source = level0;
    unsigned char* areas[2] = {scratch, scratch + size * size};
    int level = 0;
    for (int s = size; s > 1; s /= 2) {
        unsigned char* out = areas[level & 1];
        halveImage(source, s, out);
        ++level;
        glTexSubImage2D(target, level, 0, 0, s / 2, s / 2, GL_RGBA, GL_UNSIGNED_BYTE, out);
        source = out;
    }
}
