#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "math/angles.h"
#include "math/matrix4.h"
#include "math/plane.h"
#include "math/random.h"
#include "math/vector2.h"
#include "math/vector3.h"

namespace {

void expectNear(const Vector3& v, float x, float y, float z, float tolerance = 0.0f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

// Every operation on the matrix whose rows are (1 2 3 4), (5 6 7 8), (9 10 11 12),
// (13 14 15 16), against the product worked out by hand. Rotations act on rows (M := R * M);
// cos 90 is about 1.3e-6 with the program's 3.14159, hence the tolerance.
TEST(Matrix4, OperationsAgainstHandWorkedProducts) {
    const float c = 0.8660254f;  // cos 30; sin 30 = 0.5
    const struct {
        const char* what;
        std::function<void(Matrix4&)> op;
        float expected[16];
    } cases[] = {
        // Row r += t_r * row 3.
        {"translate (1, 2, 3)",
         [](Matrix4& m) { m.translate(1, 2, 3); },
         {14, 16, 18, 20, 31, 34, 37, 40, 48, 52, 56, 60, 13, 14, 15, 16}},
        // Rz(90): row 0 = -row 1, row 1 = row 0.
        {"rotate z 90",
         [](Matrix4& m) { m.rotateZ(90); },
         {-5, -6, -7, -8, 1, 2, 3, 4, 9, 10, 11, 12, 13, 14, 15, 16}},
        // Rx(90): row 1 = -row 2, row 2 = row 1.
        {"rotate x 90",
         [](Matrix4& m) { m.rotateX(90); },
         {1, 2, 3, 4, -9, -10, -11, -12, 5, 6, 7, 8, 13, 14, 15, 16}},
        // Ry(90): row 0 = row 2, row 2 = -row 0.
        {"rotate y 90",
         [](Matrix4& m) { m.rotateY(90); },
         {9, 10, 11, 12, 5, 6, 7, 8, -1, -2, -3, -4, 13, 14, 15, 16}},
        // Rz(30): row 0 = c*row0 - 0.5*row1, row 1 = 0.5*row0 + c*row1.
        {"rotate z 30",
         [](Matrix4& m) { m.rotateZ(30); },
         {c - 2.5f, 2 * c - 3, 3 * c - 3.5f, 4 * c - 4, 0.5f + 5 * c, 1 + 6 * c, 1.5f + 7 * c,
          2 + 8 * c, 9, 10, 11, 12, 13, 14, 15, 16}},
        {"identity",
         [](Matrix4& m) { m.setIdentity(); },
         {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}},
        {"zero", [](Matrix4& m) { m.setZero(); }, {}},
        // M + M, element by element.
        {"sum",
         [](Matrix4& m) { add(Matrix4(m), Matrix4(m), m); },
         {2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32}},
    };
    for (const auto& k : cases) {
        Matrix4 m;
        for (int i = 0; i < 16; ++i) m.m[i] = float(i + 1);
        k.op(m);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(m.m[i], k.expected[i], 1e-4f) << k.what << " " << i;
    }
}

TEST(Matrix4, TransformPointAndTheSinglePrecisionDegrees) {
    Matrix4 m;
    for (int i = 0; i < 16; ++i) m.m[i] = float(i + 1);
    // (1, 2, 3): x = (1 + 4) + 2*2 + 3*3, y = (5 + 8) + 6*2 + 7*3, z = (9 + 12) + 10*2 + 11*3.
    Vector3 p(1, 2, 3);
    m.transformPoint(p);
    expectNear(p, 18, 46, 74);

    // Half a turn with 3.14159 and the float 1/180 leaves a sine of about 2.4591e-6, where pi
    // would leave -8.7e-8.
    m.setIdentity();
    m.rotateZ(180);
    EXPECT_NEAR(m.m[4], 2.4591e-6f, 2e-9f);
    EXPECT_NEAR(m.m[0], -1.0f, 1e-6f);
}

TEST(Vector3, Operations) {
    Vector3 v(1, 2, 3);
    expectNear(v += Vector3(1, 1, 1), 2, 3, 4);  // the new value is returned
    expectNear(v *= 2.0f, 4, 6, 8);
    expectNear(v -= Vector3(1, 2, 4), 3, 4, 4);

    Vector3 out;
    Vector3 a(1, 2, 3);
    // (2*6 - 3*5, 3*4 - 1*6, 1*5 - 2*4), into an operand.
    expectNear(cross(a, Vector3(4, 5, 6), a), -3, 6, -3);
    expectNear(cross(Vector3(4, 5, 6), Vector3(1, 2, 3), out), 3, -6, 3);
    EXPECT_EQ(dot(Vector3(1, 2, 3), Vector3(4, -5, 6)), 12.0f);
    expectNear(negate(Vector3(1, -2, 3), out), -1, 2, -3);
    expectNear(multiply(Vector3(1, 2, 3), Vector3(2, 3, 4), out), 2, 6, 12);
    expectNear(add(Vector3(1, 2, 3), Vector3(2, 3, 5), out), 3, 5, 8);
    expectNear(subtract(Vector3(1, 2, 3), Vector3(2, 3, 5), out), -1, -1, -2);
    expectNear(scale(Vector3(1, 2, 3), -2, out), -2, -4, -6);
    expectNear(Vector3::zero(), 0, 0, 0);
}

TEST(Vector3, LengthIsDoubleAndNormalizeUsesTheReciprocal) {
    EXPECT_DOUBLE_EQ(Vector3(3, 4, 12).length(), 13.0);
    // x / length would round to 0x1.b833cep-3; x times the reciprocal gives the value below.
    Vector3 w(0x1.575f7p+0f, 0x1.70710ep+2f, 2.0f);
    w.normalize();
    EXPECT_EQ(w.x, 0x1.b833dp-3f);
    EXPECT_EQ(w.y, 0x1.d8572ap-1f);
    EXPECT_NEAR(w.length(), 1.0, 1e-7);
}

TEST(Vector2, Operations) {
    Vector2 v(3, -4), out;
    EXPECT_DOUBLE_EQ(v.length(), 5.0);
    v.normalize();
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, -0.8f);
    EXPECT_EQ((v += Vector2(1, 2)).y, 1.2f);  // the new value is returned
    EXPECT_EQ((v -= Vector2(1, 1)).x, 0.6f);
    EXPECT_EQ(dot(Vector2(1, 2), Vector2(3, -4)), -5.0f);
    EXPECT_EQ(add(Vector2(1, 2), Vector2(3, 5), out).y, 7.0f);
    EXPECT_EQ(scale(Vector2(1, 2), 3, out).x, 3.0f);
    EXPECT_EQ(multiply(Vector2(2, 3), Vector2(4, 5), out).y, 15.0f);
    EXPECT_EQ(negate(Vector2(2, -3), out).y, 3.0f);
    EXPECT_EQ(out.x, -2.0f);
}

// Pairs where a / b rounds one way and (1 / b) * a, the program's quotient, the other.
TEST(Vectors, QuotientGoesThroughTheReciprocal) {
    const Vector3 a(0x1.5eb852p+0f, 0x1.6cccccp+1f, 0x1.151eb8p+2f);
    const Vector3 b(0x1.8e147ap+1f, 0x1.c66666p+1f, 0x1.feb852p+1f);
    Vector3 out;  // a / b: 0x1.c3163ap-2, 0x1.9b0adp-1, 0x1.15d086p+0
    expectNear(divide(a, b, out), 0x1.c3163cp-2f, 0x1.9b0ad2p-1f, 0x1.15d084p+0f);
    Vector2 out2;
    EXPECT_EQ(divide(Vector2(a.y, a.x), Vector2(b.y, b.x), out2).y, 0x1.c3163cp-2f);
    EXPECT_EQ(out2.x, 0x1.9b0ad2p-1f);
}

TEST(Plane, NormalizeScalesDistanceToo) {
    Plane p(0, 3, 4, 10);
    EXPECT_FLOAT_EQ(p.distanceTo(1, 1, 1), 3.4f);  // (3 + 4 + 10) / 5
    EXPECT_FLOAT_EQ(p.valueAt(1, 2, 3), 28.0f);    // 6 + 12 + 10
    p.normalize();
    EXPECT_FLOAT_EQ(p.b, 0.6f);
    EXPECT_FLOAT_EQ(p.c, 0.8f);
    EXPECT_FLOAT_EQ(p.d, 2.0f);
}

TEST(Angles, WrapDegreesIntoOneTurn) {
    const double cases[][2] = {{725, 5}, {-30, 330}, {360, 0}, {-720, 0}, {57.0 * 250000.5, 148.5}};
    for (const auto& k : cases) EXPECT_FLOAT_EQ(wrapDegrees(k[0]), float(k[1])) << k[0];
}

TEST(Random, SameSequenceAsTheReferenceGenerator) {
    demoSrand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int e : expected) EXPECT_EQ(demoRand(), e);
    demoSrand(7);
    EXPECT_EQ(demoRand(), 61);  // (7 * 214013 + 2531011) >> 16 & 0x7FFF
}

}  // namespace
