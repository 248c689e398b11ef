#include <GL/gl.h>
#include <IL/il.h>

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "demo/part_env_cube.h"
#include "effects/zoom_feedback_effect.h"
#include "tests/support/test_support.h"
#include "tests/texture/test_images.h"
#include "texture/texture_cache.h"

namespace {

// Frames 1/60 s apart late in the song, with the time shifted by 65 accents (about 246000 s),
// turn the grid by the same small angle every frame.
TEST(EnvCubeMotion, TurnsSmoothlyFarIntoTheShiftedTime) {
    const float rates[3] = {57.0f, 36.0f, 27.0f};
    for (int frame = 0; frame < 60; ++frame) {
        const float time = 176.0f + frame / 60.0f;
        const EnvCubeMotion a = envCubeMotion(time, 65);
        const EnvCubeMotion b = envCubeMotion(time + 1.0f / 60.0f, 65);
        const float before[3] = {a.angleX, a.angleY, a.angleZ};
        const float after[3] = {b.angleX, b.angleY, b.angleZ};
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_GE(before[axis], 0.0f);
            EXPECT_LT(before[axis], 360.0f);
            const float step = std::fmod(after[axis] - before[axis] + 360.0f, 360.0f);
            EXPECT_NEAR(step, rates[axis] / 60.0f, 2e-3f) << "frame " << frame << " axis " << axis;
        }
        EXPECT_NEAR(b.shiftX - a.shiftX, 3.0 * std::cos(0.3 * a.time) / 60.0, 1e-3);
    }
    EXPECT_DOUBLE_EQ(envCubeMotion(2.0f, 3).time, 2.0 + 3 * 3783.6);
}

class ZoomFeedback : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        static bool ready = false;
        if (!ready) {
            // Black pictures for the object and the lenses: only the fed-back frame shows.
            ilInit();
            const auto black = testimages::solidPng(0, 0, 0);
            g_textureCache.loadFromMemory("textures\\kopi.jpg", black.data(), black.size());
            g_textureCache.loadFromMemory("textures\\lens.jpg", black.data(), black.size());
            g_zoomFeedback.prepare();
            ready = true;
        }
    }
    testsupport::MessageCapture messages;  // the object is not loaded here
};

// Green left of texel column 32, red from it on; blue below row 32.
std::vector<unsigned char> pattern() {
    std::vector<unsigned char> texels;
    const int n = ZoomFeedbackEffect::kSize;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            texels.insert(texels.end(),
                          {(unsigned char)(x < 32 ? 0 : 255), (unsigned char)(x < 32 ? 255 : 0),
                           (unsigned char)(y < 32 ? 255 : 0), 255});
    return texels;
}

TEST_F(ZoomFeedback, NextFrameIsThePreviousEnlargedAtNinetySixPercent) {
    const int n = ZoomFeedbackEffect::kSize;
    glBindTexture(GL_TEXTURE_2D, g_zoomFeedback.feedbackTexture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, n, n, GL_RGBA, GL_UNSIGNED_BYTE, pattern().data());
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(0, 0, -2.5f);
    glScissor(0, 54, 640, 334);  // a clip box left by an earlier part, switched off
    g_zoomFeedback.setViewport();
    g_zoomFeedback.render(0.0f, 0.0f);

    std::vector<unsigned char> texels(size_t(n) * n * 4);
    glBindTexture(GL_TEXTURE_2D, g_zoomFeedback.feedbackTexture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    auto at = [&](int x, int y) { return &texels[(size_t(y) * n + x) * 4]; };
    // 96 % of full strength.
    EXPECT_NEAR(at(128, 128)[0], 245, 3);
    EXPECT_NEAR(at(10, 128)[1], 245, 3);
    // Enlarged about the centre by 3.2 pixels at each edge: the step at column 32 and row 32
    // has moved out to 29.6.
    EXPECT_GT(at(28, 128)[1], 230);
    EXPECT_GT(at(30, 128)[0], 230);
    EXPECT_GT(at(128, 28)[2], 230);
    EXPECT_LT(at(128, 30)[2], 20);
    // The window shows the corner stretched over it at 80 %, unclipped.
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    const auto middle = testsupport::pixelFromTop(320, 240);
    EXPECT_NEAR(middle.r, 196, 4);
    GLint view[4];
    glGetIntegerv(GL_VIEWPORT, view);
    EXPECT_EQ(view[2], 640);
    EXPECT_EQ(view[3], 480);
}

}  // namespace
