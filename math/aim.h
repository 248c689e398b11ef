// aim.h - the yaw and pitch that turn an object to point along a direction.
//
// Objects such as arrows are modelled pointing along -z. Rotating by yaw about y after
// pitching about x (glRotatef(yaw) then glRotatef(pitch), in degrees) turns -z onto the
// direction: pitch lifts it to the direction's height, yaw swings it round to its bearing.
// The arrow effects aim with it, and so can anything that follows a path.
#pragma once

#include "math/vector3.h"

struct AimAngles {
    float yaw;    // radians, about the y axis
    float pitch;  // radians, about the x axis
};

// The angles for a direction of any non-zero length (it is normalised here). Rounding can push
// the sines just past 1; they are clamped, so the angles are always finite. A direction
// straight up or down has no bearing: its yaw is 0. A zero direction gives yaw and pitch 0.
AimAngles aimAlong(const Vector3& direction);
// The same, false (out untouched) for a direction with no length to aim along: zero or not
// finite. Path alignment uses it to fall back on another direction.
bool aimAlong(const Vector3& direction, AimAngles& out);

// Radians to degrees for glRotatef: times 180 and the single-precision 1/pi.
inline float radiansToDegrees(float radians) {
    return radians * 180.0f * 0.31830987f;
}
