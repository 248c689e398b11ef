#include "effects/zoom_feedback_effect.h"

#include <GL/gl.h>

#include "effects/corner_capture.h"
#include "effects/overlay.h"
#include "effects/sprites.h"
#include "math/random.h"
#include "mesh/mesh_library.h"
#include "texture/texture_cache.h"

ZoomFeedbackEffect g_zoomFeedback;

namespace {

// Next generator value in [-0.5, 0.5).
float centred() {
    return demoRand() / 32768.0f - 0.5f;
}

}  // namespace

void ZoomFeedbackEffect::prepare() {
    feedbackTexture = createCornerTexture(kSize);
}

void ZoomFeedbackEffect::setViewport() {
    beginCornerCapture(kSize);
}

void ZoomFeedbackEffect::render(float, float) {
    glPushAttrib(GL_ENABLE_BIT);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);

    // The object, environment-mapped (the feedback texture stays bound if the picture is
    // missing).
    glBindTexture(GL_TEXTURE_2D, feedbackTexture);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    g_textureCache.bind("textures\\kopi.jpg");
    g_meshLibrary.draw("lwos\\tarmslyng2.lwo", 0);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);

    // The same cloud of lens sprites every frame; the generator then moves on from its own
    // sequence.
    g_textureCache.bind("textures\\lens.jpg");
    const unsigned resume = static_cast<unsigned>(demoRand());
    demoSrand(1);
    captureBillboardFrame(sprites);
    for (int i = 0; i < kSprites; ++i) {
        const float r1 = centred();
        const float r2 = centred();
        const float r3 = centred();
        const float k = 2.0f * demoRand() / 32768.0f + 1.0f;
        emitSprite(sprites, Vector3(k * r3, k * r2, k * r1), 0.2f, 0.6f);
    }
    endSpriteBatch();
    demoSrand(resume);

    // Last frame's picture, enlarged by 8 overlay units left and right and 6 up and down, over
    // the new one at 96 %; the result becomes next frame's picture.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 0.96f);
    glBindTexture(GL_TEXTURE_2D, feedbackTexture);
    drawOverlayQuad(-8.0f, -6.0f, 648.0f, 486.0f, false);
    copyCornerToTexture(GL_TEXTURE_2D, kSize);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPopAttrib();

    // The corner's picture over the whole window at 80 %. The capture ends outside the
    // attribute push above, whose pop would otherwise switch the corner's scissor back on.
    endCornerCapture();
    glPushAttrib(GL_ENABLE_BIT);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 0.8f);
    drawOverlayQuad(0.0f, 0.0f, 640.0f, 480.0f, true);
    glPopAttrib();
}
