#include <cmath>

#include <gtest/gtest.h>

#include "math/matrix4.h"
#include "math/plane.h"
#include "math/random.h"
#include "math/vector2.h"
#include "math/vector3.h"

namespace {

Matrix4 identity() {
    Matrix4 m;
    m.setIdentity();
    return m;
}

// Plain row-major product, the reference the in-place operations must agree with.
Matrix4 product(const Matrix4& a, const Matrix4& b) {
    Matrix4 out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += double(a.m[4 * r + k]) * b.m[4 * k + c];
            out.m[4 * r + c] = float(sum);
        }
    return out;
}

Matrix4 rotationZ(float degrees) {
    Matrix4 m = identity();
    m.rotateZ(degrees);
    return m;
}

Matrix4 rotationX(float degrees) {
    Matrix4 m = identity();
    m.rotateX(degrees);
    return m;
}

void expectNear(const Vector3& v, float x, float y, float z, float tolerance = 1e-5f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

TEST(Matrix4, IdentityAndTranslationActOnPoints) {
    Matrix4 m = identity();
    Vector3 p(1.5f, -2.0f, 3.25f);
    m.transformPoint(p);
    expectNear(p, 1.5f, -2.0f, 3.25f, 0.0f);

    m.translate(10.0f, 20.0f, 30.0f);
    EXPECT_EQ(m.m[3], 10.0f);
    EXPECT_EQ(m.m[7], 20.0f);
    EXPECT_EQ(m.m[11], 30.0f);
    m.transformPoint(p);
    expectNear(p, 11.5f, 18.0f, 33.25f, 0.0f);
}

TEST(Matrix4, RotationsTurnTheAxesTheRightWay) {
    Vector3 p(1, 0, 0);
    rotationZ(90).transformPoint(p);
    expectNear(p, 0, 1, 0);

    p = Vector3(0, 1, 0);
    rotationX(90).transformPoint(p);
    expectNear(p, 0, 0, 1);

    Matrix4 y = identity();
    y.rotateY(90);
    p = Vector3(0, 0, 1);
    y.transformPoint(p);
    expectNear(p, 1, 0, 0);
}

TEST(Matrix4, EachNewTransformAppliesOnTheLeft) {
    // Start from a matrix with every element distinct so a row mix-up shows.
    Matrix4 m;
    for (int i = 0; i < 16; ++i) m.m[i] = float(i + 1) * 0.25f;
    const Matrix4 start = m;

    m.rotateX(30);
    m.rotateZ(75);
    m.translate(1, 2, 3);

    Matrix4 t = identity();
    t.translate(1, 2, 3);
    const Matrix4 expected = product(t, product(rotationZ(75), product(rotationX(30), start)));
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.m[i], expected.m[i], 1e-4f) << "element " << i;
    // Row 3 is never touched by a translation or a rotation.
    for (int i = 12; i < 16; ++i) EXPECT_EQ(m.m[i], start.m[i]);
}

TEST(Matrix4, DegreesUseTheSinglePrecisionFactors) {
    // 3.14159 is not pi: half a turn with the float 1/180 leaves a sine of about 2.46e-6, not about
    // -8.7e-8.
    const Matrix4 m = rotationZ(180);
    EXPECT_NEAR(m.m[4], 2.4591e-6f, 2e-9f);
    EXPECT_NEAR(m.m[0], -1.0f, 1e-6f);
}

TEST(Matrix4, SumAndZero) {
    Matrix4 a = identity(), b, out;
    b.setZero();
    b.m[5] = 2.0f;
    add(a, b, out);
    EXPECT_EQ(out.m[0], 1.0f);
    EXPECT_EQ(out.m[5], 3.0f);
    EXPECT_EQ(out.m[1], 0.0f);
}

TEST(Vector3, ArithmeticReturnsTheNewValue) {
    Vector3 v(1, 2, 3);
    const Vector3 copy = (v += Vector3(1, 1, 1));
    expectNear(copy, 2, 3, 4, 0);
    expectNear(v *= 2.0f, 4, 6, 8, 0);
    expectNear(v -= Vector3(4, 6, 8), 0, 0, 0, 0);

    Vector3 out;
    expectNear(cross(Vector3(1, 0, 0), Vector3(0, 1, 0), out), 0, 0, 1, 0);
    Vector3 a(1, 2, 3);
    cross(a, Vector3(4, 5, 6), a);  // result may alias an operand
    expectNear(a, -3, 6, -3, 0);
    EXPECT_EQ(dot(Vector3(1, 2, 3), Vector3(4, 5, 6)), 32.0f);
    expectNear(negate(Vector3(1, -2, 3), out), -1, 2, -3, 0);
    expectNear(multiply(Vector3(1, 2, 3), Vector3(2, 3, 4), out), 2, 6, 12, 0);
}

TEST(Vector3, LengthIsDoubleAndNormalizeUsesTheReciprocal) {
    Vector3 v(3, 4, 12);
    EXPECT_DOUBLE_EQ(v.length(), 13.0);
    // A vector whose x, divided by the length, rounds to another float than x times the
    // reciprocal of the length.
    Vector3 w(0x1.575f7p+0f, 0x1.70710ep+2f, 2.0f);
    w.normalize();
    EXPECT_EQ(w.x, 0x1.b833dp-3f) << "x / length would give 0x1.b833cep-3";
    EXPECT_EQ(w.y, 0x1.d8572ap-1f);
    EXPECT_NEAR(w.length(), 1.0, 1e-7);
}

TEST(Vectors, QuotientGoesThroughTheReciprocal) {
    // Find operands where a / b and (1 / b) * a round differently: the program must give the
    // latter, bit for bit.
    int differing = 0;
    for (int i = 1; i < 200; ++i) {
        const float a = 1.0f + i * 0.37f, b = 3.0f + i * 0.11f;
        Vector3 out;
        divide(Vector3(a, a, a), Vector3(b, b, b), out);
        EXPECT_EQ(out.x, (1.0f / b) * a);
        Vector2 out2;
        divide(Vector2(a, a), Vector2(b, b), out2);
        EXPECT_EQ(out2.y, (1.0f / b) * a);
        if (out.x != a / b) ++differing;
    }
    EXPECT_GT(differing, 0);
}

TEST(Vector2, Basics) {
    Vector2 v(3, 4);
    EXPECT_DOUBLE_EQ(v.length(), 5.0);
    v.normalize();
    EXPECT_NEAR(v.x, 0.6f, 1e-7f);
    Vector2 out;
    EXPECT_EQ(dot(Vector2(1, 2), Vector2(3, 4)), 11.0f);
    EXPECT_EQ(add(Vector2(1, 2), Vector2(3, 4), out).y, 6.0f);
    EXPECT_EQ(scale(Vector2(1, 2), 3, out).y, 6.0f);
}

TEST(Plane, NormalizeScalesDistanceToo) {
    Plane p(0, 3, 4, 10);
    EXPECT_FLOAT_EQ(p.distanceTo(0, 0, 0), 2.0f);
    EXPECT_FLOAT_EQ(p.valueAt(0, 0, 0), 10.0f);
    p.normalize();
    EXPECT_FLOAT_EQ(p.b, 0.6f);
    EXPECT_FLOAT_EQ(p.d, 2.0f);
    EXPECT_FLOAT_EQ(p.valueAt(0, 1, 0), 2.6f);
    const Plane cleared;
    EXPECT_EQ(cleared.a + cleared.b + cleared.c + cleared.d, 0.0f);
}

TEST(Random, SameSequenceAsTheReferenceGenerator) {
    demoSrand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int e : expected) EXPECT_EQ(demoRand(), e);
    demoSrand(1);
    EXPECT_EQ(demoRand(), 41);
    for (int i = 0; i < 10000; ++i) {
        const int r = demoRand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, kDemoRandMax);
    }
}

}  // namespace
