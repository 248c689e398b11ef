#include <GL/gl.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive.h"
#include "display/demo_window.h"
#include "effects/spike_ball_effect.h"
#include "effects/twisted_mesh.h"
#include "math/matrix4.h"
#include "tests/support/test_support.h"
#include "tests/texture/test_images.h"
#include "texture/texture_cache.h"

namespace {

using testsupport::MessageCapture;

// Layer 0 of a mesh from points and triangles; every corner normal of a triangle is the
// triangle's given normal.
struct Triangle {
    uint32_t a, b, c;
    Vector3 normal;
};
void setLayer0(Mesh& mesh, const std::vector<Vector3>& points,
               const std::vector<Triangle>& triangles) {
    auto layer = std::make_unique<MeshLayer>();
    layer->points = points;
    for (const Triangle& t : triangles) {
        MeshPolygon polygon{};
        polygon.points[0] = t.a, polygon.points[1] = t.b, polygon.points[2] = t.c;
        for (Vector3& n : polygon.cornerNormals) n = t.normal;
        layer->polygons.push_back(polygon);
    }
    mesh.layers[0] = std::move(layer);
}

// The turn the program's matrices give at a phase: about x, then about y.
Vector3 turned(Vector3 v, double phase) {
    Matrix4 m;
    m.setIdentity();
    m.rotateX(static_cast<float>(180.0 * std::sin(0.5 * phase)));
    m.rotateY(static_cast<float>(180.0 * std::sin(0.35 * phase)));
    m.transformPoint(v);
    return v;
}

void expectNear(const Vector3& a, const Vector3& b, const char* what) {
    EXPECT_NEAR(a.x, b.x, 2e-6f) << what;
    EXPECT_NEAR(a.y, b.y, 2e-6f) << what;
    EXPECT_NEAR(a.z, b.z, 2e-6f) << what;
}

TEST(TwistedMesh, OuterPointsLagBehindTheCentreByTheirDistance) {
    for (float phase : {0.0f, 0.7f, -2.5f, 3.6f, 41.0f}) {
        const Vector3 v(0.3f, -0.8f, 0.52f);
        Vector3 w = v;
        TwistRotation(phase).apply(w);
        expectNear(w, turned(v, phase), "the rotation is rotateX then rotateY");
    }

    TwistedMesh shape;
    // Point 0 at the centre, point 1 at distance 1, point 2 at distance 2; point 3 is on no
    // triangle.
    setLayer0(shape.mesh, {{0, 0, 0}, {1, 0, 0}, {0, 2, 0}, {0, 0, 3}},
              {{0, 1, 2, Vector3(0, 0, 1)}});
    ASSERT_TRUE(shape.useLoadedMesh());
    ASSERT_EQ(shape.pointCount, 4);
    EXPECT_EQ(shape.points, shape.mesh.layer(0)->points.data());  // the layer's own points

    const float time = 5.0f, lag = 1.4f;
    shape.twist(time, lag);
    // The centre stays put, its normal turns with the time itself.
    expectNear(shape.points[0], Vector3(0, 0, 0), "centre");
    expectNear(shape.normals[0], turned(Vector3(0, 0, 1), time), "centre normal");
    // At distance 1 the turn is 1.4 s behind, at distance 2 2.8 s.
    expectNear(shape.points[1], turned(Vector3(1, 0, 0), time - 1.4), "distance 1");
    expectNear(shape.normals[1], turned(Vector3(0, 0, 1), time - 1.4), "distance 1 normal");
    expectNear(shape.points[2], turned(Vector3(0, 2, 0), time - 2.8), "distance 2");
    // A point on no triangle has no normal to turn.
    expectNear(shape.restNormals[3], Vector3(0, 0, 0), "rest normal of a loose point");
    expectNear(shape.normals[3], Vector3(0, 0, 0), "normal of a loose point");

    // Twisting again starts from the rest shape: the same time gives the same shape.
    const Vector3 once = shape.points[1];
    shape.twist(time, lag);
    expectNear(shape.points[1], once, "second twist at the same time");
    expectNear(shape.restPoints[1], Vector3(1, 0, 0), "rest shape untouched");
}

TEST(TwistedMesh, MissingObjectOrLayerIsReportedOnceAndLeavesNothingToDraw) {
    MessageCapture capture;
    Archive::setDataPath("no-such-archive.rar");
    TwistedMesh shape;
    EXPECT_FALSE(shape.load("lwos\\torus-loop-meta.lwo"));
    EXPECT_EQ(shape.pointCount, 0);
    shape.twist(1.0f, 1.4f);  // nothing to turn, nothing touched
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_NE(capture.messages()[0].find("lwos\\torus-loop-meta.lwo"), std::string::npos);

    capture.clear();
    SpikeBall ball;
    EXPECT_FALSE(ball.load("lwos\\spikeball.lwo"));
    EXPECT_TRUE(ball.tips.empty());
    ball.render(1.0f, 0.0f, 0.6f);  // draws nothing, and needs no context for it
    EXPECT_EQ(capture.messages().size(), 1u);

    capture.clear();
    TwistedMesh layerOneOnly;
    layerOneOnly.mesh.name = "lwos\\odd.lwo";
    layerOneOnly.mesh.layers[1] = std::make_unique<MeshLayer>();
    EXPECT_FALSE(layerOneOnly.useLoadedMesh());
    EXPECT_EQ(layerOneOnly.pointCount, 0);
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_NE(capture.messages()[0].find("lwos\\odd.lwo"), std::string::npos);
    Archive::setDataPath("data.rar");
}

// The spike ball's greetings, seen straight on through a flat projection of 16 pixels a unit:
// 39 points beyond 2.54 (point 0 among them) in four rows, and a small triangle in the middle.
class SpikeBallGreetings : public testsupport::GlTest {
  protected:
    static constexpr int kTips = 39;
    static int pixelX(int s) { return 40 + 48 * (s % 12); }
    static int pixelY(int s) { return 100 + 60 * (s / 12); }  // from the bottom
    static int bandRed(int band) { return 20 + 5 * band; }

    void SetUp() override {
        GlTest::SetUp();
        // 4 rows a band, 40 bands counted from the bottom, each its own red.
        std::vector<unsigned char> pixels;
        for (int row = 0; row < 160; ++row) {
            const int band = (159 - row) / 4;  // rows are given top first
            for (int x = 0; x < 4; ++x)
                pixels.insert(pixels.end(), {static_cast<unsigned char>(bandRed(band)), 0, 0, 255});
        }
        initImageLibrary();
        if (!g_textureCache.find("textures\\greet.png")) {
            const auto png = testimages::encodePng(4, 160, pixels);
            g_textureCache.loadFromMemory("textures\\greet.png", png.data(), png.size());
        }
        std::vector<Vector3> points;
        for (int s = 0; s < kTips; ++s)
            points.emplace_back((pixelX(s) + 0.5f) / 16 - 20, (pixelY(s) + 0.5f) / 16 - 15, 3);
        points.insert(points.end(), {{0, 0, 0.5f}, {0.5f, 0, 0.5f}, {0, 0.5f, 0.5f}});
        setLayer0(ball.shape.mesh, points, {{kTips, kTips + 1, kTips + 2, Vector3(0, 0, 1)}});
        ASSERT_TRUE(ball.useLoadedMesh());
    }
    void TearDown() override { g_demoWindow.resetProjection(); }

    SpikeBall ball;
};

TEST_F(SpikeBallGreetings, EveryTipButPointZeroShowsTheNextOf37Bands) {
    ASSERT_EQ(ball.tips.size(), size_t(kTips));
    for (int s = 0; s < kTips; ++s) EXPECT_EQ(ball.tips[s], s);

    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-20, 20, -15, 15, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    ball.render(0.0f, 0.0f, 0.0f);  // phase 0: nothing turns

    const auto frame = testsupport::readPixels(0, 0, 640, 480);
    auto red = [&](int x, int y) { return int(frame[(size_t(y) * 640 + x) * 4]); };
    EXPECT_EQ(red(pixelX(0), pixelY(0)), 0) << "point 0 carries no greeting";
    for (int s = 1; s < kTips; ++s)
        EXPECT_NEAR(red(pixelX(s), pixelY(s)), bandRed(s % 37), 2) << "tip " << s;
    // The strips are wide and flat: 0.6 units each side, 0.08 up and down.
    EXPECT_NEAR(red(pixelX(5) + 8, pixelY(5)), bandRed(5), 2);
    EXPECT_EQ(red(pixelX(5) + 12, pixelY(5)), 0);
    EXPECT_EQ(red(pixelX(5), pixelY(5) + 3), 0);
}

}  // namespace
