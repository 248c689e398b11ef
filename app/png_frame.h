#pragma once

#include <cstdio>

// Encodes an RGB picture whose rows run bottom-up (as OpenGL reads them) as PNG into an open
// stream. False when the picture could not be encoded or the stream refused the bytes; the
// caller owns the stream and says which file failed.
bool writePngFrame(std::FILE* file, int width, int height, const unsigned char* rgbBottomUp);
