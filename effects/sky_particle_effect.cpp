#include "effects/sky_particle_effect.h"

#include <GL/gl.h>

#include "effects/overlay.h"
#include "texture/texture_cache.h"

SkyParticleEffect g_skyParticles;

namespace {

// The time of the previous render, for the step. One for the whole program rather than per
// effect object, and 0 before the first render, so the first step is the whole time so far:
// the fountains' first births age past their life at once and the fountains fill from the
// next frame on. That is how the finale always started, so it stays.
float g_previousSkyTime = 0.0f;

void drawSky(float time) {
    glPushMatrix();
    glRotatef(346.0f, 1, 0, 0);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glTranslatef(0.0f, -0.05f * time, 0.0f);  // the clouds drift
    g_textureCache.bind("textures\\BLUESKY.JPG");
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-5000.0f, 0.2f, -5000.0f);
    glTexCoord2f(20, 0);
    glVertex3f(5000.0f, 0.2f, -5000.0f);
    glTexCoord2f(20, 20);
    glVertex3f(5000.0f, 0.2f, 5000.0f);
    glTexCoord2f(0, 20);
    glVertex3f(-5000.0f, 0.2f, 5000.0f);
    glEnd();
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

}  // namespace

void SkyParticleEffect::prepare() {
    const Vector3 origins[2] = {Vector3(1.5f, -15.0f, -100.0f), Vector3(-37.0f, 0.0f, -20.0f)};
    for (int i = 0; i < 2; ++i) {
        ParticleEmitter& e = emitters[i];
        e.setup(30);
        e.rate = 15.0f;
        e.lifetime = 60.0f;
        e.size = 10.0f;
        e.velocity = Vector3(0.0f, 0.5f, 0.0f);
        e.origin = origins[i];
    }
}

void SkyParticleEffect::render(float time, float) {
    const float step = time - g_previousSkyTime;
    g_previousSkyTime = time;

    glPushAttrib(GL_ENABLE_BIT);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -100.0f);
    drawSky(time);

    g_textureCache.bind("textures\\sky.png");
    for (ParticleEmitter& e : emitters) {
        e.update(step);
        e.draw();
    }

    g_textureCache.bind("textures\\end.PNG");
    drawOverlayQuad(0.0f, 0.0f, 640.0f, 480.0f, true);
    glPopAttrib();
}
