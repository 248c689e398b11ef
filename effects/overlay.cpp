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

void drawOverlayQuadUV(float x0, float y0, float x1, float y1, float uStart, float vStart,
                       float uSize, float vSize, bool blend) {
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
