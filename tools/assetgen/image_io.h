// image_io.h - writing and reading the texture files through DevIL.
#pragma once

#include <string>

#include "tools/assetgen/image.h"

enum class PixelFormat { Rgb, Rgba };

// Quantises to 8 bits per channel (rounding, clamped) and writes the file; the format comes
// from the path's ending (.png or .jpg, any case). JPEG is always RGB. False, with a
// message on stderr, when the file cannot be written.
// The name the messages of these files start with: "assetgen" unless a tool sets its own.
extern const char* g_toolName;

bool saveImage(const Image& img, const std::string& path, PixelFormat format, int jpegQuality = 92);

// Decodes a PNG or JPEG file or memory block into a picture (rows top-down); false on failure.
bool loadImage(const std::string& path, Image& out);
bool loadImageFromMemory(const void* data, size_t size, Image& out);
