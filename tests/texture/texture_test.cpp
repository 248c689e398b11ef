#include <GL/gl.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive.h"
#include "tests/support/archive_file.h"
#include "tests/support/test_support.h"
#include "tests/texture/test_images.h"
#include "texture/texture_cache.h"

namespace {

using testsupport::MessageCapture;

GLint bound() {
    GLint texture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    return texture;
}

class Textures : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        initImageLibrary();
        png = testimages::redTopPng();
        ASSERT_FALSE(png.empty());
    }
    bool add(const std::string& name) {
        return cache->loadFromMemory(name.c_str(), png.data(), png.size());
    }
    const std::vector<std::string>& messages() const { return capture.messages(); }

    std::unique_ptr<TextureCache> cache = std::make_unique<TextureCache>();
    std::vector<unsigned char> png;
    MessageCapture capture;
};

TEST_F(Textures, NamesMatchIgnoringLetterCaseOnly) {
    EXPECT_EQ(cache->find("textures\\greet.png"), 0u);  // empty table
    for (const char* name : {"textures\\sky.png", "textures\\Greet.png", "textures\\greet.jpg"})
        ASSERT_TRUE(add(name));
    EXPECT_STREQ(cache->name(1), "textures\\greet.png");
    EXPECT_EQ(cache->find("textures\\sky.png"), cache->texture(0));
    EXPECT_EQ(cache->find("textures\\greet.jpg"), cache->texture(2));
    const unsigned greet = cache->texture(1);
    EXPECT_TRUE(greet != cache->texture(0) && greet != cache->texture(2));
    for (const char* name : {"textures\\greet.png", "TEXTURES\\GREET.PNG", "Textures\\gREET.png"}) {
        EXPECT_EQ(cache->find(name), greet) << name;
        glBindTexture(GL_TEXTURE_2D, 7777);  // not a texture of the cache
        cache->bind(name);
        EXPECT_EQ(bound(), GLint(greet)) << name;
    }
    EXPECT_TRUE(messages().empty());
    // Unlike the archive's own matching, '/' and '_' are not '\'. A missing name is shown
    // once, as the caller wrote it, however often and in whatever letter case it is asked for.
    std::vector<std::string> shown;
    for (const char* name : {"textures/greet.png", "textures_greet.png", "textures\\greet.pn",
                             "textures\\greet.png.", "greet.png", ""}) {
        EXPECT_EQ(cache->find(name), 0u) << name;
        cache->bind(name);
        EXPECT_EQ(bound(), GLint(greet)) << name;  // unchanged
        shown.push_back("Texture was not found: " + std::string(name) + "\n");
    }
    cache->bind("Textures/Greet.png");
    cache->bind("TEXTURES/GREET.PNG");
    EXPECT_EQ(messages(), shown);
}

TEST_F(Textures, BindSlotBindsOnlySlotsOneToCountMinusOne) {
    ASSERT_TRUE(add("a.png"));
    ASSERT_TRUE(add("b.png"));
    ASSERT_TRUE(add("c.png"));
    for (int slot : {1, 2}) {
        cache->bindSlot(slot);
        EXPECT_EQ(bound(), GLint(cache->texture(slot)));
    }
    for (int slot : {0, 3, -1}) {
        cache->bindSlot(slot);
        EXPECT_EQ(bound(), GLint(cache->texture(2))) << slot;  // unchanged
    }
    EXPECT_TRUE(messages().empty());  // the slide shows ask for these every frame
}

TEST_F(Textures, StopsAtItsLimitsWithAMessage) {
    const std::string longName = "textures\\" + std::string(115, 'x') + ".png";  // 128
    EXPECT_FALSE(add(longName));
    EXPECT_EQ(cache->count(), 0);
    cache->bind(longName.c_str());  // already told
    EXPECT_EQ(messages(), std::vector<std::string>{"The texture name is too long: " + longName +
                                                   " was not loaded"});
    EXPECT_TRUE(add(longName.substr(1)));  // 127 fit
    EXPECT_NE(cache->find(longName.substr(1).c_str()), 0u);
    for (int i = 1; i < TextureCache::kSlots; ++i) ASSERT_TRUE(add("t" + std::to_string(i)));
    EXPECT_NE(cache->find("t127"), 0u);
    capture.clear();
    EXPECT_FALSE(add("textures\\one-more.png"));
    EXPECT_EQ(cache->count(), TextureCache::kSlots);
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Too many textures: textures\\one-more.png was not loaded"});
}

// The first two texels of row 0 (the row OpenGL puts at t = 0) of a texture, RGBA.
std::vector<int> firstRow(unsigned texture) {
    static std::vector<unsigned char> texels(64 * 64 * 4);  // room for any test picture
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return std::vector<int>(texels.begin(), texels.begin() + 8);
}
const std::vector<int> kBlue = {0, 0, 255, 255, 0, 0, 255, 255},
                       kRed = {255, 0, 0, 255, 255, 0, 0, 255};

TEST_F(Textures, PngAndJpgNamesAreFlippedOthersAreNot) {
    // Flipped, the picture's top row (red) ends up last, at t = 1.
    for (const char* name : {"a.png", "b.JPG", "c.bmp", "d", "e.png.gif"}) {
        ASSERT_TRUE(add(name));
        EXPECT_EQ(firstRow(cache->find(name)), name[0] < 'c' ? kBlue : kRed) << name;
    }
}

TEST_F(Textures, UploadsEveryMipmapLevelInRgbaWithTheCachesFilters) {
    png = testimages::solidPng(10, 20, 30, 128, 2, 8);
    ASSERT_TRUE(add("tall.png"));
    EXPECT_EQ(firstRow(cache->find("tall.png")),
              std::vector<int>({10, 20, 30, 128, 10, 20, 30, 128}));
    auto size = [](int level) {
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
        return std::to_string(w) + "x" + std::to_string(h);
    };
    EXPECT_EQ(size(0) + " " + size(1) + " " + size(2) + " " + size(3), "2x8 1x4 1x2 1x1");
    GLint minFilter = 0, magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(magFilter, GL_LINEAR);
}

TEST_F(Textures, AnEntryThatCannotBeReadOrDecodedIsToldOnceAndKeepsItsSlot) {
    const std::string text = "not an image";
    ASSERT_TRUE(cache->loadFromMemory(
        "textures\\readme.txt", reinterpret_cast<const unsigned char*>(text.data()), text.size()));
    Archive::setDataPath("no-such-archive.rar");
    EXPECT_TRUE(cache->load("textures\\sky.png"));
    ASSERT_TRUE(add("textures\\after.png"));
    ASSERT_EQ(cache->count(), 3);  // the slots keep their numbers
    for (int frame = 0; frame < 2; ++frame)
        for (int slot = 0; slot < 3; ++slot) {
            cache->bind(cache->name(slot));
            EXPECT_EQ(bound(), GLint(cache->texture(slot)));
        }
    for (unsigned texture : {cache->texture(0), cache->texture(1)}) {
        glBindTexture(GL_TEXTURE_2D, texture);
        GLint width = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, 0);  // no image
    }
    const std::vector<std::string> shown = {"Texture could not be decoded: textures\\readme.txt",
                                            "Texture could not be read: textures\\sky.png"};
    EXPECT_EQ(messages(), shown);
}

// An archive of the given names, each holding the test picture.
void writeArchive(const std::string& path, const std::vector<std::string>& names,
                  const std::vector<unsigned char>& data) {
    testsupport::ArchiveEntries entries;
    for (const std::string& name : names) entries.push_back({name, data});
    ASSERT_TRUE(testsupport::writeArchive(path, entries));
}

// The directory's entries as stored, prefix and ending compared letter for letter, in
// archive order, until the table is full.
TEST_F(Textures, LoadsADirectoryOfTheArchive) {
    testsupport::TempDir dir;
    writeArchive(dir.file("data.rar"),
                 {"textures\\B.png", "Textures\\x.png", "texturesx.png", "lwos\\t.png",
                  "textures\\sub\\c.jpg", "textures/y.png", "textures\\a.PNG"},
                 png);
    Archive::setDataPath(dir.file("data.rar").c_str());
    ASSERT_EQ(cache->loadDirectory("textures"), 3);
    EXPECT_STREQ(cache->name(0), "textures\\b.png");
    EXPECT_STREQ(cache->name(1), "textures\\sub\\c.jpg");
    EXPECT_STREQ(cache->name(2), "textures\\a.png");
    EXPECT_EQ(firstRow(cache->texture(2)), kBlue);  // decoded and flipped
    EXPECT_TRUE(messages().empty());

    // The object table takes only names ending in "lwo", and stops with one message when
    // it is full.
    AssetNames names("object");
    writeArchive(dir.file("data.rar"),
                 {"lwos\\a.lwo", "lwos\\b.LWO", "lwos\\c.lwo.bak", "lwos\\d.lwo"}, png);
    double seconds = 0;
    auto load = [&](const char* name) {
        if (!names.claim(name)) return false;
        names.commit();
        return true;
    };
    EXPECT_EQ(names.loadDirectory("lwos", "lwo", load, seconds), 2);
    EXPECT_STREQ(names.name(1), "lwos\\d.lwo");
    while (!names.full()) ASSERT_TRUE(load("x"));
    EXPECT_EQ(names.loadDirectory("lwos", "lwo", load, seconds), 0);
    EXPECT_EQ(messages(),
              std::vector<std::string>{
                  "Too many objects: lwos\\a.lwo and the entries after it were not loaded"});
}

}  // namespace
