// part_metaballs.cpp - order 10: the blobs in their box, tumbling over the rest picture; every
// accent throws the animation forward.
#include <GL/gl.h>

#include "demo/logo_overlay.h"
#include "demo/part_table.h"
#include "demo/parts.h"
#include "effects/metaball_effect.h"
#include "effects/overlay.h"
#include "texture/texture_cache.h"

#include <iterator>

namespace {

// The blobs' camera at time t, the same in the part and in the viewer.
void metaballsCamera(float t) {
    g_textureCache.bind("textures\\testenvmap.jpg");
    glTranslatef(-14.0f, 3.0f, -50.0f);
    glRotatef(45.0f * t, 1, 0, 0);
    glRotatef(67.0f * t, 0, 1, 0);
}

void partMetaballs(float time, float frameTime) {
    glPushAttrib(kAllAttributeGroups);
    drawLetterbox("textures\\rest.jpg");
    const float t = accentShiftedTime(time, 34.6f);
    beginLetterboxClip();  // the logo bars cover the rest
    metaballsCamera(t);
    g_metaballs.render(t, frameTime);
    endLetterboxClip();
    g_logoOverlay.draw(t, frameTime, 0);
    glPopAttrib();
}

void drawMetaballsAlone(float time, float frameTime) {
    metaballsCamera(time);
    g_metaballs.render(time, frameTime);
}

constexpr PrepareStep kSteps[] = {{0, "g_metaballs.prepare", prepareGlobal<g_metaballs>}};
constexpr EffectEntry kEntries[] = {
    {"metaballs", "six blobs melting into the walls of their box, with spinning stars",
     prepareGlobal<g_metaballs>, drawMetaballsAlone},
};

}  // namespace

extern const PartRow kMetaballsPart = {
    "metaballs", 10, 10, partMetaballs, kSteps, std::size(kSteps), kEntries, std::size(kEntries)};
