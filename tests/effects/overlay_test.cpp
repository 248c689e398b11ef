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
        g_start.renderTargetsUnmade = g_scratchTexture.texture == 0 &&
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

TEST_P(OverlayTest, LetterboxFillsTheBandWithThePictureUpright) {
    drawOverlayQuad(0, 73, 640, 407, false);
    EXPECT_TRUE(isColour(pixelFromTop(px(100), py(100)), 255, 0, 0));  // top left
    EXPECT_TRUE(isColour(pixelFromTop(px(540), py(100)), 0, 255, 0));  // top right
    EXPECT_TRUE(isColour(pixelFromTop(px(100), py(380)), 0, 0, 255));  // bottom left
    EXPECT_TRUE(isColour(pixelFromTop(px(540), py(380)), 255, 255, 255));
    // Nothing outside the band.
    EXPECT_TRUE(isColour(pixelFromTop(px(320), py(60)), 0, 0, 0));
    EXPECT_TRUE(isColour(pixelFromTop(px(320), py(420)), 0, 0, 0));
    // Full-screen overlay reaches every corner whatever the window size.
    drawOverlayQuad(0, 0, 640, 480, false);
    EXPECT_TRUE(isColour(pixelFromTop(0, 0), 255, 0, 0));
    EXPECT_TRUE(
        isColour(pixelFromTop(g_demoWindow.width - 1, g_demoWindow.height - 1), 255, 255, 255));
}

TEST_P(OverlayTest, SwappedCornersMirrorThePicture) {
    drawOverlayQuad(640, 480, 0, 0, false);
    EXPECT_TRUE(isColour(pixelFromTop(px(100), py(100)), 255, 255, 255));
    EXPECT_TRUE(isColour(pixelFromTop(px(540), py(400)), 255, 0, 0));
}

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

TEST_P(OverlayTest, BlendedOverlayFadesWithTheColourAlpha) {
    glColor4f(1, 1, 1, 0.5f);
    drawOverlayQuad(0, 0, 640, 480, true);
    glColor4f(1, 1, 1, 1);
    const Rgba p = pixelFromTop(px(100), py(100));
    EXPECT_NEAR(p.r, 128, 3);
    EXPECT_LT(p.g, 3);
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

// A mipmapped picture is sampled as mipmapped: level 0 where it is shown at least about its
// size, level 1 where it is shrunk by half; its filters stay as they were.
TEST_P(OverlayTest, MipmappedPictureShowsTheLevelItsSizeCallsFor) {
    const int size = 256;  // level 0 red, level 1 green, the rest blue
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    for (int level = 0, s = size; s >= 1; ++level, s /= 2) {
        const unsigned char colour[4] = {static_cast<unsigned char>(level == 0 ? 255 : 0),
                                         static_cast<unsigned char>(level == 1 ? 255 : 0),
                                         static_cast<unsigned char>(level > 1 ? 255 : 0), 255};
        std::vector<unsigned char> texels;
        for (int i = 0; i < s * s; ++i) texels.insert(texels.end(), colour, colour + 4);
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA, s, s, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     texels.data());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Overlay widths giving 1.25 and 2.5 texels a pixel across, both ways.
    const float across[2] = {size / 1.25f, size / 2.5f};
    const int expectRed[2] = {255, 0};
    for (int k = 0; k < 2; ++k) {
        const float w = across[k] * 640.0f / g_demoWindow.width;
        const float h = across[k] * 480.0f / g_demoWindow.height;
        drawOverlayQuad(0, 0, w, h, false);
        const Rgba p = pixelFromTop(px(w / 2), py(h / 2));
        EXPECT_EQ(p.r, expectRed[k]) << across[k];
        EXPECT_EQ(p.g, 255 - expectRed[k]) << across[k];
    }
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_NEAREST);
    glDeleteTextures(1, &name);
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, OverlayTest, ::testing::Values(640, 800));

TEST(SpriteBatch, IdentityGivesUnitCornersAndRestoresState) {
    ASSERT_TRUE(testsupport::ensureGlContext());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_LIGHTING);
    BillboardFrame frame;
    captureBillboardFrame(frame);
    emitSprite(frame, Vector3(0, 0, -5), 1.0f, 1.0f);
    endSpriteBatch();
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLboolean depthMask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_TRUE(depthMask);
    glDisable(GL_LIGHTING);

    const float expected[4][3] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(frame.corners[k].x, expected[k][0]);
        EXPECT_FLOAT_EQ(frame.corners[k].y, expected[k][1]);
        EXPECT_FLOAT_EQ(frame.corners[k].z, expected[k][2]);
    }
}

TEST(SpriteBatch, CornersFollowTheCameraRotation) {
    ASSERT_TRUE(testsupport::ensureGlContext());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(90, 0, 1, 0);  // object space turned a quarter about y
    BillboardFrame frame;
    captureBillboardFrame(frame);
    glEnd();
    glDepthMask(GL_TRUE);
    glPopAttrib();
    glLoadIdentity();
    // The camera's right axis, seen from the turned object, lies along object +z (the
    // matrix's first row, not its first column, which points along -z).
    EXPECT_NEAR(frame.right.x, 0, 1e-6);
    EXPECT_NEAR(frame.right.z, 1, 1e-6);
    EXPECT_NEAR(frame.corners[1].z, 1, 1e-6);
    EXPECT_NEAR(frame.up.y, 1, 1e-6);
}

}  // namespace
