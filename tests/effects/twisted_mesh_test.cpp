#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive.h"
#include "effects/spike_ball_effect.h"
#include "effects/twisted_mesh.h"
#include "math/matrix4.h"
#include "tests/support/test_support.h"

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

}  // namespace
