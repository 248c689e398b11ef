#include <GL/gl.h>

#include <cmath>

#include <gtest/gtest.h>

#include "effects/arrow_shock_effect.h"
#include "effects/shockwave_effect.h"
#include "effects/sphere_grid.h"
#include "tests/support/test_support.h"

namespace {

constexpr int kSide = SphereGrid::kSide;

double length(const Vector3& v) {
    return std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
}

void expectUnitNormals(const SphereGrid& grid, const char* what) {
    for (int k = 0; k < SphereGrid::kPoints; ++k) {
        const Vector3& n = grid.normals[k];
        ASSERT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z))
            << what << ": normal " << k;
        ASSERT_NEAR(length(n), 1.0, 1e-5) << what << ": normal " << k;
    }
}

TEST(SphereGrid, RoundSphereNormalsPointToTheCentre) {
    static SphereGrid grid;
    grid.build([](const GridSample&, double scale[3]) { scale[0] = scale[1] = scale[2] = 1.0; });
    expectUnitNormals(grid, "round");
    for (int i = 1; i < kSide; ++i) {
        for (int j = 0; j < kSide; ++j) {
            const Vector3& v = grid.vertices[i * kSide + j];
            const Vector3& n = grid.normals[i * kSide + j];
            ASSERT_NEAR(length(v), 1.0, 1e-6);
            // The analytic normal of the unit sphere is the point itself; the grid's points in.
            ASSERT_NEAR(n.x * v.x + n.y * v.y + n.z * v.z, -1.0, 1e-4) << i << "," << j;
        }
    }
    // The pole: every step round it stays on the pole, so the normal falls back to pointing in.
    for (int j = 0; j < kSide; ++j) {
        EXPECT_FLOAT_EQ(grid.vertices[j].y, -1.0f);
        EXPECT_FLOAT_EQ(grid.normals[j].y, 1.0f);
    }
    // Rows climb by 1/24 to just below the top; row 0 starts half a turn before the others.
    EXPECT_NEAR(grid.vertices[47 * kSide].y, -1.0 + 47.0 / 24.0, 1e-5);
    EXPECT_NEAR(grid.vertices[kSide].x, -std::sqrt(1.0 - std::pow(23.0 / 24.0, 2)), 1e-5);
}

TEST(Shockwave, BottomRowOnTheAxisAndMiddleRowRoundAtTimeZero) {
    for (float t : {0.0f, 1.7f, 250.0f}) {
        g_shockwave.buildGrid(t);
        expectUnitNormals(g_shockwave.grid, "shockwave");
        // The bottom row collapses onto the axis, each column at its own scale.
        float u = -1.0f;
        for (int j = 0; j < kSide; ++j, u += 1.0f / 24.0f) {
            const Vector3& v = g_shockwave.grid.vertices[j];
            EXPECT_NEAR(v.x, 0.0f, 1e-6f);
            EXPECT_NEAR(v.z, 0.0f, 1e-6f);
            EXPECT_NEAR(v.y, -ShockwaveEffect::rippleScale(u, -1.0, t), 1e-5f) << t;
        }
    }
    g_shockwave.buildGrid(0.0f);
    for (int j = 0; j < kSide; ++j) {
        const Vector3& v = g_shockwave.grid.vertices[24 * kSide + j];
        EXPECT_NEAR(v.y, 0.0f, 1e-6f);
        EXPECT_NEAR(length(v), 1.0, 1e-5);
    }
    // Elsewhere the surface swells and sinks by up to 40 percent.
    double low = 10, high = 0;
    for (const Vector3& v : g_shockwave.grid.vertices) {
        low = std::fmin(low, length(v));
        high = std::fmax(high, length(v));
    }
    EXPECT_GE(low, 0.6 - 1e-5);
    EXPECT_LE(high, 1.4 + 1e-5);
    EXPECT_GT(high - low, 0.5);
}

TEST(ArrowShock, RippleRisesBehindTheArrowAndDiesAway) {
    EXPECT_EQ(ArrowShockEffect::strikeRipple(0.0), 0.0);
    // The crest about 0.1 away, then rings every pi/15 of alternating sign, shrinking.
    const double crest = ArrowShockEffect::strikeRipple(0.1);
    EXPECT_GT(crest, ArrowShockEffect::strikeRipple(0.07));
    EXPECT_GT(crest, ArrowShockEffect::strikeRipple(0.13));
    double previous = crest;
    for (int ring = 1; ring < 10; ++ring) {
        const double d = ring * 3.14159265 / 15.0;
        EXPECT_NEAR(ArrowShockEffect::strikeRipple(d), 0.0, 1e-8);
        const double peak = ArrowShockEffect::strikeRipple(d + 3.14159265 / 30.0);
        EXPECT_LT(peak * previous, 0.0) << "ring " << ring;
        EXPECT_LT(std::fabs(peak), std::fabs(previous));
        previous = peak;
    }
    for (double d = 3.0; d < 6.0; d += 0.01)
        EXPECT_LT(std::fabs(ArrowShockEffect::strikeRipple(d)), 0.0046);
}

TEST(ArrowShock, SphereSwellsByTheDistanceToEachArrow) {
    for (float t : {0.0f, 3.3f, 97.0f}) {
        g_arrowShock.buildGrid(t);
        if (t == 0.0f) {
            const Vector3& first = g_arrowShock.arrows[0];
            EXPECT_FLOAT_EQ(first.x, 0.0f);
            EXPECT_FLOAT_EQ(first.y, 0.0f);
            EXPECT_FLOAT_EQ(first.z, 2.0f);
        }
        expectUnitNormals(g_arrowShock.grid, "arrow shock");
        for (int k = 0; k < SphereGrid::kPoints; k += 7) {
            // A vertex is its point on the round sphere scaled by the ripples of all four
            // arrows, measured from that round point to where the arrows are reckoned to be.
            const Vector3& v = g_arrowShock.grid.vertices[k];
            const double r = length(v);
            double expected = 1.0;
            for (const Vector3& a : g_arrowShock.arrows) {
                const double dx = a.x - v.x / r, dy = a.y - v.y / r, dz = a.z - v.z / r;
                expected += ArrowShockEffect::strikeRipple(std::sqrt(dx * dx + dy * dy + dz * dz));
            }
            ASSERT_NEAR(r, expected, 1e-5) << "t " << t << " vertex " << k;
        }
    }
}

TEST(ArrowShock, NormalsAgreeWithRipplesEvaluatedInFull) {
    static SphereGrid reference;
    for (float t : {0.0f, 3.3f, 97.0f}) {
        g_arrowShock.buildGrid(t);
        reference.build([](const GridSample& g, double scale[3]) {
            for (int k = 0; k < 3; ++k) {
                scale[k] = 1.0;
                for (const Vector3& a : g_arrowShock.arrows) {
                    const double dx = a.x - g.unit[k].x, dy = a.y - g.unit[k].y,
                                 dz = a.z - g.unit[k].z;
                    scale[k] +=
                        ArrowShockEffect::strikeRipple(std::sqrt(dx * dx + dy * dy + dz * dz));
                }
            }
        });
        for (int k = SphereGrid::kSide; k < SphereGrid::kPoints; ++k) {
            const Vector3& n = g_arrowShock.grid.normals[k];
            const Vector3& r = reference.normals[k];
            ASSERT_NEAR(n.x * r.x + n.y * r.y + n.z * r.z, 1.0, 1e-6) << "t " << t << " " << k;
        }
    }
}

class ShockwaveDraw : public testsupport::GlTest {
  protected:
    testsupport::MessageCapture capture;  // no sphere map is loaded here
};

TEST_F(ShockwaveDraw, SphereFillsTheMiddleAndLeavesCullingOff) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_CULL_FACE);
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor3f(1, 1, 1);
    glTranslatef(0.0f, 0.0f, -6.0f);
    g_shockwave.render(0.0f, 0.02f);
    glLoadIdentity();
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    glEnable(GL_CULL_FACE);
    const auto middle = testsupport::pixelFromTop(320, 240);
    const auto corner = testsupport::pixelFromTop(5, 5);
    EXPECT_GT(middle.r, 200);
    EXPECT_EQ(corner.r, 0);
}

}  // namespace
