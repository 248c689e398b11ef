// part_shockwave.cpp - orders 24-25: the rippling sphere-mapped sphere, jumping with every
// accent.
#include <GL/gl.h>

#include "demo/logo_overlay.h"
#include "demo/parts.h"
#include "effects/overlay.h"
#include "effects/shockwave_effect.h"

void partShockwave(float time, float frameTime) {
    glPushAttrib(kAllAttributeGroups);
    const float t = accentShiftedTime(time, 34.6f);
    beginLetterboxClip();
    drawLetterbox("textures\\design-clogo-pude-back.jpg");
    glTranslatef(-0.9f, 0.0f, -4.0f);
    g_shockwave.render(t, frameTime);
    endLetterboxClip();
    g_logoOverlay.draw(t, frameTime, 2);
    glPopAttrib();
}
