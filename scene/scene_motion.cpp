// scene_motion.cpp - an item's transform at a time, from its envelope (no OpenGL).
#include <cfloat>
#include <cmath>

#include "math/aim.h"
#include "scene/scene.h"

namespace {

// Scene numbers are input: a float for OpenGL that is never NaN and never out of range.
float glFloat(double v) {
    if (!(v == v)) return 0.0f;
    if (v > FLT_MAX) return FLT_MAX;
    if (v < -FLT_MAX) return -FLT_MAX;
    return float(v);
}

Vector3 positionAt(const Envelope& e, float time) {
    return Vector3(glFloat(e.evaluate(kChannelX, time)), glFloat(e.evaluate(kChannelY, time)),
                   glFloat(-e.evaluate(kChannelZ, time)));
}

}  // namespace

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
    m.heading = glFloat(-e.evaluate(kChannelHeading, time));
    m.pitch = glFloat(-e.evaluate(kChannelPitch, time));
    m.bank = glFloat(e.evaluate(kChannelBank, time));
    if (item.pathLookAhead > 0.0f) {
        // Along the path: towards where the item will be, or on from where it was when it
        // comes to rest; facing ahead when it never moves.
        const Vector3 ahead = positionAt(e, time + item.pathLookAhead);
        const Vector3 behind = positionAt(e, time - item.pathLookAhead);
        Vector3 d;
        AimAngles aim{0.0f, 0.0f};
        if (!aimAlong(subtract(ahead, m.position, d), aim))
            aimAlong(subtract(m.position, behind, d), aim);
        if (item.pathTurns & kPathTurnsHeading) m.heading = aim.yaw;
        if (item.pathTurns & kPathTurnsPitch) m.pitch = aim.pitch;
        if (item.pathTurns & kPathLevelsBank) m.bank = 0.0f;
    }
    return m;
}
