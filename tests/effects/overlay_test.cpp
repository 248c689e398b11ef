#include <GL/gl.h>

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "display/demo_window.h"
#include "effects/overlay.h"
#include "effects/reflect_spheres_effect.h"
#include "effects/sprites.h"
#include "effects/tube_effect.h"
#include "effects/zoom_blur.h"
#include "tests/support/test_support.h"

namespace {

// What the globals held when the program started, before any test made a context: no
// window, no context and no archive existed, and the global effects were built all the same,
// holding nothing but zeroed storage until prepared.
struct StartState {
    bool noWindow = false;
    bool tubeZeroed = false;
    bool renderTargetsUnmade = false;
};
StartState g_start;

class RecordStart : public ::testing::Environment {
    void SetUp() override {
        g_start.noWindow = g_demoWindow.window == nullptr;
        g_start.tubeZeroed = true;
        for (const Vector3& n : g_tube.ringNormals)
            g_start.tubeZeroed = g_start.tubeZeroed && n.x + n.y + n.z == 0.0f;
        g_start.renderTargetsUnmade = g_zoomBlur.texture == 0 &&
                                      g_reflectSpheres.count == 0 &&
                                      g_reflectSpheres.items[7].backMap.texture == 0;
    }
};
::testing::Environment* const g_recordStart = ::testing::AddGlobalTestEnvironment(new RecordStart);

TEST(GlobalEffects, AreBuiltBeforeMainWithoutAContext) {
    EXPECT_TRUE(g_start.noWindow);
    EXPECT_TRUE(g_start.tubeZeroed);
    EXPECT_TRUE(g_start.renderTargetsUnmade);
    TubeEffect tube;
    tube.prepare();  // plain arithmetic: no context needed
    EXPECT_FLOAT_EQ(tube.ringNormals[0].x, 1.0f);
}

using testsupport::pixelFromTop;
using testsupport::Rgba;

// A 2 x 2 texture: top row (GL row 1) red | green, bottom row blue | white.
GLuint quadrantTexture() {
    const unsigned char texels[] = {0,   0, 255, 255, 255, 255, 255, 255,   // row 0 (bottom)
                                    255, 0, 0,   255, 0,   255, 0,   255};  // row 1 (top)
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return name;
}

bool isColour(Rgba p, int r, int g, int b) {
    auto near = [](int a, int b) { return a > b - 8 && a < b + 8; };
    return near(p.r, r) && near(p.g, g) && near(p.b, b);
}

class OverlayTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        const int width = GetParam();
        ASSERT_TRUE(testsupport::ensureGlContext(width, width * 3 / 4));
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor4f(1, 1, 1, 1);
        glEnable(GL_TEXTURE_2D);
        texture_ = quadrantTexture();
    }
    void TearDown() override {
        glDeleteTextures(1, &texture_);
        glDisable(GL_TEXTURE_2D);
    }
    // Overlay space to window pixels.
    int px(float x) const { return int(x * g_demoWindow.width / 640.0f); }
    int py(float y) const { return int(y * g_demoWindow.height / 480.0f); }

    GLuint texture_ = 0;
};

TEST_P(OverlayTest, LeavesStateAsFoundButTheBlendFunction) {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glBlendFunc(GL_ONE, GL_ONE);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    GLfloat before[16], projectionBefore[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    glGetFloatv(GL_PROJECTION_MATRIX, projectionBefore);

    glDisable(GL_LIGHTING);  // the quad itself is drawn unlit
    drawOverlayQuad(0, 0, 640, 480, true);
    glEnable(GL_LIGHTING);

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    GLfloat after[16], projectionAfter[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(before[i], after[i]);
        EXPECT_EQ(projectionBefore[i], projectionAfter[i]);
    }
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glLoadIdentity();
}

TEST_P(OverlayTest, LetterboxClipKeepsEveryRowTheBarsLeaveOpen) {
    beginLetterboxClip();
    drawOverlayQuad(0, 0, 640, 480, false);
    endLetterboxClip();
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    // Every row the bars leave open is drawn; well inside the bars nothing is.
    const int firstOpen = int(std::ceil(73.0 * g_demoWindow.height / 480.0));
    const int lastOpen = int(std::floor(407.0 * g_demoWindow.height / 480.0)) - 1;
    EXPECT_FALSE(isColour(pixelFromTop(px(320), firstOpen), 0, 0, 0));
    EXPECT_FALSE(isColour(pixelFromTop(px(320), lastOpen), 0, 0, 0));
    EXPECT_TRUE(isColour(pixelFromTop(px(320), py(60)), 0, 0, 0));
    EXPECT_TRUE(isColour(pixelFromTop(px(320), py(420)), 0, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, OverlayTest, ::testing::Values(640, 800));

}  // namespace
