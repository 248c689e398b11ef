#include <GL/gl.h>
#include <IL/il.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive.h"
#include "demo/startup.h"
#include "glext/extensions.h"
#include "mesh/mesh_library.h"
#include "music/music_player.h"
#include "music/xm_writer.h"
#include "tests/mesh/lwo_builder.h"
#include "tests/support/archive_file.h"
#include "tests/support/test_support.h"
#include "tests/texture/test_images.h"
#include "texture/texture_cache.h"

namespace {

using testsupport::MessageCapture;

const char* g_driverExtensions = "";

int fakeDriver() {
    ExtensionSource source;
    source.version = "1.3";
    source.extensions = g_driverExtensions;
    source.lookup = [](const char*) -> void* { return nullptr; };
    return initExtensions(source);
}

using Entries = testsupport::ArchiveEntries;
using testsupport::writeArchive;

// A one-pattern module with one note, enough for the player to open and play.
std::vector<uint8_t> tinyModule() {
    xm::Module module;
    module.channels = 2;
    module.instruments.push_back(xm::instrumentFromSample(xm::sineSample(32, 0.5)));
    module.addPattern(16).at(0, 0) = xm::Cell::noteOn(xm::note("C-4"), 1);
    module.orders = {0};
    std::vector<uint8_t> bytes;
    xm::write(module, bytes);
    return bytes;
}

std::vector<uint8_t> text(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::set<std::string> filesIn(const std::filesystem::path& directory) {
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto& e : std::filesystem::directory_iterator(directory, ignored))
        names.insert(e.path().filename().string());
    return names;
}

class StartUp : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        before_ = filesIn(std::filesystem::current_path());
    }
    // Archives go to a directory of their own: the working directory is left as it was.
    void TearDown() override { EXPECT_EQ(filesIn(std::filesystem::current_path()), before_); }

    MessageCapture capture;
    testsupport::TempDir temp;

  private:
    std::set<std::string> before_;
};

TEST_F(StartUp, EachMissingExtensionShowsItsOwnMessageBeforeAnythingIsLoaded) {
    struct {
        const char* extensions;
        const char* message;
    } cases[] = {
        {"GL_ARB_texture_cube_map", "ARB_multitexture not supported"},
        {"GL_ARB_multitexture GL_ARB_texture_cube_mapping", "ARB_texture_cube_map not supported"},
    };
    for (const auto& c : cases) {
        capture.clear();
        g_driverExtensions = c.extensions;
        EXPECT_FALSE(initDemo(fakeDriver)) << c.extensions;
        ASSERT_EQ(capture.messages().size(), 1u);
        EXPECT_EQ(capture.messages()[0], c.message);
    }
    EXPECT_EQ(g_quadric, nullptr);
}

TEST_F(StartUp, AFailingExtensionLoaderStopsFirst) {
    EXPECT_FALSE(initDemo([] { return 1; }));
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_EQ(capture.messages()[0], "Cannot load the OpenGL driver's extension functions");
}

// The only test that fills the global tables.
TEST_F(StartUp, SetsTheGlobalStateAndLoadsEveryAssetOfTheArchive) {
    ilInit();
    const std::vector<uint8_t> png = testimages::redTopPng();
    lwo::Bytes damaged = lwo::oneTriangle();
    damaged.chunk("PTAG", lwo::ptag({{3, 0}}));
    const Entries entries = {
        {"textures\\sky.png", png},
        {"lwos\\Cube.lwo", lwo::file(lwo::oneTriangle())},
        {"textures\\notes.txt", text("handed to the image library all the same")},
        {"Textures\\upper.png", png},  // the directory is compared as stored
        {"lwos\\readme.txt", text("not an object")},
        {"lwos\\BOX.LWO", lwo::file(lwo::oneTriangle())},  // the ending is compared as stored
        {"lwos\\broken.lwo", lwo::file(damaged)},
        {"music.xm", text("Extended Module: ")},
        {"textures\\Logo.JPG", png},
        {"lwos\\torus.lwo", lwo::file(lwo::oneTriangle(1.0f))},
        {"Palisade_2.0_by_Quillon___Tinmoth.xm", tinyModule()},
    };
    const std::string archive = temp.file("startup_test.rar");
    ASSERT_TRUE(writeArchive(archive, entries));
    Archive::setDataPath(archive.c_str());

    glDisable(GL_TEXTURE_2D);
    glDepthFunc(GL_LESS);
    ASSERT_TRUE(initDemo());

    const TextureCache& textures = g_textureCache;
    ASSERT_EQ(textures.count(), 3);
    EXPECT_STREQ(textures.name(0), "textures\\sky.png");
    EXPECT_STREQ(textures.name(1), "textures\\notes.txt");
    EXPECT_STREQ(textures.name(2), "textures\\logo.jpg");
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, textures.find("TEXTURES\\SKY.PNG"));
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 2);

    const MeshLibrary& meshes = g_meshLibrary;
    ASSERT_EQ(meshes.count(), 2);
    EXPECT_STREQ(meshes.name(0), "lwos\\cube.lwo");
    EXPECT_STREQ(meshes.name(1), "lwos\\torus.lwo");
    ASSERT_NE(meshes.find("lwos\\Cube.lwo"), nullptr);
    EXPECT_NE(meshes.find("lwos\\cube.lwo")->layer(0)->displayLists[0], 0u);

    // The text that is no picture and the damaged object are the only things reported.
    ASSERT_EQ(capture.messages().size(), 2u);
    EXPECT_EQ(capture.messages()[0], "Texture could not be decoded: textures\\notes.txt");
    EXPECT_NE(capture.messages()[1].find("lwos\\broken.lwo"), std::string::npos);
    capture.clear();
    // Drawn frame after frame, the refused object says nothing more and a missing one
    // speaks once.
    for (int frame = 0; frame < 3; ++frame) {
        g_meshLibrary.draw("lwos\\broken.lwo", 0);
        g_meshLibrary.draw(frame ? "LWOS\\GONE.LWO" : "lwos\\gone.lwo", 0);
    }
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_EQ(capture.messages()[0], "Object was not found: lwos\\gone.lwo\n");

    EXPECT_NE(g_quadric, nullptr);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 0.0f);
    EXPECT_EQ(clear[3], 0.5f);
    GLint depthFunc = 0, shadeModel = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    glGetIntegerv(GL_SHADE_MODEL, &shadeModel);
    EXPECT_EQ(depthFunc, GL_LEQUAL);
    EXPECT_EQ(shadeModel, GL_SMOOTH);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));

    // The music plays from the archive.
    EXPECT_EQ(g_musicPlayer.getOrder(), 0);
    shutdownDemo();
}

TEST_F(StartUp, MissingMusicIsReportedAndTheDemoRunsSilent) {
    const std::string archive = temp.file("startup_silent.rar");
    ASSERT_TRUE(writeArchive(archive, {{"lwos\\readme.txt", text("nothing")}}));
    Archive::setDataPath(archive.c_str());
    ASSERT_TRUE(initDemo());
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_EQ(capture.messages()[0],
              "Cannot read the music module Palisade_2.0_by_Quillon___Tinmoth.xm: not in the data "
              "archive, or damaged there");
    EXPECT_LT(g_musicPlayer.getOrder(), 0);
    shutdownDemo();
}

}  // namespace
