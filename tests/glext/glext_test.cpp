#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "glext/extensions.h"
#include "tests/support/test_support.h"

namespace {

TEST(ExtensionList, MatchesWholeWordsOnly) {
    // The name first occurs as the start of a longer name, then on its own.
    EXPECT_TRUE(extensionListContains("GL_EXT_abgrx GL_EXT_abgr", "GL_EXT_abgr"));
    EXPECT_TRUE(extensionListContains("GL_EXT_abgr", "GL_EXT_abgr"));
    EXPECT_TRUE(extensionListContains("GL_A GL_EXT_abgr GL_B", "GL_EXT_abgr"));
    EXPECT_FALSE(extensionListContains("GL_EXT_abgrx", "GL_EXT_abgr"));
    EXPECT_FALSE(extensionListContains("XGL_EXT_abgr GL_B", "GL_EXT_abgr"));
    EXPECT_FALSE(extensionListContains("GL_EXT_abgr_ GL_EXT_abgr2", "GL_EXT_abgr"));
}

TEST(ExtensionList, RefusesEmptyNamesNamesWithBlanksAndMissingLists) {
    EXPECT_FALSE(extensionListContains("GL_A GL_B", ""));
    EXPECT_FALSE(extensionListContains("GL_A GL_B", "GL_A GL_B"));
    EXPECT_FALSE(extensionListContains("GL_A GL_B", " GL_B"));
    EXPECT_FALSE(extensionListContains(nullptr, "GL_A"));
    EXPECT_FALSE(extensionListContains("", "GL_A"));
}

int versionBits(const char* version) {
    ExtensionFlags flags{};
    setCoreVersionFlags(version, flags);
    return flags.OpenGL12 | flags.OpenGL13 << 1 | flags.OpenGL14 << 2;
}

TEST(CoreVersion, MinorVersionOfOneSetsTheFlagsUpToIt) {
    EXPECT_EQ(versionBits("1.1"), 0);
    EXPECT_EQ(versionBits("1.1.0 Vendor 1.4"), 0);  // numbers after the version don't count
    EXPECT_EQ(versionBits("1.2"), 1);
    EXPECT_EQ(versionBits("1.3.1 NVIDIA 40.71"), 3);
    EXPECT_EQ(versionBits("1.4"), 7);
    EXPECT_EQ(versionBits("1.5"), 7);
}

TEST(CoreVersion, LaterMajorVersionsIncludeEveryOneDotVersion) {
    EXPECT_EQ(versionBits("2.0"), 7);
    EXPECT_EQ(versionBits("4.5 (Compatibility Profile) Mesa 22.3.6"), 7);
    EXPECT_EQ(versionBits("OpenGL ES 3.2 Mesa"), 7);
    // No version at all: nothing.
    EXPECT_EQ(versionBits(nullptr), 0);
    EXPECT_EQ(versionBits(""), 0);
    EXPECT_EQ(versionBits("unknown"), 0);
}

// A driver of our own: every function exists except those named in g_missing.
std::set<std::string> g_missing;
std::set<std::string> g_askedFor;
int g_address;
void* fakeLookup(const char* name) {
    g_askedFor.insert(name);
    return g_missing.count(name) ? nullptr : &g_address;
}

class FakeDriver : public ::testing::Test {
  protected:
    void SetUp() override {
        g_missing.clear();
        g_askedFor.clear();
        source.version = "1.1";
        source.lookup = fakeLookup;
    }
    ExtensionSource source;
};

TEST_F(FakeDriver, OfferedExtensionsAreFlaggedAndTheirFunctionsLookedUp) {
    source.extensions = "GL_ARB_multitexture GL_ARB_texture_cube_map GL_EXT_abgr";
    EXPECT_EQ(initExtensions(source), 0);
    EXPECT_EQ(g_extensions.ARB_multitexture, 1);
    EXPECT_EQ(g_extensions.ARB_texture_cube_map, 1);
    EXPECT_EQ(g_extensions.EXT_abgr, 1);
    EXPECT_EQ(g_extensions.NV_fence, 0);
    EXPECT_EQ(g_extensions.OpenGL12, 0);
    EXPECT_NE(glext::glActiveTextureARB, nullptr);
    EXPECT_NE(glext::glMultiTexCoord4svARB, nullptr);
    // Not offered: never asked for, pointer stays null.
    EXPECT_EQ(g_askedFor.count("glGenFencesNV"), 0u);
    EXPECT_EQ(glext::glGenFencesNV, nullptr);
    EXPECT_EQ(g_askedFor.count("glBlendColor"), 0u);
}

TEST_F(FakeDriver, CoreVersionsLoadTheirFunctions) {
    source.version = "1.4";
    EXPECT_EQ(initExtensions(source), 0);
    EXPECT_NE(glext::glDrawRangeElements, nullptr);
    EXPECT_NE(glext::glActiveTexture, nullptr);
    EXPECT_NE(glext::glBlendColor, nullptr);
}

TEST_F(FakeDriver, VertexProgramsLoadEveryFunctionOfTheExtension) {
    source.extensions = "GL_ARB_vertex_program";
    EXPECT_EQ(initExtensions(source), 0);
    // The program functions the list once lacked, and some it always had.
    std::istringstream names(
        "ProgramString BindProgram DeletePrograms GenPrograms ProgramEnvParameter4d "
        "ProgramEnvParameter4dv ProgramEnvParameter4f ProgramEnvParameter4fv "
        "ProgramLocalParameter4d ProgramLocalParameter4dv ProgramLocalParameter4f "
        "ProgramLocalParameter4fv GetProgramEnvParameterdv GetProgramEnvParameterfv "
        "GetProgramLocalParameterdv GetProgramLocalParameterfv GetProgramiv GetProgramString "
        "IsProgram VertexAttrib4f VertexAttribPointer GetVertexAttribPointerv");
    for (std::string name; names >> name;)
        EXPECT_EQ(g_askedFor.count("gl" + name + "ARB"), 1u) << name;
    EXPECT_NE(glext::glProgramStringARB, nullptr);
    EXPECT_NE(glext::glIsProgramARB, nullptr);
}

TEST_F(FakeDriver, AMissingOpenGLFunctionStillSucceeds) {
    source.extensions = "GL_ARB_multitexture";
    g_missing = {"glMultiTexCoord1dARB"};
    EXPECT_EQ(initExtensions(source), 0);
    EXPECT_EQ(g_extensions.ARB_multitexture, 1);
    EXPECT_EQ(glext::glMultiTexCoord1dARB, nullptr);
    EXPECT_NE(glext::glActiveTextureARB, nullptr);
}

TEST_F(FakeDriver, WithoutAWindowSystemStringNoWindowSystemExtensionIsOffered) {
    source.extensions = "GL_ARB_multitexture WGL_ARB_pbuffer";
    EXPECT_EQ(initExtensions(source), 0);
    EXPECT_EQ(g_extensions.wgl.getExtensionsStringARB, 0);
    EXPECT_EQ(g_extensions.wgl.ARB_pbuffer, 0);
    for (const std::string& name : g_askedFor) EXPECT_NE(name.rfind("wgl", 0), 0u) << name;
}

TEST_F(FakeDriver, AWindowSystemExtensionLackingAFunctionIsAnError) {
    source.windowSystemExtensions = "WGL_ARB_pbuffer WGL_EXT_swap_control";
    EXPECT_EQ(initExtensions(source), 0);
    EXPECT_EQ(g_extensions.wgl.getExtensionsStringARB, 1);
    EXPECT_EQ(g_extensions.wgl.ARB_pbuffer, 1);
    EXPECT_EQ(g_extensions.wgl.ARB_pixel_format, 0);
    EXPECT_NE(glext::wglSwapIntervalEXT, nullptr);

    g_missing = {"wglQueryPbufferARB"};
    EXPECT_EQ(initExtensions(source), 1);

    // Neither query function: the string cannot be had, so nothing is offered.
    g_missing = {"wglGetExtensionsStringARB", "wglGetExtensionsStringEXT", "wglQueryPbufferARB"};
    EXPECT_EQ(initExtensions(source), 0);
    EXPECT_EQ(g_extensions.wgl.ARB_pbuffer, 0);
}

class CurrentContext : public testsupport::GlTest {};

TEST_F(CurrentContext, OffersWhatTheProductionNeeds) {
    EXPECT_EQ(initExtensions(), 0);
    EXPECT_EQ(g_extensions.ARB_multitexture, 1);
    EXPECT_EQ(g_extensions.ARB_texture_cube_map, 1);
    EXPECT_EQ(g_extensions.OpenGL14, 1);
    EXPECT_NE(glext::glActiveTextureARB, nullptr);
    EXPECT_TRUE(isExtensionSupported("GL_ARB_multitexture"));
    EXPECT_FALSE(isExtensionSupported("GL_ARB_multi"));
    // Flags agree with the driver's own string, offered or not.
    EXPECT_EQ(g_extensions.ARB_vertex_program, isExtensionSupported("GL_ARB_vertex_program"));
    EXPECT_EQ(g_extensions.NV_fence, isExtensionSupported("GL_NV_fence"));
    EXPECT_EQ(g_extensions.EXT_abgr, isExtensionSupported("GL_EXT_abgr"));
    if (g_extensions.ARB_vertex_program) {
        EXPECT_NE(glext::glProgramStringARB, nullptr);
        EXPECT_NE(glext::glGetProgramivARB, nullptr);
    }
}

}  // namespace
