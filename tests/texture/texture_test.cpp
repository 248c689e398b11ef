#include <GL/gl.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive.h"
#include "tests/support/test_support.h"
#include "tests/texture/test_images.h"
#include "texture/texture_cache.h"

namespace {

using testsupport::MessageCapture;

// Red of the first texel of row 0 (the row OpenGL puts at t = 0) of a texture.
int redOfFirstRow(unsigned texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> texels(size_t(width) * height * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels.empty() ? -1 : texels[0];
}

GLint boundTexture() {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return bound;
}

class Textures : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        initImageLibrary();
        png = testimages::redTopPng();
        ASSERT_FALSE(png.empty());
    }
    bool add(const char* name) { return cache->loadFromMemory(name, png.data(), png.size()); }

    std::unique_ptr<TextureCache> cache = std::make_unique<TextureCache>();
    std::vector<unsigned char> png;
    MessageCapture capture;
};

TEST_F(Textures, NamesIgnoreCaseButNotTheSeparator) {
    EXPECT_EQ(cache->find("textures\\greet.png"), 0u);  // empty table
    ASSERT_TRUE(add("textures\\Greet.png"));
    EXPECT_STREQ(cache->name(0), "textures\\greet.png");
    const unsigned greet = cache->find("textures\\greet.png");
    EXPECT_NE(greet, 0u);

    glBindTexture(GL_TEXTURE_2D, 0);
    cache->bind("TEXTURES\\GREET.PNG");
    EXPECT_EQ(boundTexture(), GLint(greet));
    EXPECT_TRUE(capture.messages().empty());

    cache->bind("textures/greet.png");
    EXPECT_EQ(boundTexture(), GLint(greet));  // unchanged
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_EQ(capture.messages()[0], "Texture was not found: textures/greet.png\n");
    EXPECT_EQ(cache->find("textures/greet.png"), 0u);
}

TEST_F(Textures, BindSlotBindsOnlySlotsOneToCountMinusOne) {
    ASSERT_TRUE(add("a.png"));
    ASSERT_TRUE(add("b.png"));
    glBindTexture(GL_TEXTURE_2D, 0);
    cache->bindSlot(0);
    EXPECT_EQ(boundTexture(), 0);
    cache->bindSlot(2);
    cache->bindSlot(-1);
    EXPECT_EQ(boundTexture(), 0);
    EXPECT_TRUE(capture.messages().empty());  // the slide shows ask for these every frame
    cache->bindSlot(1);
    EXPECT_EQ(boundTexture(), GLint(cache->texture(1)));
    EXPECT_NE(cache->texture(0), cache->texture(1));
}

TEST_F(Textures, PngAndJpgNamesAreFlippedOthersAreNot) {
    ASSERT_TRUE(add("textures\\a.png"));
    ASSERT_TRUE(add("textures\\b.JPG"));
    ASSERT_TRUE(add("textures\\c.bmp"));
    ASSERT_TRUE(add("textures\\d"));
    // Flipped: the picture's top row (red) ends up last, at t = 1.
    EXPECT_EQ(redOfFirstRow(cache->texture(0)), 0);
    EXPECT_EQ(redOfFirstRow(cache->texture(1)), 0);
    EXPECT_EQ(redOfFirstRow(cache->texture(2)), 255);
    EXPECT_EQ(redOfFirstRow(cache->texture(3)), 255);
}

TEST_F(Textures, UploadsMipmapsWithTheCachesFilters) {
    png = testimages::redTopPng(3, 5);  // sides that are not powers of two are scaled
    ASSERT_TRUE(add("odd.png"));
    glBindTexture(GL_TEXTURE_2D, cache->texture(0));
    GLint width = 0, height = 0, level1 = 0, minFilter = 0, magFilter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &level1);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(width & (width - 1), 0);
    EXPECT_EQ(height & (height - 1), 0);
    EXPECT_GT(height, 1);
    EXPECT_GE(level1, 1);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(magFilter, GL_LINEAR);
}

TEST_F(Textures, AFailedDecodeIsReportedAndStillTakesItsSlot) {
    const std::string text = "not an image";
    ASSERT_TRUE(cache->loadFromMemory(
        "textures\\readme.txt", reinterpret_cast<const unsigned char*>(text.data()), text.size()));
    ASSERT_TRUE(add("textures\\after.png"));
    EXPECT_EQ(cache->count(), 2);
    const unsigned broken = cache->find("textures\\readme.txt");
    ASSERT_NE(broken, 0u);
    EXPECT_NE(broken, cache->find("textures\\after.png"));
    glBindTexture(GL_TEXTURE_2D, broken);
    GLint width = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 0);  // no image
    // Said once, at load: a blank picture on screen would otherwise be the only sign.
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_EQ(capture.messages()[0], "Texture could not be decoded: textures\\readme.txt");
}

TEST_F(Textures, AnUnreadableEntryKeepsItsSlotAndNoNameIsReportedTwice) {
    Archive::setDataPath("no-such-archive.rar");
    EXPECT_TRUE(cache->load("textures\\sky.png"));
    ASSERT_TRUE(add("textures\\after.png"));
    ASSERT_EQ(cache->count(), 2);  // the slots keep their numbers
    EXPECT_NE(cache->find("textures\\sky.png"), 0u);
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_EQ(capture.messages()[0], "Texture could not be read: textures\\sky.png");

    // Frame after frame: the unreadable name binds its empty texture, a missing name is
    // reported the first time only, whatever its letter case.
    for (int frame = 0; frame < 3; ++frame) {
        cache->bind("textures\\sky.png");
        EXPECT_EQ(boundTexture(), GLint(cache->find("textures\\sky.png")));
        cache->bind(frame ? "TEXTURES\\GONE.PNG" : "textures\\gone.png");
    }
    ASSERT_EQ(capture.messages().size(), 2u);
    EXPECT_EQ(capture.messages()[1], "Texture was not found: textures\\gone.png\n");
    cache->bindSlot(1);
    EXPECT_EQ(boundTexture(), GLint(cache->find("textures\\after.png")));
}

TEST_F(Textures, StopsAtItsLimitsWithAMessage) {
    const std::string longName = "textures\\" + std::string(115, 'x') + ".png";  // 128
    EXPECT_FALSE(add(longName.c_str()));
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_NE(capture.messages()[0].find("too long"), std::string::npos);
    EXPECT_TRUE(add(longName.substr(1).c_str()));  // 127 fit

    for (int i = 1; i < TextureCache::kSlots; ++i) {
        ASSERT_TRUE(add(("t" + std::to_string(i) + ".png").c_str()));
    }
    capture.clear();
    EXPECT_FALSE(add("textures\\one-more.png"));
    EXPECT_EQ(cache->count(), TextureCache::kSlots);
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_NE(capture.messages()[0].find("textures\\one-more.png"), std::string::npos);
}

}  // namespace
