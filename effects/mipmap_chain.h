// mipmap_chain.h - mipmap levels built on the processor, for images read back from the
// framebuffer: one read-back and a few uploads cost far less than having the driver
// regenerate the levels after every copy (on a software rasteriser each level is a draw).
#pragma once

// Halves a size x size RGBA image (size a power of two, at least 2) into dst, size / 2 on a
// side: each texel is the mean of its 2 x 2 block, the two texels of each row averaged first,
// then the two rows, each step rounding half up: the same bytes as OpenGL's generated mipmaps
// on Mesa.
void halveImage(const unsigned char* src, int size, unsigned char* dst);

// Uploads level 0 of a size x size RGBA image (size a power of two) into target of the bound
// texture, then every smaller level down to 1 x 1, each halved from the one before. scratch
// holds at least size * size RGBA texels (it receives the levels below 0).
void uploadWithMipmaps(unsigned target, const unsigned char* level0, int size,
                       unsigned char* scratch);
