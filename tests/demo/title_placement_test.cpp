// Where the title lands and how it shakes, in numbers: the reference frames see it stretched
// and landing.
#include <cmath>

#include <gtest/gtest.h>

#include "demo/part_title.h"

namespace {

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

}  // namespace
