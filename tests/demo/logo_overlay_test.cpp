#include <GL/gl.h>
#include <IL/il.h>

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "demo/logo_overlay.h"
#include "display/demo_window.h"
#include "mesh/mesh_library.h"
#include "music/music_player.h"
#include "music/sync_slots.h"
#include "tests/mesh/lwo_builder.h"
#include "tests/support/test_support.h"
#include "tests/texture/test_images.h"
#include "texture/texture_cache.h"

namespace {

using testsupport::MessageCapture;
using testsupport::pixelFromTop;

// The overlay's pictures for the tests: black logo bars, a white bar fill, and a logo made of
// two triangles in crossing planes, so it shows whichever way it turns.
void loadOverlayAssets() {
    static bool loaded = false;
    if (loaded) return;
    loaded = true;
    ilInit();
    const auto black = testimages::solidPng(0, 0, 0);
    const auto white = testimages::solidPng(255, 255, 255);
    g_textureCache.loadFromMemory("textures\\design-clogo-bar.png", black.data(), black.size());
    g_textureCache.loadFromMemory("textures\\gradient.jpg", white.data(), white.size());
    lwo::Bytes logo;
    logo.chunk("TAGS", lwo::Bytes().s0("Default"));
    logo.chunk("LAYR", lwo::layr(0));
    logo.chunk("PNTS",
               lwo::pnts({{0, 1, 0}, {1, -1, 0}, {-1, -1, 0}, {0, 0, 1}, {1, 0, -1}, {-1, 0, -1}}));
    logo.chunk("POLS", lwo::pols({{0, 1, 2}, {3, 4, 5}}));
    logo.chunk("PTAG", lwo::ptag({{0, 0}, {1, 0}}));
    logo.chunk("SURF", lwo::surf("Default"));
    const auto bytes = lwo::file(logo);
    g_meshLibrary.loadFromMemory("lwos\\c-logo.lwo", bytes.data(), bytes.size());
}

void quietSync() {
    for (int i = 0; i < 64; ++i) {
        instHitCount[i] = 0;
        instSinceHit[i] = 1000.0f;  // long ago: no flash, no bounce
    }
}

class LogoOverlayTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        const int width = GetParam();
        ASSERT_TRUE(testsupport::ensureGlContext(width, width * 3 / 4));
        loadOverlayAssets();
        quietSync();
        g_logoOverlay.prepare();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    // Overlay space to window pixels.
    int px(float x) const { return int(x * g_demoWindow.width / 640.0f); }
    int py(float y) const { return int(y * g_demoWindow.height / 480.0f); }
    int brightness(float x, float y) const {
        const auto p = pixelFromTop(px(x), py(y));
        return (p.r + p.g + p.b) / 3;
    }
    // Centre of the lit pixels of the logo within a region of the overlay space.
    double logoCentreY(float x0, float y0, float x1, float y1) const {
        const int w = px(x1) - px(x0), h = py(y1) - py(y0);
        const auto pixels = testsupport::readPixels(px(x0), g_demoWindow.height - py(y1), w, h);
        const int background = pixelFromTop(g_demoWindow.width / 2, g_demoWindow.height / 2).g;
        double sum = 0, count = 0;
        for (int row = 0; row < h; ++row)
            for (int col = 0; col < w; ++col)
                if (pixels[(size_t(row) * w + col) * 4 + 1] > background + 40) {
                    sum += py(y1) - 1 - row;  // back to rows from the top
                    ++count;
                }
        return count ? sum / count : -1;
    }
    MessageCapture capture;
};

TEST_P(LogoOverlayTest, BarsHangFromTheTopAndRiseMirroredFromTheBottom) {
    g_logoOverlay.barPeak[0] = 100;
    g_logoOverlay.barPeak[10] = 50;
    g_logoOverlay.draw(0.0f, 0.0f, 2);  // delta 0: heights stay as set

    const int fill = int(255 * 0.7f);
    EXPECT_NEAR(brightness(4, 73 + 90), fill, 4);  // bar 0 at the left, top
    EXPECT_LT(brightness(4, 73 + 110), 4);
    EXPECT_NEAR(brightness(104, 73 + 40), fill, 4);  // bar 10
    EXPECT_LT(brightness(104, 73 + 60), 4);
    EXPECT_LT(brightness(12, 73 + 20), 4);  // the gap between bars 0 and 1

    EXPECT_NEAR(brightness(636, 407 - 90), fill, 4);  // bar 0 at the right edge, bottom
    EXPECT_NEAR(brightness(536, 407 - 40), fill, 4);  // bar 10
    EXPECT_LT(brightness(4, 407 - 50), 4);            // nothing rises on the left
    EXPECT_LT(brightness(320, 240), 4);               // and no flash
    EXPECT_TRUE(capture.messages().empty());
}

TEST_P(LogoOverlayTest, FlashFollowsTheFresherOfTheStabAndTheAccents) {
    struct {
        float since42, since50;
        double alpha;
    } cases[] = {{0.0f, 1000.0f, 0.5},
                 {0.5f, 1000.0f, 0.5 * std::exp(-0.4)},
                 {1000.0f, 2.0f, 0.5 * std::exp(-1.6)},
                 {3.0f, 0.5f, 0.5 * std::exp(-0.4)}};
    for (const auto& c : cases) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        instSinceHit[SyncSlot::kCrash] = c.since42;
        instSinceHit[SyncSlot::kAccent] = c.since50;
        g_logoOverlay.draw(0.0f, 0.0f, 2);
        EXPECT_NEAR(brightness(320, 240), 255 * c.alpha, 3) << c.since42 << " " << c.since50;
    }
}

TEST_P(LogoOverlayTest, LogoJumpsTowardsTheMiddleRowOnAHit) {
    // 2 units at the logo's depth of 35, in window rows.
    const double jump = 2.0 / (35.0 * std::tan(22.5 * M_PI / 180.0)) * g_demoWindow.height / 2;
    const float time = 1.5707963f;  // a tilted, well visible pose
    struct {
        int corner;
        float x0, y0, x1, y1;  // the quarter of the screen the logo sits in
        double direction;      // +1 downwards
    } corners[] = {{0, 0, 0, 320, 240, +1},
                   {1, 320, 0, 640, 240, +1},
                   {2, 320, 240, 640, 480, -1},
                   {3, 0, 240, 320, 480, -1}};
    for (const auto& c : corners) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        instSinceHit[SyncSlot::kCrash] = 1000.0f;
        g_logoOverlay.draw(time, 0.0f, c.corner);
        const double resting = logoCentreY(c.x0, c.y0, c.x1, c.y1);

        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        instSinceHit[SyncSlot::kCrash] =
            0.0f;  // just hit: the whole jump (and a flash over everything)
        g_logoOverlay.draw(time, 0.0f, c.corner);
        const double hit = logoCentreY(c.x0, c.y0, c.x1, c.y1);
        ASSERT_GT(resting, 0) << c.corner;
        ASSERT_GT(hit, 0) << c.corner;
        EXPECT_NEAR(hit - resting, c.direction * jump, 0.2 * jump) << "corner " << c.corner;
    }
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, LogoOverlayTest, ::testing::Values(640, 800));

TEST(AnalyserPeaks, FallAtTwoHundredPixelsASecondAndJumpToTheLevel) {
    std::vector<float> silence(512, 0.0f);
    LogoOverlay overlay;
    overlay.prepare();
    overlay.barPeak[3] = 100.0f;
    overlay.updatePeaks(silence.data(), 0.1f);
    EXPECT_FLOAT_EQ(overlay.barPeak[3], 80.0f);
    overlay.updatePeaks(silence.data(), 1.0f);
    EXPECT_FLOAT_EQ(overlay.barPeak[3], 0.0f);  // silence's level 0 wins below the floor
    EXPECT_FLOAT_EQ(overlay.barPeak[0], 0.0f);

    std::vector<float> loud(512, 0.0f);
    loud[6] = loud[7] = 1.0f;  // both bands of bar 3 at full scale
    overlay.updatePeaks(loud.data(), 0.0f);
    EXPECT_NEAR(overlay.barPeak[3], 100.0 * std::log10(21.0), 1e-3);  // about 132 pixels
    EXPECT_FLOAT_EQ(overlay.barPeak[2], 0.0f);
    overlay.updatePeaks(silence.data(), 0.25f);
    EXPECT_NEAR(overlay.barPeak[3], 100.0 * std::log10(21.0) - 50.0, 1e-3);
    EXPECT_FLOAT_EQ(analyserLevel(0.0f), 0.0f);
}

}  // namespace
