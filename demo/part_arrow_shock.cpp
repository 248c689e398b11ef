// part_arrow_shock.cpp - orders 13-15: arrows striking a rippling sphere over a scrolling
// letterbox.
#include <GL/gl.h>

#include <iterator>

#include "demo/logo_overlay.h"
#include "demo/part_table.h"
#include "demo/parts.h"
#include "effects/arrow_shock_effect.h"
#include "effects/overlay.h"
#include "texture/texture_cache.h"

namespace {

// The camera of the sphere and its arrows, in the part and in the viewer.
void arrowShockCamera() {
    glTranslatef(0.5f, 0.0f, -5.0f);
}

void partArrowShock(float time, float frameTime) {
    glPushAttrib(kAllAttributeGroups);
    beginLetterboxClip();
    // The letterbox scrolls sideways by one picture width every 10 seconds.
    g_textureCache.bind("textures\\design-work-scroller.jpg");
    drawOverlayQuadUV(0.0f, kLetterboxTop, 640.0f, kLetterboxBottom, 0.1f * time, 0.0f, 1.0f, 1.0f,
                      false);
    glLoadIdentity();
    arrowShockCamera();
    g_arrowShock.render(time, frameTime);
    endLetterboxClip();
    g_logoOverlay.draw(time, frameTime, 2);
    glPopAttrib();
}

void drawArrowShockAlone(float time, float frameTime) {
    arrowShockCamera();
    g_arrowShock.render(time, frameTime);
}

constexpr PrepareStep kSteps[] = {{7, "g_arrowShock.prepare", prepareGlobal<g_arrowShock>}};
constexpr EffectEntry kEntries[] = {
    {"arrow-shock", "four arrows striking a rippling sphere-mapped sphere",
     prepareGlobal<g_arrowShock>, drawArrowShockAlone},
};

}  // namespace

extern const PartRow kArrowShockPart = {
    "arrow-shock",      13, 15, partArrowShock, kSteps, std::size(kSteps), kEntries,
    std::size(kEntries)};
