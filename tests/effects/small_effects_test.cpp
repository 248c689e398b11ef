// The library effects the production does not show: wave-grid normals, the feedback cube in a
// window lower than its texture, the pin screen's read-back.
#include <GL/gl.h>

#include <cmath>

#include <gtest/gtest.h>

#include "effects/depth_pin_effect.h"
#include "effects/feedback_cube_effect.h"
#include "effects/wave_grid_effect.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::pixelFromTop;

// Every vertex normal of the wave grid, border included, is the plane's unit normal when the
// heights are a plane y = sx * x + sz * z.
struct Slope {
    float sx, sz;
};
class WaveGridNormals : public ::testing::TestWithParam<Slope> {};

TEST_P(WaveGridNormals, FollowThePlaneToTheBorder) {
    const Slope s = GetParam();
    if (!g_waveGrid.vertices) g_waveGrid.prepare();
    constexpr int side = WaveGridEffect::kSide;
    for (int j = 0; j < side; ++j)
        for (int k = 0; k < side; ++k)
            g_waveGrid.vertices[side * j + k] = Vector3(float(k), s.sx * k + s.sz * j, float(j));
    g_waveGrid.buildNormals();
    const float length = std::sqrt(s.sx * s.sx + 1.0f + s.sz * s.sz);
    int wrong = 0;
    for (int i = 0; i < side * side; ++i) {
        const Vector3& n = g_waveGrid.normals[i];
        wrong +=
            !(std::fabs(n.x + s.sx / length) < 1e-5f && std::fabs(n.y - 1.0f / length) < 1e-5f &&
              std::fabs(n.z + s.sz / length) < 1e-5f);
    }
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(FlatAndSloped, WaveGridNormals,
                         ::testing::Values(Slope{0.0f, 0.0f}, Slope{0.5f, -0.25f}));

class LibraryEffects : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor4f(1, 1, 1, 1);
    }
    void TearDown() override { glLoadIdentity(); }
    testsupport::MessageCapture capture;  // no archive: textures and objects are missing
};

TEST_F(LibraryEffects, FeedbackCubeShowsOnlyWhatTheWindowGaveIt) {
    // 480 rows of the 512-row texture come from a 640 x 480 window: the copy shown full screen
    // must not reach into the rows that were never copied, which would show as a black band
    // at the top.
    ASSERT_TRUE(testsupport::ensureGlContext(640, 480));
    g_feedbackCube.prepare();
    const unsigned char white[4] = {255, 255, 255, 255};
    GLuint background = 0;
    glGenTextures(1, &background);
    glBindTexture(GL_TEXTURE_2D, background);  // the slide show has no pictures here
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTranslatef(0.0f, 0.0f, -4.0f);
    g_feedbackCube.render(1.0f, 0.02f);
    for (int x : {2, 320, 637}) {
        const auto p = pixelFromTop(x, 1);
        EXPECT_NEAR(p.r, 230, 4) << x;  // the white background at the cube's 0.9 grey
    }
    EXPECT_LT(pixelFromTop(320, 224).r, 40);  // the cube wears the first, black copy
    glDeleteTextures(1, &background);
    glClearColor(0, 0, 0, 1);
}

TEST_F(LibraryEffects, PinsWithNothingDrawnReadTheClearedDepth) {
    g_depthPins.prepare();
    g_depthPins.depthImage[0] = 0.25f;
    g_depthPins.render(1.0f, 0.02f);  // the cube object is missing: the corner stays clear
    for (int i = 0; i < DepthPinEffect::kSide * DepthPinEffect::kSide; ++i)
        ASSERT_FLOAT_EQ(g_depthPins.depthImage[i], 1.0f) << i;
}

}  // namespace
