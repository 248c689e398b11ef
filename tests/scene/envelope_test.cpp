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

// A two-dimensional Bezier key: its handles as time and value offsets, incoming then outgoing.
EnvelopeKey bezier2D(float value, float time, float inTime, float inValue, float outTime,
                     float outValue) {
    EnvelopeKey k = key(value, time, kShapeBezier2D, inTime, inValue, outTime);
    k.p[3] = outValue;
    return k;
}

// Four TCB keys, unequally spaced, every one with its own tension, continuity and bias:
//   k0 (value 0, time 0; T 0.5, C -0.5, B -0.5)   k1 (2, 1; 0.5, 0.5, 0.5)
//   k2 (6, 3; -0.5, -0.5, 0.5)                     k3 (4, 3.5; 0, 0.5, -0.5)
// Leaving a key: a = (1-T)(1+C)(1+B), b = (1-T)(1-C)(1-B) of that key, tangent
//   s * (a * (v0 - prev) + b * d) with s = (t1 - t0) / (t1 - tprev), or b * d without a prev.
// Arriving at a key: a = (1-T)(1-C)(1+B), b = (1-T)(1+C)(1-B) of that key, tangent
//   s * (a * d + b * (next - v1)) with s = (t1 - t0) / (tnext - t0), or a * d without a next.
// Span k0-k1 (d 2):  out = b0 * 2 = 0.5 * 1.5 * 1.5 * 2 = 2.25
//                    in = 1/3 * (0.375 * 2 + 0.375 * 4) = 0.75
// Span k1-k2 (d 4):  out = 2/3 * (1.125 * 2 + 0.125 * 4) = 11/6
//                    in = 2/2.5 * (3.375 * 4 + 0.375 * (4 - 6)) = 10.2
// Span k2-k3 (d -2): out = 0.5/2.5 * (1.125 * 4 + 1.125 * -2) = 0.45
//                    in = a3 * d = (1 - 0)(1 - 0.5)(1 - 0.5) * -2 = -0.5
// Hermite weights: h2 = 3u^2 - 2u^3, h1 = 1 - h2, h3 = u^3 - 2u^2 + u, h4 = u^3 - u^2;
// u = 0.5 gives (0.5, 0.5, 0.125, -0.125), u = 0.25 gives (0.84375, 0.15625, 0.140625,
// -0.046875), u = 0.75 gives (0.15625, 0.84375, 0.046875, -0.140625).
TEST(Envelope, TcbKeysWithNeighboursOnBothSides) {
    const EnvelopeChannel c = channel(
        {key(0, 0, kShapeTCB, 0.5f, -0.5f, -0.5f), key(2, 1, kShapeTCB, 0.5f, 0.5f, 0.5f),
         key(6, 3, kShapeTCB, -0.5f, -0.5f, 0.5f), key(4, 3.5f, kShapeTCB, 0, 0.5f, -0.5f)});
    const double cases[][2] = {
        {0.5, 0.5 * 2 + 0.125 * 2.25 - 0.125 * 0.75},                            // 1.1875
        {1.0, 2.0},                                                              // on a key
        {1.5, 0.84375 * 2 + 0.15625 * 6 + 0.140625 * 11 / 6 - 0.046875 * 10.2},  // 2.4046875
        {2.0, 0.5 * 2 + 0.5 * 6 + 0.125 * 11 / 6 - 0.125 * 10.2},                // 2.9541667
        {2.5, 0.15625 * 2 + 0.84375 * 6 + 0.046875 * 11 / 6 - 0.140625 * 10.2},  // 4.0265625
        {3.0, 6.0},
        {3.25, 0.5 * 6 + 0.5 * 4 + 0.125 * 0.45 - 0.125 * -0.5},  // 5.11875
    };
    for (const auto& k : cases) EXPECT_NEAR(c.evaluate(float(k[0])), k[1], 1e-9) << k[0];
}

TEST(Envelope, OtherShapes) {
    struct Case {
        const char* what;
        EnvelopeChannel c;
        float time;
        double expected;
    };
    const Case cases[] = {
        {"linear", channel({key(0, 0, kShapeLinear), key(10, 1, kShapeLinear)}), 0.25f, 2.5},
        {"no keys", channel({}), 3.0f, 0.0},
        {"one key", channel({key(7, 2, kShapeTCB)}), -5.0f, 7.0},
        // Stepped holds the value before it up to its own time.
        {"stepped", channel({key(1, 0, kShapeStepped), key(5, 2, kShapeStepped)}), 1.999f, 1.0},
        // Hermite and Bezier keys have no tangents: 0.84375 * 0 + 0.15625 * 4.
        {"hermite", channel({key(0, 0, 1), key(4, 2, 1), key(0, 4, 1)}), 0.5f, 0.625},
        {"bezier", channel({key(0, 0, 2), key(4, 2, 2), key(0, 4, 2)}), 0.5f, 0.625},
        // A linear key leaving towards a TCB key: out = 2/3 * (2 - 1 + 4) = 10/3 with its prev;
        // in = (1 - 0.5) * 4 = 2: 0.5 * 2 + 0.5 * 6 + 0.125 * 10/3 - 0.125 * 2.
        {"linear into TCB",
         channel({key(1, 0, kShapeLinear), key(2, 1, kShapeLinear), key(6, 3, kShapeTCB, 0.5f)}),
         2.0f, 4.0 + 1.25 / 3 - 0.25},
        // Two-dimensional Bezier spans from 0 at 0 s to 3 at 1 s. Handles a third of the span
        // along the straight line draw the line; flat handles at the thirds draw the Hermite
        // ease, 3 * (3u^2 - 2u^3) = 0.46875 at u = 0.25.
        {"2D bezier, straight",
         channel({bezier2D(0, 0, 0, 0, 1 / 3.0f, 1), bezier2D(3, 1, -1 / 3.0f, -1, 0, 0)}), 0.25f,
         0.75},
        {"2D bezier, flat",
         channel({bezier2D(0, 0, 0, 0, 1 / 3.0f, 0), bezier2D(3, 1, -1 / 3.0f, 0, 0, 0)}), 0.25f,
         0.46875},
        // Handles late in time: at the curve's middle, time (3 * 0.9 + 3 * 0.9 + 1) / 8 = 0.8,
        // value (3 * 3 + 3) / 8 = 1.5.
        {"2D bezier, late handles",
         channel({bezier2D(0, 0, 0, 0, 0.9f, 0), bezier2D(3, 1, -0.1f, 0, 0, 0)}), 0.8f, 1.5},
        // From a linear key, whose tangent without a previous key is the whole rise: the
        // straight line again.
        {"2D bezier after linear",
         channel({key(0, 0, kShapeLinear), bezier2D(3, 1, -1 / 3.0f, -1, 0, 0)}), 0.5f, 1.5},
        // An unknown shape gives the offset only.
        {"unknown shape", channel({key(1, 0, 3), key(5, 1, 9)}), 0.5f, 0.0},
    };
    for (const Case& k : cases) EXPECT_NEAR(k.c.evaluate(k.time), k.expected, 1e-6) << k.what;
}

// Every behaviour on both sides of keys that run from 1 s to 3 s, linear from 0 to 4. Whole
// periods of 2 s are counted from the first key.
TEST(Envelope, BehavioursBeforeAndAfterTheKeys) {
    const struct {
        int pre, post;
        float time;
        double expected;
    } cases[] = {
        // The other side is linear or reset, whichever differs here: pre and post are each
        // their own side's.
        {kBehaviorReset, 5, 0.0f, 0.0},         {5, kBehaviorReset, 4.0f, 0.0},
        {kBehaviorConstant, 5, 0.0f, 0.0},      {5, kBehaviorConstant, 4.0f, 4.0},
        {kBehaviorRepeat, 5, 0.5f, 3.0},        {5, kBehaviorRepeat, 3.5f, 1.0},
        {5, kBehaviorRepeat, 7.5f, 1.0},        {5, kBehaviorOscillate, 3.5f, 3.0},
        {5, kBehaviorOscillate, 5.5f, 1.0},     {kBehaviorOscillate, 5, 0.5f, 1.0},
        {kBehaviorOscillate, 5, -1.5f, 3.0},    {0, kBehaviorOffsetRepeat, 3.5f, 5.0},
        {kBehaviorOffsetRepeat, 0, 0.5f, -1.0}, {0, kBehaviorOffsetRepeat, 7.5f, 13.0},
        {0, kBehaviorOffsetRepeat, 5.0f, 8.0},  {0, kBehaviorLinear, 4.0f, 6.0},
        {kBehaviorLinear, 0, 0.0f, -2.0},       {0, 17, 5.0f, 8.0},
    };
    for (const auto& k : cases) {
        const EnvelopeChannel c =
            channel({key(0, 1, kShapeLinear), key(4, 3, kShapeLinear)}, k.pre, k.post);
        EXPECT_NEAR(c.evaluate(k.time), k.expected, 1e-6)
            << "behaviours " << k.pre << " " << k.post << " at " << k.time;
    }
}

TEST(Envelope, WrapTimeCountsWholePeriods) {
    const double cases[][5] = {
        // v, lo, hi, result, periods
        {2.5, 0, 2, 0.5, 1},
        {-0.5, 0, 2, 1.5, -1},
        {9.5, 1, 3, 1.5, 4},
        {9, 4, 4, 4, 0},
    };
    for (const auto& k : cases) {
        double n = 99;
        EXPECT_DOUBLE_EQ(wrapTime(k[0], k[1], k[2], &n), k[3]) << k[0];
        EXPECT_EQ(n, k[4]) << k[0];
    }
}

}  // namespace
