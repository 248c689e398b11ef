#include "effects/twist_torus.h"

#include <GL/gl.h>

#include <cmath>

#include "effects/sphere_map.h"
#include "music/music_player.h"
#include "music/sync_slots.h"

TwistTorus g_twistTorus;

bool TwistTorus::load(const char* entryName) {
    return shape.load(entryName);
}

void TwistTorus::draw(float time, float, float phaseScale) {
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    // Thrown sideways by up to 2 units on each accent, gliding back.
    glTranslatef(2.0f * std::exp(-instSinceHit[SyncSlot::kAccent]), 0.0f, 0.0f);
    glEnable(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    enableSphereMapping();
    if (shape.pointCount > 0) {
        shape.twist(time, phaseScale);
        shape.drawTriangles();
    }
    glPopAttrib();
}
