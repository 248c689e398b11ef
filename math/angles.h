// angles.h - rotation angles for OpenGL from large times.
//
// An angle like 57 * t, with t a time shifted by thousands of seconds per music accent, is
// worked out in double precision and brought into [0, 360) before it becomes a float: a float
// time near 250000 s only moves in steps of 1/64 s, and glRotatef's float angle would lose the
// same again.
#pragma once

#include <cmath>

inline float wrapDegrees(double degrees) {
    double reduced = std::fmod(degrees, 360.0);
    if (reduced < 0.0) reduced += 360.0;
    return static_cast<float>(reduced);
}
