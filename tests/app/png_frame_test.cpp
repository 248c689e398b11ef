#include "app/png_frame.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// A small picture of noise with runs in it, so that its PNG length varies with the seed.
std::vector<unsigned char> noise(uint32_t seed, int width, int height) {
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    const uint32_t change = seed % 97;  // in a hundred: how often the colour changes
    unsigned char last = 0;
    for (unsigned char& byte : rgb) {
        seed = seed * 1664525u + 1013904223u;
        if ((seed >> 8) % 100 < change) last = static_cast<unsigned char>(seed >> 24);
        byte = last;
    }
    return rgb;
}

TEST(PngFrame, WritesPicturesOfEveryLengthIncludingMultiplesOf256) {
    ilInit();
    int whole = 0;
    for (uint32_t seed = 1; seed < 4000 && whole < 2; ++seed) {
        const int width = 24, height = 16;
        const std::vector<unsigned char> rgb = noise(seed, width, height);
        std::FILE* file = std::tmpfile();
        ASSERT_NE(file, nullptr);
        ASSERT_TRUE(writePngFrame(file, width, height, rgb.data())) << "seed " << seed;
        const long length = std::ftell(file);
        std::fclose(file);
        ASSERT_GT(length, 0);
        if (length % 256 == 0) ++whole;
    }
    EXPECT_EQ(whole, 2) << "no picture of a whole multiple of 256 bytes was tried";
}

TEST(PngFrame, AStreamThatRefusesTheBytesIsAFailure) {
    ilInit();
    std::FILE* file = std::fopen("/dev/full", "wb");
    if (!file) GTEST_SKIP() << "no /dev/full";
    std::setvbuf(file, nullptr, _IONBF, 0);
    const std::vector<unsigned char> rgb = noise(7, 8, 8);
    EXPECT_FALSE(writePngFrame(file, 8, 8, rgb.data()));
    std::fclose(file);
}

}  // namespace
