// test_images.h - small images encoded by DevIL for the tests.
#pragma once

#include <IL/il.h>

#include <vector>

namespace testimages {

// A PNG of width x height from RGBA pixels, top row first. DevIL must be initialised.
inline std::vector<unsigned char> encodePng(int width, int height,
                                            std::vector<unsigned char> pixels) {
    ILuint image;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(width, height, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, pixels.data());
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);  // row 0 above is the top of the picture
    std::vector<unsigned char> file(pixels.size() * 4 + 4096);
    file.resize(ilSaveL(IL_PNG, file.data(), ILuint(file.size())));
    ilDeleteImages(1, &image);
    return file;
}

// A PNG of width x height whose top row is red and the rest blue.
inline std::vector<unsigned char> redTopPng(int width = 2, int height = 2) {
    std::vector<unsigned char> pixels(size_t(width) * height * 4, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &pixels[(size_t(y) * width + x) * 4];
            p[0] = y == 0 ? 255 : 0;
            p[2] = y == 0 ? 0 : 255;
            p[3] = 255;
        }
    }
    return encodePng(width, height, pixels);
}

// A PNG of one colour.
inline std::vector<unsigned char> solidPng(unsigned char r, unsigned char g, unsigned char b,
                                           unsigned char a = 255, int width = 4, int height = 4) {
    std::vector<unsigned char> pixels;
    for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {r, g, b, a});
    return encodePng(width, height, pixels);
}

}  // namespace testimages
