#include <cmath>

#include <gtest/gtest.h>

#include "math/aim.h"
#include "math/random.h"

namespace {

// Where -z ends up after pitching about x and then yawing about y.
Vector3 pointing(const AimAngles& aim) {
    const double p = aim.pitch, y = aim.yaw;
    const double x0 = 0.0, y0 = std::sin(p), z0 = -std::cos(p);
    return Vector3(float(std::cos(y) * x0 + std::sin(y) * z0), float(y0),
                   float(-std::sin(y) * x0 + std::cos(y) * z0));
}

void expectPointsAlong(const Vector3& direction, const char* what) {
    const AimAngles aim = aimAlong(direction);
    ASSERT_TRUE(std::isfinite(aim.yaw) && std::isfinite(aim.pitch)) << what;
    Vector3 unit = direction;
    unit.normalize();
    const Vector3 got = pointing(aim);
    EXPECT_NEAR(got.x, unit.x, 1e-5f) << what;
    EXPECT_NEAR(got.y, unit.y, 1e-5f) << what;
    EXPECT_NEAR(got.z, unit.z, 1e-5f) << what;
}

TEST(Aim, TurnsMinusZOntoTheDirection) {
    const struct {
        Vector3 direction;
        const char* what;
    } axes[] = {{{0, 0, -1}, "-z (no turn)"}, {{0, 0, 1}, "+z"},    {{1, 0, 0}, "+x"},
                {{-1, 0, 0}, "-x"},           {{0, 0, -7}, "long"}, {{0.3f, -0.4f, 0.5f}, "slant"}};
    for (const auto& c : axes) expectPointsAlong(c.direction, c.what);
    // Every bearing and height, from the program's own generator.
    demoSrand(5);
    for (int i = 0; i < 500; ++i) {
        const Vector3 d(demoRand() - 16384.0f, demoRand() - 16384.0f, demoRand() - 16384.0f);
        expectPointsAlong(d, "random");
    }
}

TEST(Aim, KnownAngles) {
    // Facing -z needs no turn; +z is half a circle round.
    AimAngles aim = aimAlong(Vector3(0, 0, -1));
    EXPECT_FLOAT_EQ(aim.yaw, 0.0f);
    EXPECT_FLOAT_EQ(aim.pitch, 0.0f);
    aim = aimAlong(Vector3(0, 0, 1));
    EXPECT_NEAR(aim.yaw, 3.14159265f, 1e-6f);
    // Exactly sideways (no z) takes the -asin branch.
    EXPECT_NEAR(aimAlong(Vector3(1, 0, 0)).yaw, -1.5707963f, 1e-6f);
    EXPECT_NEAR(radiansToDegrees(3.14159265f), 180.0f, 1e-4f);
}

TEST(Aim, PolesAndRoundingStayFinite) {
    // Straight up and down have no bearing; slightly off the pole the sines round past 1.
    const Vector3 cases[] = {{0, 1, 0},      {0, -1, 0}, {0, 5, 0},           {1e-20f, 1, 0},
                             {0, -1, 1e-9f}, {0, 0, 0},  {1, 1e-30f, 1e-30f}, {-1e-30f, 0, 1e-38f}};
    for (const Vector3& d : cases) {
        const AimAngles aim = aimAlong(d);
        EXPECT_TRUE(std::isfinite(aim.yaw) && std::isfinite(aim.pitch))
            << d.x << " " << d.y << " " << d.z;
        EXPECT_LE(std::fabs(aim.pitch), 1.5707964f);
    }
    EXPECT_NEAR(aimAlong(Vector3(0, 1, 0)).pitch, 1.5707963f, 1e-6f);
    EXPECT_NEAR(aimAlong(Vector3(0, -3, 0)).pitch, -1.5707963f, 1e-6f);
    EXPECT_EQ(aimAlong(Vector3(0, 1, 0)).yaw, 0.0f);
    expectPointsAlong(Vector3(0, 1, 0), "up");
}

TEST(Aim, RefusesADirectionWithNoLength) {
    AimAngles aim{7.0f, 7.0f};
    EXPECT_FALSE(aimAlong(Vector3::zero(), aim));
    EXPECT_FALSE(aimAlong(Vector3(NAN, 0, 0), aim));
    EXPECT_FALSE(aimAlong(Vector3(INFINITY, 0, 0), aim));
    EXPECT_EQ(aim.yaw, 7.0f);
    EXPECT_TRUE(aimAlong(Vector3(1e-30f, 1, 0), aim));
    EXPECT_NEAR(aim.pitch, 1.5707963f, 1e-6f);
}

}  // namespace
