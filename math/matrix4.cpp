#include "math/matrix4.h"

#include <cmath>

namespace {

// Degrees to radians with the single-precision factors the program has always used:
// 3.14159 as written and 1/180 rounded to float, multiplied in that order. The product
// and everything after it is carried in extended precision.
long double radians(float degrees) {
    return static_cast<long double>(degrees) * 3.14159f * 0.0055555557f;
}

// Rows i and j become (c*row_i - s*row_j, s*row_i + c*row_j), reading both before writing.
void rotateRows(float* m, int i, int j, float degrees) {
    const long double angle = radians(degrees);
    const long double c = cosl(angle);
    const long double s = sinl(angle);
    for (int k = 0; k < 4; ++k) {
        const long double a = m[4 * i + k];
        const long double b = m[4 * j + k];
        m[4 * i + k] = static_cast<float>(c * a - s * b);
        m[4 * j + k] = static_cast<float>(s * a + c * b);
    }
}

}  // namespace

void Matrix4::setIdentity() {
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void Matrix4::setZero() {
    for (float& v : m) v = 0.0f;
}

void Matrix4::translate(float x, float y, float z) {
    const float t[3] = {x, y, z};
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 4; ++k) m[4 * r + k] += t[r] * m[12 + k];
}

void Matrix4::rotateX(float degrees) {
    rotateRows(m, 1, 2, degrees);
}

// Ry has +s at (0, 2): new row 0 = c*row0 + s*row2, new row 2 = c*row2 - s*row0,
// which is the shared form with the rows taken as (2, 0).
void Matrix4::rotateY(float degrees) {
    rotateRows(m, 2, 0, degrees);
}

void Matrix4::rotateZ(float degrees) {
    rotateRows(m, 0, 1, degrees);
}

void Matrix4::transformPoint(Vector3& p) const {
    const float x = p.x, y = p.y, z = p.z;
    p.x = (m[0] * x + m[3]) + m[1] * y + m[2] * z;
    p.y = (m[4] * x + m[7]) + m[5] * y + m[6] * z;
    p.z = (m[8] * x + m[11]) + m[9] * y + m[10] * z;
}

Matrix4& add(const Matrix4& a, const Matrix4& b, Matrix4& out) {
    for (int i = 0; i < 16; ++i) out.m[i] = a.m[i] + b.m[i];
    return out;
}
