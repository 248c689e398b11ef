#include <gtest/gtest.h>

#include <cmath>

#include "scene/envelope.h"

namespace {

EnvelopeChannel channel(std::vector<EnvelopeKey> keys, int pre = kBehaviorConstant,
                        int post = kBehaviorConstant) {
    EnvelopeChannel c;
    c.keys = std::move(keys);
    c.pre = pre;
    c.post = post;
    return c;
}

EnvelopeKey key(float value, float time, int shape, float tension = 0, float continuity = 0,
                float bias = 0) {
    EnvelopeKey k;
    k.value = value;
    k.time = time;
    k.shape = shape;
    k.p[0] = tension;
    k.p[1] = continuity;
    k.p[2] = bias;
    return k;
}

// The cubic Hermite curve from p0 to p1 with tangents m0 and m1, at u.
double hermite(double p0, double p1, double m0, double m1, double u) {
    const double u2 = u * u, u3 = u2 * u;
    return (2 * u3 - 3 * u2 + 1) * p0 + (u3 - 2 * u2 + u) * m0 + (-2 * u3 + 3 * u2) * p1 +
           (u3 - u2) * m1;
}

TEST(Envelope, LinearKeysAndTheirEnds) {
    EnvelopeChannel c = channel({key(0, 0, kShapeLinear), key(10, 1, kShapeLinear)});
    EXPECT_DOUBLE_EQ(c.evaluate(0.5f), 5.0);
    EXPECT_EQ(c.evaluate(1.0f), 10.0);  // a key's own time gives its value exactly
    EXPECT_EQ(c.evaluate(2.0f), 10.0);  // constant after
    c.post = kBehaviorReset;
    EXPECT_EQ(c.evaluate(2.0f), 0.0);
    EXPECT_EQ(channel({}).evaluate(3.0f), 0.0);
    EXPECT_EQ(channel({key(7, 2, kShapeTCB)}).evaluate(-5.0f), 7.0);
}

TEST(Envelope, SteppedKeyHoldsThePreviousValueUpToItsTime) {
    const EnvelopeChannel c = channel({key(1, 0, kShapeStepped), key(5, 2, kShapeStepped)});
    EXPECT_EQ(c.evaluate(1.999f), 1.0);
    EXPECT_EQ(c.evaluate(2.0f), 5.0);
}

// Three keys 0 -> 1 -> 0 a second apart: the middle of the first span for TCB keys with
// tension, continuity and bias at their limits, against the Hermite curve with the tangents
// worked out by hand. Without a key before it, the first key leaves with (1-T)(1-C)(1-B)
// times the span; the middle key arrives with half of a*1 + b*(-1).
TEST(Envelope, TcbShapesAtTheirLimits) {
    struct Case {
        float t, c, b;
        double outgoing, incoming;
    };
    const Case cases[] = {
        {0, 0, 0, 1.0, 0.0},   // Catmull-Rom: flat at the peak
        {1, 0, 0, 0.0, 0.0},   // full tension: no tangents
        {-1, 0, 0, 2.0, 0.0},  // negative tension doubles them
        {0, 1, 0, 0.0, -1.0},  // continuity 1 at the peak takes the outgoing slope in
        {0, -1, 0, 2.0, 1.0},  {0, 0, 1, 0.0, 1.0},  // bias towards the span before
        {0, 0, -1, 2.0, -1.0},                       // bias towards the span after
    };
    for (const Case& k : cases) {
        const EnvelopeChannel c =
            channel({key(0, 0, kShapeTCB, k.t, k.c, k.b), key(1, 1, kShapeTCB, k.t, k.c, k.b),
                     key(0, 2, kShapeTCB, k.t, k.c, k.b)});
        for (float u : {0.25f, 0.5f, 0.75f}) {
            EXPECT_NEAR(c.evaluate(u), hermite(0, 1, k.outgoing, k.incoming, u), 1e-6)
                << "T " << k.t << " C " << k.c << " B " << k.b << " u " << u;
        }
    }
}

// Tangents follow the time spacing of the keys around the span.
TEST(Envelope, TcbTangentsScaleWithKeySpacing) {
    const EnvelopeChannel c = channel(
        {key(0, 0, kShapeTCB), key(2, 1, kShapeTCB), key(2, 3, kShapeTCB), key(8, 4, kShapeTCB)});
    // Span 1..3: out = 2/3 * (2 + 0) at key 1; in = 2/3 * (0 + 6) at key 2.
    EXPECT_NEAR(c.evaluate(2.0f), hermite(2, 2, 4.0 / 3.0, 4.0, 0.5), 1e-6);
}

TEST(Envelope, HermiteAndBezierKeysHaveNoTangentsOfTheirOwn) {
    for (int shape : {kShapeHermite, kShapeBezier}) {
        const EnvelopeChannel c = channel({key(0, 0, shape), key(4, 2, shape), key(0, 4, shape)});
        EXPECT_NEAR(c.evaluate(0.5f), hermite(0, 4, 0, 0, 0.25), 1e-6) << shape;
        // A linear key before a Hermite key still gives its outgoing tangent.
        const EnvelopeChannel mixed = channel({key(0, 0, kShapeLinear), key(4, 2, shape)});
        EXPECT_NEAR(mixed.evaluate(1.0f), hermite(0, 4, 4, 0, 0.5), 1e-6) << shape;
    }
    // An unknown shape contributes nothing but the offset.
    EXPECT_EQ(channel({key(1, 0, 3), key(5, 1, 9)}).evaluate(0.5f), 0.0);
}

// Every behaviour on both sides of keys that run from 1 s to 3 s, linear from 0 to 4.
TEST(Envelope, BehavioursBeforeAndAfterTheKeys) {
    struct Case {
        int behavior;
        float time;
        double expected;
    };
    const Case cases[] = {
        {kBehaviorReset, 0.0f, 0.0},         {kBehaviorReset, 4.0f, 0.0},
        {kBehaviorConstant, 0.0f, 0.0},      {kBehaviorConstant, 4.0f, 4.0},
        {kBehaviorRepeat, 3.5f, 1.0},        {kBehaviorRepeat, 0.5f, 3.0},
        {kBehaviorRepeat, 7.5f, 1.0},        {kBehaviorOscillate, 3.5f, 3.0},
        {kBehaviorOscillate, 5.5f, 1.0},     {kBehaviorOscillate, 0.5f, 1.0},
        {kBehaviorOffsetRepeat, 3.5f, 5.0},  {kBehaviorOffsetRepeat, 0.5f, -1.0},
        {kBehaviorOffsetRepeat, 7.5f, 13.0}, {kBehaviorLinear, 4.0f, 6.0},
        {kBehaviorLinear, 0.0f, -2.0},       {17, 5.0f, 8.0},
    };
    for (const Case& k : cases) {
        const EnvelopeChannel c =
            channel({key(0, 1, kShapeLinear), key(4, 3, kShapeLinear)}, k.behavior, k.behavior);
        EXPECT_NEAR(c.evaluate(k.time), k.expected, 1e-6)
            << "behaviour " << k.behavior << " at " << k.time;
    }
}

// The cases the keys from time 0 give, as the scenes have them.
TEST(Envelope, RepeatsOfKeysFromTimeZero) {
    const EnvelopeChannel repeat =
        channel({key(0, 0, kShapeTCB), key(3, 1, kShapeTCB), key(4, 2, kShapeTCB)}, kBehaviorRepeat,
                kBehaviorRepeat);
    EXPECT_NEAR(repeat.evaluate(2.5f), repeat.evaluate(0.5f), 1e-6);
    EnvelopeChannel oscillate = repeat;
    oscillate.post = kBehaviorOscillate;
    EXPECT_NEAR(oscillate.evaluate(2.5f), oscillate.evaluate(1.5f), 1e-6);
    EnvelopeChannel offset = repeat;
    offset.pre = offset.post = kBehaviorOffsetRepeat;
    EXPECT_NEAR(offset.evaluate(2.5f), offset.evaluate(0.5f) + 4.0, 1e-6);
    EXPECT_NEAR(offset.evaluate(-0.5f), offset.evaluate(1.5f) - 4.0, 1e-6);
}

TEST(Envelope, WrapTimeCountsWholePeriods) {
    double n = 0;
    EXPECT_DOUBLE_EQ(wrapTime(2.5, 0, 2, &n), 0.5);
    EXPECT_EQ(n, 1.0);
    EXPECT_DOUBLE_EQ(wrapTime(-0.5, 0, 2, &n), 1.5);
    EXPECT_EQ(n, -1.0);
    EXPECT_EQ(wrapTime(9.0, 4, 4, &n), 4.0);
    EXPECT_EQ(n, 0.0);
}

}  // namespace
