#include "effects/arrow_field_effect.h"

#include <GL/gl.h>

#include <cmath>

#include "math/aim.h"
#include "math/random.h"
#include "mesh/mesh_library.h"

ArrowFieldEffect g_arrowField;

void ArrowFieldEffect::prepare() {}

Vector3 ArrowFieldEffect::target(float time) {
    return Vector3(kCube * 0.3f * std::sin(0.7f * time), kCube * 0.4f * std::sin(0.3f * time),
                   kCube * 0.2f * std::sin(1.2f * time));
}

void ArrowFieldEffect::render(float time, float) {
    glPushAttrib(GL_ENABLE_BIT);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glDisable(GL_TEXTURE_2D);

    const Vector3 flyer = target(time);
    glPushMatrix();
    glTranslatef(flyer.x, flyer.y, flyer.z);
    g_meshLibrary.draw("lwos\\tarmslyng2.lwo", 0);
    glPopMatrix();

    // Same places every frame; the generator moves on from where it was.
    const unsigned resume = static_cast<unsigned>(demoRand());
    demoSrand(1);
    for (int i = 0; i < kArrows; ++i) {
        Vector3 p;
        p.x = demoRand() / 32768.0f * kCube - 0.5f * kCube;
        p.y = demoRand() / 32768.0f * kCube - 0.5f * kCube;
        p.z = demoRand() / 32768.0f * kCube - 0.5f * kCube;
        Vector3 towardsTarget;
        const AimAngles aim = aimAlong(subtract(flyer, p, towardsTarget));
        glPushMatrix();
        glTranslatef(p.x, p.y, p.z);
        glRotatef(radiansToDegrees(aim.yaw), 0, 1, 0);
        glRotatef(radiansToDegrees(aim.pitch), 1, 0, 0);
        g_meshLibrary.draw("lwos\\arrow.lwo", 0);
        glPopMatrix();
    }
    demoSrand(resume);
    glPopAttrib();
}
