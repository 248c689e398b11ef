#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "effects/env_cube_effect.h"
#include "effects/zoom_blur.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::pixelFromTop;

class ZoomBlurTest : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        if (!g_zoomBlur.texture) g_zoomBlur.prepare();
    }
    // Red corner with a green square of 32 pixels at its centre, then the blur.
    void blurSquare(float strength) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        g_zoomBlur.useCaptureViewport();
        glClearColor(1, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glScissor(112, 112, 32, 32);
        glClearColor(0, 1, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glScissor(0, 0, 256, 256);
        glColor4f(1, 1, 1, 1);
        g_zoomBlur.apply(0.0f, 0.0f, strength);
    }
};

// The part's clip, on or off, is as it was afterwards, whatever box it had.
TEST_F(ZoomBlurTest, LeavesTheClipAsItFoundIt) {
    for (bool clipOn : {false, true}) {
        glScissor(0, 54, 640, 334);
        if (clipOn) glEnable(GL_SCISSOR_TEST);
        blurSquare(1.4f);
        EXPECT_EQ(bool(glIsEnabled(GL_SCISSOR_TEST)), clipOn);
        GLint box[4];
        glGetIntegerv(GL_SCISSOR_BOX, box);
        EXPECT_EQ(box[1], 54);
        EXPECT_EQ(box[3], 334);
        glDisable(GL_SCISSOR_TEST);
    }
}

// Under a clip the blur works on less of the corner, and shows inside the clip exactly the
// picture it shows without one.
TEST_F(ZoomBlurTest, AClipChangesNothingInsideIt) {
    const int y = 54, h = 334;
    std::vector<uint8_t> unclipped;
    for (bool clipOn : {false, true}) {
        blurSquare(3.0f);  // other texels left in the texture than the clipped blur makes
        glScissor(0, y, 640, h);
        if (clipOn) glEnable(GL_SCISSOR_TEST);
        blurSquare(1.8f);
        glDisable(GL_SCISSOR_TEST);
        const auto band = testsupport::readPixels(0, y, 640, h);
        if (!clipOn)
            unclipped = band;
        else
            EXPECT_TRUE(band == unclipped);
    }
}

TEST(EnvCubeAngles, PhaseByGridPlaceAndSmoothAtLargeTimes) {
    const Vector3 a = EnvCubeEffect::cubeAngles(0.0, 1, 2, 3);
    EXPECT_FLOAT_EQ(a.x, 156.0f);
    EXPECT_FLOAT_EQ(a.y, 179.0f);
    EXPECT_FLOAT_EQ(a.z, 292.0f);
    const Vector3 first = EnvCubeEffect::cubeAngles(0.0, 0, 0, 0);
    EXPECT_EQ(first.x + first.y + first.z, 0.0f);
    // Near 250000 s a frame of 1/60 s still turns every cube by 0.75 degrees.
    const double t = 3783.6 * 65 + 176.0;
    for (int frame = 0; frame < 30; ++frame) {
        const double now = t + frame / 60.0;
        const Vector3 before = EnvCubeEffect::cubeAngles(now, 3, 2, 1);
        const Vector3 after = EnvCubeEffect::cubeAngles(now + 1.0 / 60.0, 3, 2, 1);
        float step = after.x - before.x;
        if (step < 0.0f) step += 360.0f;
        EXPECT_NEAR(step, 0.75f, 1e-3f);
        EXPECT_GE(before.x, 0.0f);
        EXPECT_LT(before.x, 360.0f);
    }
}

}  // namespace
