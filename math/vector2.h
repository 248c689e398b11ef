// vector2.h - two-component float vector.
#pragma once

#include <cmath>

struct Vector2 {
    float x, y;

    // Leaves the components unset, like a plain struct: arrays of vectors are cheap to make.
    Vector2() {}
    Vector2(float x_, float y_) : x(x_), y(y_) {}

    static Vector2 zero() { return Vector2(0.0f, 0.0f); }

    Vector2 operator+=(const Vector2& v) {
        x += v.x;
        y += v.y;
        return *this;
    }
    Vector2 operator-=(const Vector2& v) {
        x -= v.x;
        y -= v.y;
        return *this;
    }

    double length() const { return std::sqrt(static_cast<double>(x * x + y * y)); }

    // Scales by the reciprocal of the length: one division, then multiplications.
    void normalize() {
        const double k = 1.0 / length();
        x = static_cast<float>(x * k);
        y = static_cast<float>(y * k);
    }
};

inline Vector2& add(const Vector2& a, const Vector2& b, Vector2& out) {
    out.x = a.x + b.x;
    out.y = a.y + b.y;
    return out;
}

inline Vector2& scale(const Vector2& a, float f, Vector2& out) {
    out.x = a.x * f;
    out.y = a.y * f;
    return out;
}

inline Vector2& multiply(const Vector2& a, const Vector2& b, Vector2& out) {
    out.x = a.x * b.x;
    out.y = a.y * b.y;
    return out;
}

// Through the reciprocal, so the result may differ from a / b in the last bit.
inline Vector2& divide(const Vector2& a, const Vector2& b, Vector2& out) {
    out.x = (1.0f / b.x) * a.x;
    out.y = (1.0f / b.y) * a.y;
    return out;
}

inline Vector2& negate(const Vector2& a, Vector2& out) {
    out.x = -a.x;
    out.y = -a.y;
    return out;
}

inline float dot(const Vector2& a, const Vector2& b) {
    return a.x * b.x + a.y * b.y;
}
