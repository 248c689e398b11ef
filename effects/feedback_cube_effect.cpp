#include "effects/feedback_cube_effect.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "display/demo_window.h"
#include "effects/overlay.h"
#include "effects/textured_cube.h"
#include "texture/texture_cache.h"

FeedbackCubeEffect g_feedbackCube;

void FeedbackCubeEffect::prepare() {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const std::vector<unsigned char> black(size_t(kTextureSize) * kTextureSize * 4, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, kTextureSize, kTextureSize, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 black.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture = static_cast<unsigned short>(name);
    glClearColor(1.0f, 1.0f, 1.0f, 0.5f);
}

void FeedbackCubeEffect::render(float time, float) {
    // A window smaller than the texture gives only its own pixels to the copy; the rest of
    // the texture would be undefined, so only the copied part is ever sampled.
    const int copyWidth = std::min(kTextureSize, g_demoWindow.width);
    const int copyHeight = std::min(kTextureSize, g_demoWindow.height);
    const float uSize = float(copyWidth) / kTextureSize;
    const float vSize = float(copyHeight) / kTextureSize;

    glPushAttrib(GL_ENABLE_BIT);
    glViewport(0, 0, kTextureSize, kTextureSize);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);

    // The background changes every five seconds, through slots 1 to 29.
    g_textureCache.bindSlot(static_cast<int>(std::fmod(0.2f * time, 30.0f)));
    drawOverlayQuad(0.0f, 0.0f, 640.0f, 480.0f, false);

    glBindTexture(GL_TEXTURE_2D, texture);
    glColor3f(0.9f, 0.9f, 0.9f);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glScalef(uSize, vSize, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    drawTexturedCube();
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, copyWidth, copyHeight);

    glViewport(0, 0, g_demoWindow.width, g_demoWindow.height);
    drawOverlayQuadUV(0.0f, 0.0f, 640.0f, 480.0f, 0.0f, 0.0f, uSize, vSize, false);
    glPopAttrib();
}
