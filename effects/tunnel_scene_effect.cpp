#include "effects/tunnel_scene_effect.h"

#include <GL/gl.h>

TunnelSceneEffect g_tunnelScene;

void TunnelSceneEffect::prepare() {
    scene.load("tunnel.lws");
}

void TunnelSceneEffect::render(float time, float) {
    // Left as they are afterwards: callers push their attributes around effects.
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    scene.draw(time);
}
