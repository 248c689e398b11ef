// part_arrow_shock.cpp - orders 13-15: arrows striking a rippling sphere over a scrolling
// letterbox.
#include <GL/gl.h>

#include "demo/logo_overlay.h"
#include "demo/parts.h"
#include "effects/arrow_shock_effect.h"
#include "effects/overlay.h"
#include "texture/texture_cache.h"

void partArrowShock(float time, float frameTime) {
    glPushAttrib(kAllAttributeGroups);
    beginLetterboxClip();
    // The letterbox scrolls sideways by one picture width every 10 seconds.
    g_textureCache.bind("textures\\design-work-scroller.jpg");
    drawOverlayQuadUV(0.0f, kLetterboxTop, 640.0f, kLetterboxBottom, 0.1f * time, 0.0f, 1.0f, 1.0f,
                      false);
    glLoadIdentity();
    glTranslatef(0.5f, 0.0f, -5.0f);
    g_arrowShock.render(time, frameTime);
    endLetterboxClip();
    g_logoOverlay.draw(time, frameTime, 2);
    glPopAttrib();
}
