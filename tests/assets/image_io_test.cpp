// Writing through DevIL: the top row of a picture is the first row of the file (the engine
// flips JPEG and PNG pictures on load so that it lands at t = 1), colours and alpha survive.
#include <gtest/gtest.h>

#include <IL/il.h>

#include <cstdio>
#include <string>

#include "tools/assetgen/image_io.h"

namespace {

std::string tempPath(const char* name) {
    return testing::TempDir() + name;
}

Image marked() {
    Image img(16, 8, Color(0, 0, 1, 1));
    for (int x = 0; x < 16; ++x) img.at(x, 0) = Color(1, 0, 0, 0.5f);
    img.at(15, 7) = Color(0, 1, 0, 1);
    return img;
}

// Reads the file's first row the way the engine's loader sees it: DevIL without any origin
// correction.
Color firstTexelAsStored(const std::string& path) {
    ilInit();
    ilDisable(IL_ORIGIN_SET);
    ILuint id;
    ilGenImages(1, &id);
    ilBindImage(id);
    Color c(0, 0, 0, 0);
    if (ilLoadImage(path.c_str()) && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) {
        const ILubyte* p = ilGetData();
        bool flipped = ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT;
        int h = ilGetInteger(IL_IMAGE_HEIGHT), w = ilGetInteger(IL_IMAGE_WIDTH);
        // The stored first row is the last one in memory when DevIL reports a lower-left origin.
        const ILubyte* row = flipped ? p + size_t(h - 1) * w * 4 : p;
        c = Color(row[0] / 255.0f, row[1] / 255.0f, row[2] / 255.0f, row[3] / 255.0f);
    }
    ilDeleteImages(1, &id);
    return c;
}

TEST(ImageIo, PngKeepsRowsColoursAndAlpha) {
    std::string path = tempPath("marked.png");
    ASSERT_TRUE(saveImage(marked(), path, PixelFormat::Rgba));
    Color first = firstTexelAsStored(path);
    EXPECT_NEAR(first.r, 1, 0.01);
    EXPECT_NEAR(first.b, 0, 0.01);
    EXPECT_NEAR(first.a, 0.5, 0.01);
    Image back;
    ASSERT_TRUE(loadImage(path, back));
    ASSERT_EQ(back.width(), 16);
    ASSERT_EQ(back.height(), 8);
    EXPECT_NEAR(back.at(15, 7).g, 1, 0.01);
    EXPECT_NEAR(back.at(3, 0).a, 0.5, 0.01);
    std::remove(path.c_str());
}

TEST(ImageIo, JpegIsOpaqueAndKeepsTheTopRowFirst) {
    std::string path = tempPath("marked.jpg");
    Image img(32, 32, Color(0, 0, 0.9f, 1));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x) img.at(x, y) = Color(0.9f, 0.9f, 0.9f, 0.3f);
    ASSERT_TRUE(saveImage(img, path, PixelFormat::Rgba));
    Color first = firstTexelAsStored(path);
    EXPECT_GT(first.r, 0.8f);
    EXPECT_NEAR(first.a, 1, 0.01);
    std::remove(path.c_str());
}

TEST(ImageIo, RefusesOtherFormatsAndUnwritablePaths) {
    EXPECT_FALSE(saveImage(marked(), tempPath("marked.bmp"), PixelFormat::Rgb));
    EXPECT_FALSE(saveImage(marked(), "/nonexistent-dir/x.png", PixelFormat::Rgb));
    Image out;
    EXPECT_FALSE(loadImage("/nonexistent-dir/x.png", out));
}

}  // namespace
