// The credits' fade, in numbers: the reference frames see two moments of it.
#include <GL/gl.h>
#include <IL/il.h>

#include <vector>

#include <gtest/gtest.h>

#include "demo/director.h"
#include "demo/logo_overlay.h"
#include "demo/parts.h"
#include "effects/sky_particle_effect.h"
#include "music/music_player.h"
#include "tests/support/test_support.h"
#include "tests/texture/test_images.h"
#include "texture/texture_cache.h"

namespace {

using testsupport::pixelFromTop;

void load(const char* name, const std::vector<unsigned char>& png) {
    g_textureCache.loadFromMemory(name, png.data(), png.size());
}

// Black pictures wherever the finale's own pictures would add light, a white credits picture,
// and no music: no flash, no bars.
class FinalParts : public testsupport::GlTest {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(testsupport::ensureGlContext());
        ilInit();
        load("textures\\bluesky.jpg", testimages::solidPng(0, 0, 0));
        load("textures\\sky.png", testimages::solidPng(0, 0, 0, 0));
        load("textures\\end.PNG", testimages::solidPng(0, 0, 0, 0));
        load("textures\\credits.png", testimages::solidPng(255, 255, 255));
        load("textures\\design-clogo-bar.png", testimages::solidPng(0, 0, 0));
        g_skyParticles.prepare();
    }
    void SetUp() override {
        GlTest::SetUp();
        g_logoOverlay.prepare();
        for (int i = 0; i < 64; ++i) instSinceHit[i] = 1000.0f;
        // The state the production sets up at start.
        glClearColor(0, 0, 0, 1);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_CULL_FACE);
        glEnable(GL_TEXTURE_2D);
    }
    void frame(PartFunction part, float time) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        part(time, 1.0f / 30.0f);
    }
    testsupport::MessageCapture capture;  // the logo is not loaded here
};

TEST_F(FinalParts, CreditsFadeInTwentySecondsAfterThePartBegins) {
    const float start = 100.0f;  // where the part began
    setPartStart(start);
    frame(Director::partForOrder(26), start);
    EXPECT_EQ(pixelFromTop(320, 240).r, 0);
    frame(Director::partForOrder(26), start + 19.5f);
    EXPECT_EQ(pixelFromTop(320, 240).r, 0);
    frame(Director::partForOrder(26), start + 27.0f);  // 1 - e^-0.7: about half strength
    EXPECT_NEAR(pixelFromTop(320, 240).r, 0.503 * 255, 3);
    EXPECT_NEAR(pixelFromTop(320, 100).g, 0.503 * 255, 3);  // the whole letterbox band
    frame(Director::partForOrder(26), start + 80.0f);
    EXPECT_GT(pixelFromTop(320, 240).r, 250);
    EXPECT_EQ(pixelFromTop(320, 60).r, 0);  // not under the logo bars
}

}  // namespace
