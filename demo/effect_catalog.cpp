#include "demo/effect_catalog.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstring>

#include "demo/director.h"
#include "demo/parts.h"
#include "effects/sky_map_scene_effect.h"
#include "effects/tube_effect.h"
#include "effects/tunnel_scene_effect.h"
#include "music/music_player.h"

namespace {

// --- Drawing each effect alone ---------------------------------------------------------------
// One small function per effect: its camera and state as its part sets them, minus the
// letterbox and the overlay.

void prepareTube() {
    g_tube.prepare();
}
void drawTube(float time, float frameTime) {
    gluLookAt(5.0 * std::sin(0.6 * time), 0.0, 5.0 * std::sin(time), 0.0, 20.0, 0.0, 1.0, 0.0, 0.0);
    g_tube.render(time, frameTime);
}

// The scenes bring their own cameras: the effect draws from the window's projection alone.
void prepareSceneSky() {
    g_skyMapScene.prepare();
}
void drawSceneSky(float time, float frameTime) {
    g_skyMapScene.render(time, frameTime);
}
void prepareSceneTunnel() {
    g_tunnelScene.prepare();
}
void drawSceneTunnel(float time, float frameTime) {
    g_tunnelScene.render(time, frameTime);
}

// Keep in alphabetical order.
const EffectEntry kEffects[] = {
    {"scene-sky",
     "the scene cransscene.lws lit by its lights, with a scrolling sky map added on unit 1",
     prepareSceneSky, drawSceneSky},
    {"scene-tunnel", "the scene tunnel.lws: the camera flies down a tunnel of rolling cube rings",
     prepareSceneTunnel, drawSceneTunnel},
    {"tube", "sixteen swaying sphere-mapped tubes, seen from inside the ring", prepareTube,
     drawTube},
};

constexpr int kCount = static_cast<int>(sizeof kEffects / sizeof kEffects[0]);

const EffectEntry* g_prepared = nullptr;

}  // namespace

int effectCount() {
    return kCount;
}

const EffectEntry& effectAt(int index) {
    return kEffects[index];
}

const EffectEntry* findEffect(const char* name) {
    for (const EffectEntry& entry : kEffects)
        if (name && std::strcmp(entry.name, name) == 0) return &entry;
    return nullptr;
}

void drawEffectFrame(const EffectEntry& entry, float time, float frameTime) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    g_musicPlayer.updateInstrumentTimes();
    Director::combineAccents();
    if (g_prepared != &entry) {
        entry.prepare();
        g_prepared = &entry;
    }
    glPushAttrib(kAllAttributeGroups);
    entry.draw(time, frameTime);
    glPopAttrib();
}
