// part_twist_torus.cpp - orders 8-9: the torus knot wringing itself, thrown sideways and its
// time jumping on every accent, under the title that landed in order 7.
#include <GL/gl.h>

#include "demo/logo_overlay.h"
#include "demo/parts.h"
#include "demo/twist_mesh.h"
#include "effects/overlay.h"
#include "texture/texture_cache.h"

void partTwistTorus(float time, float frameTime) {
    glPushAttrib(kAllAttributeGroups);
    drawLetterbox("textures\\design-clogo-creativity-back.jpg");
    const float t = accentShiftedTime(time, 34.6f);
    g_textureCache.bind("textures\\testenvmap-green.jpg");
    glTranslatef(0.0f, 0.0f, -3.5f);
    beginLetterboxClip();  // what reaches under the logo bars would not be seen
    g_twistTorus.draw(t, frameTime, 1.4f);
    endLetterboxClip();
    g_logoOverlay.draw(t, frameTime, 3);
    g_textureCache.bind("textures\\title.png");
    drawOverlayQuad(100.0f, 100.0f, 540.0f, 140.0f, true);
    glPopAttrib();
}
