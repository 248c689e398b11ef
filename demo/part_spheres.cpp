// part_spheres.cpp - orders 11-12: eight chrome spheres reflecting a sky and each other.
#include <GL/gl.h>

#include "demo/logo_overlay.h"
#include "demo/parts.h"
#include "effects/reflect_spheres_effect.h"

void partSpheres(float time, float frameTime) {
    glPushAttrib(kAllAttributeGroups);
    const float t = accentShiftedTime(time, 34.6f);
    g_reflectSpheres.render(t, frameTime);
    g_logoOverlay.draw(t, frameTime, 1);
    glPopAttrib();
}
