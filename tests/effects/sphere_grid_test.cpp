#include <cmath>

#include <gtest/gtest.h>

#include "effects/arrow_shock_effect.h"
#include "effects/sphere_grid.h"

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

}  // namespace
