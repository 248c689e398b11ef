// scene_motion.cpp - an item's transform at a time, from its envelope (no OpenGL).
#include <cfloat>
#include <cmath>

#include "scene/scene.h"

namespace {

// Scene numbers are input: a float for OpenGL that is never NaN and never out of range.
float glFloat(double v) {
    if (!(v == v)) return 0.0f;
    if (v > FLT_MAX) return FLT_MAX;
    if (v < -FLT_MAX) return -FLT_MAX;
    return float(v);
}

double clampedAsin(double v) {
    return std::asin(v < -1.0 ? -1.0 : v > 1.0 ? 1.0 : v);
}

Vector3 positionAt(const Envelope& e, float time) {
    return Vector3(glFloat(e.evaluate(kChannelX, time)), glFloat(e.evaluate(kChannelY, time)),
                   glFloat(-e.evaluate(kChannelZ, time)));
}

}  // namespace

bool headingPitchAlong(const Vector3& direction, double& heading, double& pitch) {
    const double x = direction.x, y = direction.y, z = direction.z;
    const double length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0) || !std::isfinite(length)) return false;
    const double dx = x / length, dy = y / length, dz = z / length;
    const double across = std::sqrt(dx * dx + dz * dz);
    if (across > 0.0) {
        // Facing -z needs no turn; facing +z a half turn.
        const double hx = dx / across;
        heading = dz / across > 0.0 ? clampedAsin(hx) + double(3.1415927f) : -clampedAsin(hx);
    } else {
        heading = 0.0;  // straight up or down: any heading will do
    }
    pitch = clampedAsin(dy);
    return true;
}

ItemMotion Scene::motion(const SceneItem& item, float time) const {
    ItemMotion m;
    if (item.envelope < 0 || item.envelope >= int(envelopes.size())) return m;
    const Envelope& e = envelopes[item.envelope];
    m.position = positionAt(e, time);
    if (e.channelCount() > kChannelScaleX) {
        m.scaled = true;
        m.scale = Vector3(glFloat(e.evaluate(kChannelScaleX, time, 1.0)),
                          glFloat(e.evaluate(kChannelScaleY, time, 1.0)),
                          glFloat(e.evaluate(kChannelScaleZ, time, 1.0)));
    }
    if (item.pathLookAhead > 0.0f) {
        // Along the path: towards where the item will be, or on from where it was when it
        // comes to rest; facing ahead when it never moves.
        const Vector3 ahead = positionAt(e, time + item.pathLookAhead);
        const Vector3 behind = positionAt(e, time - item.pathLookAhead);
        Vector3 d;
        double heading = 0.0, pitch = 0.0;
        if (!headingPitchAlong(subtract(ahead, m.position, d), heading, pitch))
            headingPitchAlong(subtract(m.position, behind, d), heading, pitch);
        m.heading = glFloat(heading);
        m.pitch = glFloat(pitch);
        m.bank = 0.0f;
    } else {
        m.heading = glFloat(-e.evaluate(kChannelHeading, time));
        m.pitch = glFloat(-e.evaluate(kChannelPitch, time));
        m.bank = glFloat(e.evaluate(kChannelBank, time));
    }
    return m;
}
