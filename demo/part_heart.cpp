// part_heart.cpp - orders 16-19: two strips of hearts scrolling in opposite directions beside
// the twisting spike ball with its greetings.
//
// The one part that pushes no attributes: what it leaves set (the colour, the blend function,
// the bound texture) every other part sets for itself.
#include <GL/gl.h>

#include "demo/logo_overlay.h"
#include "demo/parts.h"
#include "effects/overlay.h"
#include "effects/spike_ball_effect.h"
#include "texture/texture_cache.h"

void partHeart(float time, float frameTime) {
    glLoadIdentity();
    glTranslatef(2.0f, 0.0f, -7.0f);
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
