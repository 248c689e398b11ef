#include "math/aim.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

double clampedAsin(double s) {
    return std::asin(std::min(1.0, std::max(-1.0, s)));
}

}  // namespace

AimAngles aimAlong(const Vector3& direction) {
    AimAngles aim{0.0f, 0.0f};
    aimAlong(direction, aim);
    return aim;
}

bool aimAlong(const Vector3& direction, AimAngles& out) {
    const double x = direction.x, y = direction.y, z = direction.z;
    const double length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0) || !std::isfinite(length)) return false;
    const double pitch = clampedAsin(y / length);
    // The bearing of the horizontal part; asin alone covers only the half facing -z, so the
    // half facing +z is reached by turning a further half circle.
    const double horizontal = std::sqrt(x * x + z * z);
    double yaw = 0.0;
    if (horizontal > 0.0) {
        const double wx = x / horizontal;
        const double wz = z / horizontal;
        yaw = wz > 0.0 ? clampedAsin(wx) + kPi : -clampedAsin(wx);
    }
    out = {static_cast<float>(yaw), static_cast<float>(pitch)};
    return true;
}
