// part_shockwave.cpp - orders 24-25: the rippling sphere-mapped sphere, jumping with every
// accent.
#include <GL/gl.h>

#include <iterator>

#include "demo/logo_overlay.h"
#include "demo/part_table.h"
#include "demo/parts.h"
#include "effects/overlay.h"
#include "effects/shockwave_effect.h"

namespace {

// The sphere's camera, in the part and in the viewer.
void shockwaveCamera() {
    glTranslatef(-0.9f, 0.0f, -4.0f);
}

void partShockwave(float time, float frameTime) {
    glPushAttrib(kAllAttributeGroups);
    const float t = accentShiftedTime(time, 34.6f);
    beginLetterboxClip();
    drawLetterbox("textures\\design-clogo-pude-back.jpg");
    shockwaveCamera();
    g_shockwave.render(t, frameTime);
    endLetterboxClip();
    g_logoOverlay.draw(t, frameTime, 2);
    glPopAttrib();
}

void drawShockwaveAlone(float time, float frameTime) {
    shockwaveCamera();
    g_shockwave.render(time, frameTime);
}

constexpr PrepareStep kSteps[] = {{6, "g_shockwave.prepare", prepareGlobal<g_shockwave>}};
constexpr EffectEntry kEntries[] = {
    {"shockwave", "a sphere-mapped sphere whose radius ripples", prepareGlobal<g_shockwave>,
     drawShockwaveAlone},
};

}  // namespace

extern const PartRow kShockwavePart = {
    "shockwave", 24, 25, partShockwave, kSteps, std::size(kSteps), kEntries, std::size(kEntries)};
