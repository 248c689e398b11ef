// part_heart.cpp - orders 16-19: two strips of hearts scrolling in opposite directions beside
// the twisting spike ball with its greetings.
//
// The one part that pushes no attributes: what it leaves set (the colour, the blend function,
// the bound texture) every other part sets for itself.
#include <GL/gl.h>

#include <iterator>

#include "demo/logo_overlay.h"
#include "demo/part_table.h"
#include "demo/parts.h"
#include "effects/overlay.h"
#include "effects/spike_ball_effect.h"
#include "texture/texture_cache.h"

namespace {

// The spike ball's camera, in the part and in the viewer.
void spikeBallCamera() {
    glTranslatef(2.0f, 0.0f, -7.0f);
}

void partHeart(float time, float frameTime) {
    glLoadIdentity();
    spikeBallCamera();
    drawLetterbox("textures\\design-clogo-love-back.jpg");
    // Everything up to the overlay is seen only between the logo bars.
    beginLetterboxClip();
    // Eight hearts a strip, half transparent, moving one heart a second.
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    g_textureCache.bind("textures\\heart.png");
    drawOverlayQuadUV(40.0f, 0.0f, 104.0f, 480.0f, 0.0f, time, 1.0f, 8.0f, true);
    drawOverlayQuadUV(110.0f, 0.0f, 174.0f, 480.0f, 0.0f, -time, 1.0f, 8.0f, true);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    g_textureCache.bind("textures\\testenvmap-red.jpg");
    g_spikeBall.render(time, frameTime, 0.6f);
    endLetterboxClip();
    g_logoOverlay.draw(time, frameTime, 3);
}

void loadSpikeBall() {
    g_spikeBall.load("lwos\\spikeball.lwo");
}

void drawSpikeBallAlone(float time, float frameTime) {
    spikeBallCamera();
    g_textureCache.bind("textures\\testenvmap-red.jpg");
    g_spikeBall.render(time, frameTime, 0.6f);
}

constexpr PrepareStep kSteps[] = {{14, "g_spikeBall.load", loadSpikeBall}};
constexpr EffectEntry kEntries[] = {
    {"spike-ball", "twisting ball of 37 spikes with a greeting strip at every tip", loadSpikeBall,
     drawSpikeBallAlone},
};

}  // namespace

extern const PartRow kHeartPart = {
    "heart", 16, 19, partHeart, kSteps, std::size(kSteps), kEntries, std::size(kEntries)};
