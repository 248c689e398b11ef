// part_credits.cpp - orders 26-31, the finale: the sky and the cloud fountains, and the
// credits fading in once the part has been on for 20 seconds.
#include <GL/gl.h>

#include <cmath>
#include <iterator>

#include "demo/logo_overlay.h"
#include "demo/part_table.h"
#include "demo/parts.h"
#include "effects/overlay.h"
#include "effects/sky_particle_effect.h"
#include "texture/texture_cache.h"

namespace {

constexpr float kCreditsDelay = 20.0f;
const char* const kCredits = "textures\\credits.png";

void partCredits(float time, float frameTime) {
    const float local = partSeconds(time);
    glPushAttrib(kAllAttributeGroups);
    beginLetterboxClip();
    g_skyParticles.render(time, frameTime);
    if (local > kCreditsDelay) {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f - std::exp(-0.1f * (local - kCreditsDelay)));
        g_textureCache.bind(kCredits);
        // Drawn large and soft: the picture leaves mipmapping for good (and when it is
        // missing, no other picture does).
        if (g_textureCache.find(kCredits)) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        }
        drawOverlayQuad(0.0f, kLetterboxTop, 640.0f, kLetterboxBottom, true);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    endLetterboxClip();
    g_logoOverlay.draw(time, frameTime, 0);
    glPopAttrib();
}

void drawSkyParticlesAlone(float time, float frameTime) {
    g_skyParticles.render(time, frameTime);  // places its own camera
}

constexpr PrepareStep kSteps[] = {{9, "g_skyParticles.prepare", prepareGlobal<g_skyParticles>}};
constexpr EffectEntry kEntries[] = {
    {"sky-particles", "the scrolling sky, two cloud fountains and the end picture",
     prepareGlobal<g_skyParticles>, drawSkyParticlesAlone},
};

}  // namespace

extern const PartRow kCreditsPart = {
    "credits", 26, 31, partCredits, kSteps, std::size(kSteps), kEntries, std::size(kEntries)};
