#include "effects/zoom_blur.h"

#include <GL/gl.h>

#include <cmath>

#include "effects/corner_capture.h"
#include "effects/overlay.h"

ZoomBlur g_scratchTexture;

void ZoomBlur::prepare() {
    texture = createCornerTexture(kSize);
}

void ZoomBlur::useCaptureViewport() {
    beginCornerCapture(kSize);
}

void ZoomBlur::apply(float, float, float strength) {
    glPushAttrib(GL_ENABLE_BIT);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    // The viewport is still the corner, so the 640 x 480 overlay space lands in it: each pass
    // lays the corner over itself at half strength, overhanging the frame by d on each side.
    for (int i = 1; i <= kPasses; ++i) {
        copyCornerToTexture(GL_TEXTURE_2D, kSize);
        const float d = static_cast<float>(std::pow(static_cast<double>(strength), i));
        beginOverlay();
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 1.0f);
        glVertex2f(-d, -0.75f * d);
        glTexCoord2f(1.0f, 1.0f);
        glVertex2f(640.0f + d, -0.75f * d);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2f(640.0f + d, 480.0f + 0.75f * d);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(-d, 480.0f + 0.75f * d);
        glEnd();
        endOverlay();
    }
    copyCornerToTexture(GL_TEXTURE_2D, kSize);
    glPopAttrib();

    // The corner stretched over the whole window, opaque. The capture ends outside the
    // attribute push above, whose pop would otherwise switch the corner's scissor back on.
    endCornerCapture();
    glPushAttrib(GL_ENABLE_BIT);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    drawOverlayQuad(0.0f, 0.0f, 640.0f, 480.0f, false);
    glPopAttrib();
}
