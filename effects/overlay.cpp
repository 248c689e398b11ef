#include "effects/overlay.h"

#include <GL/gl.h>

#include <cmath>

#include "display/demo_window.h"

void beginOverlay() {
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, 640.0, 480.0, 0.0, -100.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void endOverlay() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

namespace {

// Whether the bound texture, stretched over w x h window pixels (uSize x vSize pictures), is
// sampled from its level 0 alone: mipmapped to the nearest level, it is never shrunk by half a
// level or more, so GL picks level 0 everywhere and filters it as GL_LINEAR would.
bool onlyLevelZeroSampled(float w, float h, float uSize, float vSize) {
    if (!glIsEnabled(GL_TEXTURE_2D)) return false;
    GLint minFilter = 0, magFilter = 0, width = 0, height = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    if (minFilter != GL_LINEAR_MIPMAP_NEAREST || magFilter != GL_LINEAR) return false;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    // Texels per pixel across and down: level 0 while below 2^0.5 (with a margin).
    const float across = width * std::fabs(uSize) / std::fabs(w);
    const float down = height * std::fabs(vSize) / std::fabs(h);
    return across < 1.4f && down < 1.4f;
}

}  // namespace

void drawOverlayQuadUV(float x0, float y0, float x1, float y1, float uStart, float vStart,
                       float uSize, float vSize, bool blend) {
    // A software rasteriser works out the level of detail of a mipmapped picture pixel by
    // pixel; one known to be sampled from level 0 alone is drawn unmipmapped, the same pixels
    // for less work.
    const bool levelZero =
        onlyLevelZeroSampled((x1 - x0) * g_demoWindow.width / 640.0f,
                             (y1 - y0) * g_demoWindow.height / 480.0f, uSize, vSize);
    if (levelZero) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    beginOverlay();
    if (blend) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
    }
    // The top of the window (vStart + vSize) goes to y0: t grows upwards in GL's convention.
    const float u1 = uStart + uSize;
    const float v1 = vStart + vSize;
    glBegin(GL_QUADS);
    glTexCoord2f(uStart, v1);
    glVertex2f(x0, y0);
    glTexCoord2f(u1, v1);
    glVertex2f(x1, y0);
    glTexCoord2f(u1, vStart);
    glVertex2f(x1, y1);
    glTexCoord2f(uStart, vStart);
    glVertex2f(x0, y1);
    glEnd();
    endOverlay();
    if (levelZero) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
}

void drawOverlayQuad(float x0, float y0, float x1, float y1, bool blend) {
    drawOverlayQuadUV(x0, y0, x1, y1, 0.0f, 0.0f, 1.0f, 1.0f, blend);
}

void beginLetterboxClip() {
    // Rounded outwards, so every row the bars do not cover stays inside.
    const int height = g_demoWindow.height;
    const int bottom = static_cast<int>(std::floor((480.0 - kLetterboxBottom) * height / 480.0));
    const int top = static_cast<int>(std::ceil((480.0 - kLetterboxTop) * height / 480.0));
    glScissor(0, bottom, g_demoWindow.width, top - bottom);
    glEnable(GL_SCISSOR_TEST);
}

void endLetterboxClip() {
    glDisable(GL_SCISSOR_TEST);
}
