// mipmap_chain.h - mipmap levels built on the processor, for images read back from the
// framebuffer: one read-back and a few uploads cost far less than having the driver
// regenerate the levels after every copy (on a software rasteriser each level is a draw).
#pragma once

#include <cstddef>

// Halves a size x size RGBA image (size a power of two, at least 2) into dst, size / 2 on a
// side: each texel is the mean of its 2 x 2 block, the two texels of each row averaged first,
// then the two rows, each step rounding half up: the same bytes as OpenGL's generated mipmaps
// on Mesa.
void halveImage(const unsigned char* src, int size, unsigned char* dst);

// A mipmap chain: the RGBA levels of a size x size image (size a power of two) one after the
// other, from level 0 down to 1 x 1.
size_t mipmapChainBytes(int size);
// Fills every level after the first of chain, each halved from the one before.
void buildMipmapChain(unsigned char* chain, int size);
// Uploads every level of chain into target of the bound texture.
void uploadMipmapChain(unsigned target, const unsigned char* chain, int size);
