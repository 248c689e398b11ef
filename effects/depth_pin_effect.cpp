#include "effects/depth_pin_effect.h"

#include <GL/gl.h>

#include "display/demo_window.h"
#include "effects/sphere_map.h"
#include "mesh/mesh_library.h"
#include "texture/texture_cache.h"

DepthPinEffect g_depthPins;

namespace {

constexpr float kPinSpacing = 4.5f;
constexpr float kPinTravel = 800.0f;

void sphereMapped(const char* texture) {
    glEnable(GL_TEXTURE_2D);
    enableSphereMapping();
    g_textureCache.bind(texture);
}

}  // namespace

void DepthPinEffect::prepare() {
    depthImage = new float[kSide * kSide];
    for (int i = 0; i < kSide * kSide; ++i) depthImage[i] = 1.0f;
}

void DepthPinEffect::render(float t, float) {
    if (!depthImage) return;  // not prepared: nowhere to read the depth into
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    sphereMapped("textures\\test\\envi1.jpg");

    // The cube, tiny, in the lower-left corner; its depth is the pins' height map.
    glPushMatrix();
    glViewport(0, 0, kSide, kSide);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -10.0f);
    glRotatef(40.0f * t, 1, 0, 0);
    glRotatef(55.0f * t, 0, 1, 0);
    g_meshLibrary.draw("lwos\\cube.lwo", 0);
    glReadPixels(0, 0, kSide, kSide, GL_DEPTH_COMPONENT, GL_FLOAT, depthImage);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, g_demoWindow.width, g_demoWindow.height);
    glPopMatrix();

    sphereMapped("textures\\test\\envi1.jpg");
    const float centre = -0.5f * (kSide - 1) * kPinSpacing;
    glTranslatef(centre, centre, 0.0f);
    for (int j = 0; j < kSide; ++j) {
        glPushMatrix();
        for (int k = 0; k < kSide; ++k) {
            glPushMatrix();
            glTranslatef(0.0f, 0.0f, kPinTravel * depthImage[kSide * j + k]);
            g_meshLibrary.draw("lwos\\cube-s.lwo", 0);
            glPopMatrix();
            glTranslatef(kPinSpacing, 0.0f, 0.0f);
        }
        glPopMatrix();
        glTranslatef(0.0f, kPinSpacing, 0.0f);
    }
    glPopAttrib();
}
