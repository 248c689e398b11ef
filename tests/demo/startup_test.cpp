#include <GL/gl.h>

#include <gtest/gtest.h>

#include "demo/startup.h"
#include "glext/extensions.h"
#include "mesh/mesh_library.h"
#include "tests/support/test_support.h"
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

class StartUp : public testsupport::GlTest {
  protected:
    MessageCapture capture;
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
    EXPECT_EQ(capture.messages()[0], "Failed to initialize extgl");
}

TEST_F(StartUp, SetsTheGlobalStateOnThisContext) {
    glDisable(GL_TEXTURE_2D);
    glDepthFunc(GL_LESS);
    ASSERT_TRUE(initDemo());
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
    EXPECT_EQ(g_extensions.ARB_multitexture, 1);
}

}  // namespace
