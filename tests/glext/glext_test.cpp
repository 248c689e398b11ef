#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "glext/extensions.h"
#include "tests/support/test_support.h"

namespace {

TEST(ExtensionList, MatchesWholeWordsOnly) {
    // First as the start of a longer name, then on its own: the second counts.
    for (const char* list :
         {"GL_EXT_abgrx GL_EXT_abgr", "GL_EXT_abgr", "GL_A GL_EXT_abgr GL_B", "GL_A GL_EXT_abgr"})
        EXPECT_TRUE(extensionListContains(list, "GL_EXT_abgr")) << list;
    for (const char* list : {"GL_EXT_abgrx", "XGL_EXT_abgr GL_B", "GL_EXT_abgr_ GL_EXT_abgr2",
                             "GL_EXT_abgr_GL_EXT_abgr", "", static_cast<const char*>(nullptr)})
        EXPECT_FALSE(extensionListContains(list, "GL_EXT_abgr")) << (list ? list : "null");
    // Names hold no blank, and an empty name is nowhere.
    for (const char* name : {"GL_A GL_B", " GL_B", "GL_A ", ""})
        EXPECT_FALSE(extensionListContains("GL_A GL_B", name)) << "'" << name << "'";
}

// The flags of 1.2, 1.3 and 1.4 as bits 0, 1 and 2; each run clears them first.
int versionBits(const char* version) {
    ExtensionFlags flags;
    flags.OpenGL12 = flags.OpenGL13 = flags.OpenGL14 = 1;
    setCoreVersionFlags(version, flags);
    return flags.OpenGL12 | flags.OpenGL13 << 1 | flags.OpenGL14 << 2;
}

TEST(CoreVersion, TheVersionAtTheStartSetsTheFlagsUpToIt) {
    // Numbers after the version don't count.
    for (const char* v : {"1.1", "1.1.0 Vendor 1.4", "0.9", "1", "1.x", "", "unknown"})
        EXPECT_EQ(versionBits(v), 0) << v;
    EXPECT_EQ(versionBits(nullptr), 0);
    EXPECT_EQ(versionBits("1.2"), 1);
    EXPECT_EQ(versionBits("1.3.1 NVIDIA 40.71"), 3);
    for (const char* v : {"1.4", "1.5", "2.0", "10.0", "4.5 (Compatibility Profile) Mesa 22.3.6",
                          "OpenGL ES 3.2 Mesa"})
        EXPECT_EQ(versionBits(v), 7) << v;
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

TEST_F(FakeDriver, OfferedExtensionsAreFlaggedAndOnlyTheirFunctionsLookedUp) {
    source.extensions = "GL_ARB_multitexture GL_ARB_texture_cube_map GL_EXT_abgr GL_NV_fencex";
    EXPECT_EQ(initExtensions(source), 0);
    EXPECT_EQ(g_extensions.ARB_multitexture, 1);
    EXPECT_EQ(g_extensions.ARB_texture_cube_map, 1);
    EXPECT_EQ(g_extensions.EXT_abgr, 1);
    EXPECT_EQ(g_extensions.NV_fence, 0);
    EXPECT_EQ(g_extensions.OpenGL12, 0);
    EXPECT_NE(glext::glActiveTextureARB, nullptr);
    EXPECT_NE(glext::glMultiTexCoord4svARB, nullptr);
    EXPECT_EQ(g_askedFor.size(), 34u);  // multitexture's: the others add only tokens
    EXPECT_EQ(glext::glGenFencesNV, nullptr);

    // A second run starts from nothing.
    source.extensions = "GL_NV_fence";
    EXPECT_EQ(initExtensions(source), 0);
    EXPECT_EQ(g_extensions.ARB_multitexture, 0);
    EXPECT_EQ(glext::glActiveTextureARB, nullptr);
    EXPECT_NE(glext::glGenFencesNV, nullptr);
}

// Each extension looks up its own functions, named with its vendor's suffix; the core
// versions look up theirs, without a suffix.
TEST_F(FakeDriver, EachGroupLoadsFunctionsOfItsOwn) {
    const char* all[] = {
#define GLEXT_GL(name) #name,
#define GLEXT_WGL(name)
#include "glext/extension_list.inc"
#undef GLEXT_GL
#undef GLEXT_WGL
    };
    int groupsWithFunctions = 0;
    size_t functions = 0;
    for (const char* extension : all) {
        const std::string name = std::string("GL_") + extension;
        const std::string vendor = name.substr(3, name.find('_', 3) - 3);
        source.extensions = name.c_str();
        g_askedFor.clear();
        EXPECT_EQ(initExtensions(source), 0);
        groupsWithFunctions += !g_askedFor.empty();
        functions += g_askedFor.size();
        for (const std::string& f : g_askedFor) {
            const bool suffixed = f.size() > vendor.size() &&
                                  f.compare(f.size() - vendor.size(), vendor.size(), vendor) == 0;
            EXPECT_TRUE(suffixed || name == "GL_ARB_imaging") << f << " for " << name;
        }
    }
    // Every row of the entry-point list is looked up: 549 rows, 97 of them the core
    // versions' (4, 46 and 47, below), the rest spread over the 38 extensions with functions.
    EXPECT_EQ(groupsWithFunctions, 38);
    EXPECT_EQ(functions, 549u - 97u);

    const std::pair<const char*, size_t> versions[] = {{"1.2", 4}, {"1.3", 50}, {"1.4", 97}};
    for (const auto& [version, count] : versions) {
        source.version = version;
        source.extensions = "";
        g_askedFor.clear();
        EXPECT_EQ(initExtensions(source), 0);
        EXPECT_EQ(g_askedFor.size(), count) << version;
        for (const std::string& f : g_askedFor)
            for (const char* suffix : {"ARB", "EXT", "NV", "ATI", "ATIX", "HP", "SGIS", "SGIX"})
                EXPECT_NE(f.rfind(suffix), f.size() - std::string(suffix).size()) << f;
    }
    EXPECT_NE(glext::glBlendColor, nullptr);
    EXPECT_NE(glext::glTexImage3D, nullptr);
}

TEST_F(FakeDriver, AMissingOpenGLFunctionOnlyLeavesItsPointerNull) {
    source.extensions = "GL_ARB_multitexture";
    g_missing = {"glMultiTexCoord1dARB"};
    EXPECT_EQ(initExtensions(source), 0);
    EXPECT_EQ(g_extensions.ARB_multitexture, 1);
    EXPECT_EQ(glext::glMultiTexCoord1dARB, nullptr);
    EXPECT_NE(glext::glMultiTexCoord1fARB, nullptr);
    EXPECT_NE(glext::glActiveTextureARB, nullptr);
}

TEST_F(FakeDriver, WindowSystemExtensionsNeedTheirStringAndEveryFunction) {
    // No window-system string (this platform): nothing of it is asked for or offered, even
    // where the OpenGL string names such an extension.
    source.extensions = "GL_ARB_multitexture WGL_ARB_pbuffer";
    EXPECT_EQ(initExtensions(source), 0);
    EXPECT_EQ(g_extensions.wgl.getExtensionsStringARB, 0);
    EXPECT_EQ(g_extensions.wgl.ARB_pbuffer, 0);
    for (const std::string& name : g_askedFor) EXPECT_NE(name.rfind("wgl", 0), 0u) << name;

    source.extensions = nullptr;
    source.windowSystemExtensions = "WGL_ARB_pbuffer WGL_EXT_swap_control WGL_ARB_pixel_formatx";
    // Neither query function: the string cannot be had, so nothing is offered.
    const std::set<std::string> neither = {"wglGetExtensionsStringARB", "wglGetExtensionsStringEXT",
                                           "wglQueryPbufferARB"};
    const struct {
        std::set<std::string> missing;
        int result, queryARB, queryEXT, offered;
    } cases[] = {{{}, 0, 1, 1, 1},
                 {{"wglQueryPbufferARB"}, 1, 1, 1, 1},
                 {{"wglGetExtensionsStringARB"}, 0, 0, 1, 1},
                 {{"wglGetExtensionsStringEXT", "wglGetSwapIntervalEXT"}, 1, 1, 0, 1},
                 {neither, 0, 0, 0, 0}};
    for (const auto& c : cases) {
        g_missing = c.missing;
        EXPECT_EQ(initExtensions(source), c.result);
        EXPECT_EQ(g_extensions.wgl.getExtensionsStringARB, c.queryARB);
        EXPECT_EQ(g_extensions.wgl.getExtensionsStringEXT, c.queryEXT);
        EXPECT_EQ(g_extensions.wgl.ARB_pbuffer, c.offered);
        EXPECT_EQ(g_extensions.wgl.EXT_swap_control, c.offered);
        EXPECT_EQ(g_extensions.wgl.ARB_pixel_format, 0);
        EXPECT_EQ(glext::wglSwapIntervalEXT != nullptr, c.offered == 1);
    }
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
}

}  // namespace
