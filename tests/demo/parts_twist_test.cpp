#include <GL/gl.h>

#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "demo/part_title.h"
#include "demo/parts.h"
#include "demo/twist_mesh.h"
#include "music/music_player.h"
#include "music/sync_slots.h"
#include "tests/support/test_support.h"
#include "tests/texture/test_images.h"
#include "texture/texture_cache.h"

namespace {

using testsupport::MessageCapture;

void quietSync() {
    for (int i = 0; i < 64; ++i) {
        instHitCount[i] = 0;
        instSinceHit[i] = 1000.0f;  // long ago: no shake, no flash, no jump
    }
}

void loadTexture(const char* name, const std::vector<unsigned char>& png) {
    if (!g_textureCache.find(name)) g_textureCache.loadFromMemory(name, png.data(), png.size());
}

class TwistParts : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        initImageLibrary();
        quietSync();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    int red(int x, int yFromTop) const { return testsupport::pixelFromTop(x, yFromTop).r; }
    MessageCapture capture;  // the overlay's pictures and the objects are not loaded here
};

TEST(TitlePlacement, StretchedUntilItSnapsInAt7Point5Seconds) {
    struct {
        float local, stretch;
    } cases[] = {
        {0.0f, 3200.0f}, {7.5f, 3200.0f}, {8.0f, 3200.0f * std::exp(-2.0f)}, {10.0f, 0.145f}};
    for (const auto& c : cases) {
        const OverlayRect r = titlePlacement(c.local, 3.0f, 1000.0f);
        EXPECT_NEAR(100.0f - r.y0, c.stretch, 0.01f * c.stretch) << c.local;
        EXPECT_NEAR(r.y1 - 140.0f, c.stretch, 0.01f * c.stretch) << c.local;
        EXPECT_FLOAT_EQ(r.x0, 100.0f);
        EXPECT_FLOAT_EQ(r.x1, 540.0f);
    }
    EXPECT_NEAR(100.0f - titlePlacement(8.0f, 0.0f, 1000.0f).y0, 433.0f, 0.5f);
}

TEST(TitlePlacement, ShakesOnTheTitleHitsOnlyWhileSettling) {
    const float time = 0.000428f;  // sin(3670 time) is about 1
    const float shake = titlePlacement(7.6f, time, 0.0f).x0 - 100.0f;
    EXPECT_NEAR(shake, 100.0 * std::sin(3670.0 * time) * std::exp(-0.4), 0.5);
    EXPECT_NEAR(titlePlacement(7.6f, time, 0.5f).x0 - 100.0f, shake * std::exp(-1.0), 0.5);
    EXPECT_FLOAT_EQ(titlePlacement(7.6f, time, 1000.0f).x0, 100.0f);   // no hit, no shake
    EXPECT_NEAR(titlePlacement(12.0f, time, 0.0f).x0, 100.0f, 0.01f);  // settled: still
}

TEST_F(TwistParts, TitleCoversTheScreenUntilItSnapsIntoItsStrip) {
    loadTexture("textures\\design-clogo-creativity-back.jpg", testimages::solidPng(0, 0, 0));
    loadTexture("textures\\title.png", testimages::solidPng(255, 255, 255));
    // The part's clock starts at its first frame.
    partTitle(100.0f, 0.0f);
    struct {
        float local;
        bool coversAbove, coversBelow;
    } frames[] = {{8.0f, true, true}, {10.0f, false, false}};
    for (const auto& f : frames) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        partTitle(100.0f + f.local, 0.0f);
        EXPECT_GT(red(320, 120), 240) << f.local;  // the strip itself
        // 433 pixels each way at 8 s reach both logo bars; at 10 s only the strip is left.
        EXPECT_EQ(red(320, 90) > 240, f.coversAbove) << f.local;
        EXPECT_EQ(red(320, 20) > 240, f.coversAbove) << f.local;
        EXPECT_EQ(red(320, 160) > 240, f.coversBelow) << f.local;
    }
}

TEST_F(TwistParts, HeartStripsScrollOneHeartASecondInOppositeDirections) {
    loadTexture("textures\\design-clogo-love-back.jpg", testimages::solidPng(0, 0, 0));
    // A heart whose red grows from its top row to its bottom row.
    std::vector<unsigned char> pixels;
    for (int row = 0; row < 64; ++row)
        for (int x = 0; x < 4; ++x)
            pixels.insert(pixels.end(), {static_cast<unsigned char>(4 * row), 0, 0, 255});
    loadTexture("textures\\heart.png", testimages::encodePng(4, 64, pixels));

    auto column = [&](float time, int x) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        partHeart(time, 0.0f);
        std::vector<int> reds;
        for (int y = 0; y < 480; ++y) reds.push_back(red(x, y));
        return reds;
    };
    const float t = 3.2f;
    for (int x : {72, 142}) {
        const int down = x == 72 ? 1 : -1;  // the first strip moves down, the second up
        const auto now = column(t, x);
        const auto half = column(t + 0.5f, x);
        const auto second = column(t + 1.0f, x);
        int compared = 0, moved = 0;
        for (int y = 110; y < 370; ++y) {
            // Away from the seam where one heart's bottom meets the next one's top.
            const double v = (down > 0 ? t : -t) + 8.0 * (1.0 - (y + 0.5) / 480.0);
            const double phase = v - std::floor(v);
            if (phase < 0.06 || phase > 0.94) continue;
            ++compared;
            EXPECT_NEAR(now[y], 0.5 * 4 * std::floor((1.0 - phase) * 64), 3) << x << " " << y;
            EXPECT_NEAR(half[y + 30 * down], now[y], 3) << "half a heart on, x " << x << " y " << y;
            EXPECT_NEAR(second[y], now[y], 3) << "a whole heart on, x " << x << " y " << y;
            moved += std::abs(half[y] - now[y]) > 20;
        }
        EXPECT_GT(compared, 150);
        EXPECT_GT(moved, 100);
    }
    // Beside the strips the letterbox stays as it was.
    EXPECT_EQ(red(20, 200), 0);
    EXPECT_EQ(red(107, 200), 0);
}

TEST_F(TwistParts, TwistTorusStartsEveryDrawFromItsRestShape) {
    auto layer = std::make_unique<MeshLayer>();
    layer->points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    MeshPolygon polygon{};
    polygon.points[0] = 0, polygon.points[1] = 1, polygon.points[2] = 2;
    for (Vector3& n : polygon.cornerNormals) n = Vector3(0, 0, 1);
    layer->polygons.push_back(polygon);
    g_twistTorus.shape.mesh.layers[0] = std::move(layer);
    ASSERT_TRUE(g_twistTorus.shape.useLoadedMesh());

    g_twistTorus.draw(2.0f, 0.0f, 1.4f);
    const Vector3 once = g_twistTorus.shape.points[1];
    glLoadIdentity();
    g_twistTorus.draw(2.0f, 0.0f, 1.4f);
    EXPECT_FLOAT_EQ(g_twistTorus.shape.points[1].x, once.x);
    EXPECT_FLOAT_EQ(g_twistTorus.shape.points[1].y, once.y);
    EXPECT_FLOAT_EQ(g_twistTorus.shape.points[1].z, once.z);
    glLoadIdentity();
}

}  // namespace
