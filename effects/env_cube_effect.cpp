#include "effects/env_cube_effect.h"

#include <GL/gl.h>

#include "math/angles.h"
#include "mesh/mesh_library.h"
#include "texture/texture_cache.h"

EnvCubeEffect g_envCube;

namespace {
constexpr float kSpacing = 9.0f;
}

Vector3 EnvCubeEffect::cubeAngles(double time, int i, int j, int k) {
    return Vector3(wrapDegrees(45.0 * (time + i * j) + 22.0 * k),
                   wrapDegrees(45.0 * (time + i * k) + 22.0 * j),
                   wrapDegrees(45.0 * (time + j * k) + 22.0 * i));
}

void EnvCubeEffect::render(float time, float) {
    draw(time);
}

void EnvCubeEffect::draw(double time) {
    // The white clear colour goes back with the attributes: inside its part's own attribute
    // push it never reached a clear, and Mesa 22 forgets to restore it in a glPopAttrib that
    // follows nested pushes, which would clear every later frame white.
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT);
    glClearColor(1.0f, 1.0f, 1.0f, 0.5f);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_2D);
    g_textureCache.bind("textures\\testenvmap.jpg");

    const float half = -1.5f * kSpacing;
    glTranslatef(half, half, -2.5f * kSpacing);
    for (int i = 0; i < kSide; ++i) {
        glPushMatrix();
        for (int j = 0; j < kSide; ++j) {
            glPushMatrix();
            for (int k = 0; k < kSide; ++k) {
                glTranslatef(0.0f, 0.0f, kSpacing);
                glPushMatrix();
                const Vector3 angle = cubeAngles(time, i, j, k);
                glRotatef(angle.x, 1, 0, 0);
                glRotatef(angle.y, 0, 1, 0);
                glRotatef(angle.z, 0, 0, 1);
                g_meshLibrary.draw("lwos\\cube.lwo", 0);
                glPopMatrix();
            }
            glPopMatrix();
            glTranslatef(0.0f, kSpacing, 0.0f);
        }
        glPopMatrix();
        glTranslatef(kSpacing, 0.0f, 0.0f);
    }
    glPopAttrib();
}
