// plane.h - the plane a*x + b*y + c*z + d = 0 (frustum culling).
#pragma once

#include <cmath>

struct Plane {
    float a, b, c, d;

    // Unlike the vectors, a plane starts cleared.
    Plane() : a(0.0f), b(0.0f), c(0.0f), d(0.0f) {}
    Plane(float a_, float b_, float c_, float d_) : a(a_), b(b_), c(c_), d(d_) {}

    // Makes (a, b, c) unit length; d scales with it so the plane stays the same.
    void normalize() {
        const double k = 1.0 / std::sqrt(static_cast<double>(a * a + b * b + c * c));
        a = static_cast<float>(a * k);
        b = static_cast<float>(b * k);
        c = static_cast<float>(c * k);
        d = static_cast<float>(d * k);
    }

    float valueAt(float x, float y, float z) const { return a * x + b * y + c * z + d; }

    float distanceTo(float x, float y, float z) const {
        const double k = 1.0 / std::sqrt(static_cast<double>(a * a + b * b + c * c));
        return static_cast<float>(valueAt(x, y, z) * k);
    }
};
