// vector3.h - three-component float vector: points, normals, colours, motion positions.
#pragma once

#include <cmath>

struct Vector3 {
    float x, y, z;

    // Leaves the components unset, like a plain struct: mesh arrays are built with it, and a
    // member of a global object keeps the zeroed static storage.
    Vector3() {}
    Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    static Vector3 zero() { return Vector3(0.0f, 0.0f, 0.0f); }

    Vector3 operator+=(const Vector3& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    Vector3 operator-=(const Vector3& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
    Vector3 operator*=(float f) {
        x *= f;
        y *= f;
        z *= f;
        return *this;
    }

    double length() const { return std::sqrt(static_cast<double>(x * x + y * y + z * z)); }

    // Scales by the reciprocal of the length: one division, then multiplications.
    void normalize() {
        const double k = 1.0 / length();
        x = static_cast<float>(x * k);
        y = static_cast<float>(y * k);
        z = static_cast<float>(z * k);
    }
};

inline Vector3& subtract(const Vector3& a, const Vector3& b, Vector3& out) {
    out.x = a.x - b.x;
    out.y = a.y - b.y;
    out.z = a.z - b.z;
    return out;
}

inline Vector3& add(const Vector3& a, const Vector3& b, Vector3& out) {
    out.x = a.x + b.x;
    out.y = a.y + b.y;
    out.z = a.z + b.z;
    return out;
}

inline Vector3& scale(const Vector3& a, float f, Vector3& out) {
    out.x = a.x * f;
    out.y = a.y * f;
    out.z = a.z * f;
    return out;
}

inline Vector3& negate(const Vector3& a, Vector3& out) {
    out.x = -a.x;
    out.y = -a.y;
    out.z = -a.z;
    return out;
}

// Safe when out aliases a or b: the operands are read before anything is written.
inline Vector3& cross(const Vector3& a, const Vector3& b, Vector3& out) {
    const float x = a.y * b.z - a.z * b.y;
    const float y = a.z * b.x - a.x * b.z;
    const float z = a.x * b.y - a.y * b.x;
    out.x = x;
    out.y = y;
    out.z = z;
    return out;
}

inline float dot(const Vector3& a, const Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline Vector3& multiply(const Vector3& a, const Vector3& b, Vector3& out) {
    out.x = a.x * b.x;
    out.y = a.y * b.y;
    out.z = a.z * b.z;
    return out;
}

// Through the reciprocal, so the result may differ from a / b in the last bit.
inline Vector3& divide(const Vector3& a, const Vector3& b, Vector3& out) {
    out.x = (1.0f / b.x) * a.x;
    out.y = (1.0f / b.y) * a.y;
    out.z = (1.0f / b.z) * a.z;
    return out;
}
