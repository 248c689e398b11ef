// part_twist_torus.cpp - orders 8-9: the torus knot wringing itself, thrown sideways and its
// time jumping on every accent, under the title that landed in order 7.
#include <GL/gl.h>

#include <iterator>

#include "demo/logo_overlay.h"
#include "demo/part_table.h"
#include "demo/parts.h"
#include "effects/overlay.h"
#include "effects/twist_torus.h"
#include "texture/texture_cache.h"

namespace {

// The torus's mirrored picture and camera, in the part and in the viewer.
void twistTorusCamera() {
    g_textureCache.bind("textures\\testenvmap-green.jpg");
    glTranslatef(0.0f, 0.0f, -3.5f);
}

void partTwistTorus(float time, float frameTime) {
    glPushAttrib(kAllAttributeGroups);
    drawLetterbox("textures\\design-clogo-creativity-back.jpg");
    const float t = accentShiftedTime(time, 34.6f);
    twistTorusCamera();
    beginLetterboxClip();  // what reaches under the logo bars would not be seen
    g_twistTorus.draw(t, frameTime, 1.4f);
    endLetterboxClip();
    g_logoOverlay.draw(t, frameTime, 3);
    g_textureCache.bind("textures\\title.png");
    drawOverlayQuad(100.0f, 100.0f, 540.0f, 140.0f, true);
    glPopAttrib();
}

void loadTwistTorus() {
    g_twistTorus.load("lwos\\torus-loop-meta.lwo");
}

void drawTwistTorusAlone(float time, float frameTime) {
    twistTorusCamera();
    g_twistTorus.draw(time, frameTime, 1.4f);
}

constexpr PrepareStep kSteps[] = {{11, "g_twistTorus.load", loadTwistTorus}};
constexpr EffectEntry kEntries[] = {
    {"twist-torus", "torus knot wringing itself, each point turning later the farther out it is",
     loadTwistTorus, drawTwistTorusAlone},
};

}  // namespace

extern const PartRow kTwistTorusPart = {
    "twist-torus", 8, 9, partTwistTorus, kSteps, std::size(kSteps), kEntries, std::size(kEntries)};
