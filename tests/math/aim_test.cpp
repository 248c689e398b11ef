#include <cmath>

#include <gtest/gtest.h>

#include "math/aim.h"
#include "math/random.h"

namespace {

// Pitching -z about x and then yawing it about y turns it onto the direction: every bearing
// and height, from the program's own generator, and the axes.
TEST(Aim, TurnsMinusZOntoTheDirection) {
    demoSrand(5);
    for (int i = 0; i < 506; ++i) {
        const Vector3 axes[] = {{0, 0, -1}, {0, 0, 1},  {1, 0, 0},
                                {-1, 0, 0}, {0, 0, -7}, {0, 2, 0}};
        Vector3 d =
            i < 6 ? axes[i]
                  : Vector3(demoRand() - 16384.0f, demoRand() - 16384.0f, demoRand() - 16384.0f);
        const AimAngles aim = aimAlong(d);
        d.normalize();
        const double p = aim.pitch, y = aim.yaw;
        EXPECT_NEAR(-std::sin(y) * std::cos(p), d.x, 1e-5) << i;
        EXPECT_NEAR(std::sin(p), d.y, 1e-5) << i;
        EXPECT_NEAR(-std::cos(y) * std::cos(p), d.z, 1e-5) << i;
    }
    EXPECT_EQ(aimAlong(Vector3(0, 0, -1)).yaw, 0.0f);  // no turn
    EXPECT_EQ(aimAlong(Vector3(0, 5, 0)).yaw, 0.0f);   // no bearing straight up
    EXPECT_NEAR(radiansToDegrees(3.14159265f), 180.0f, 1e-4f);
}

// Slightly off the pole the sines round past 1: the angles stay finite. A direction with no
// length is refused.
TEST(Aim, PolesRoundingAndNoDirection) {
    const Vector3 cases[] = {
        {1e-20f, 1, 0}, {0, -1, 1e-9f}, {0, 0, 0}, {1, 1e-30f, 1e-30f}, {-1e-30f, 0, 1e-38f}};
    for (const Vector3& d : cases) {
        const AimAngles aim = aimAlong(d);
        EXPECT_TRUE(std::isfinite(aim.yaw) && std::fabs(aim.pitch) <= 1.5707964f) << d.x << d.z;
    }
    AimAngles aim{7.0f, 7.0f};
    EXPECT_FALSE(aimAlong(Vector3::zero(), aim));
    EXPECT_FALSE(aimAlong(Vector3(NAN, 0, 0), aim));
    EXPECT_FALSE(aimAlong(Vector3(INFINITY, 0, 0), aim));
    EXPECT_EQ(aim.yaw, 7.0f);
    EXPECT_TRUE(aimAlong(Vector3(1e-30f, 1, 0), aim));
    EXPECT_NEAR(aim.pitch, 1.5707963f, 1e-6f);
}

}  // namespace
