#include "demo/effect_catalog.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstring>

#include "demo/director.h"
#include "demo/part_env_cube.h"
#include "demo/parts.h"
#include "demo/zoom_feedback_effect.h"
#include "effects/env_cube_effect.h"
#include "effects/reflect_spheres_effect.h"
#include "effects/tube_effect.h"
#include "effects/zoom_blur.h"
#include "music/music_player.h"
#include "music/sync_slots.h"

namespace {

// --- Drawing each effect alone ---------------------------------------------------------------
// One small function per effect: its camera and state as its part sets them, minus the
// letterbox and the overlay.

void prepareNothing() {}

// The cube grid tumbling as in its part, seen whole.
void placeEnvCube(float time) {
    const EnvCubeMotion motion = envCubeMotion(time, 0);
    glTranslatef(motion.shiftX, 0.0f, -76.8f);
    glRotatef(motion.angleX, 1, 0, 0);
    glRotatef(motion.angleY, 0, 1, 0);
    glRotatef(motion.angleZ, 0, 0, 1);
}
void drawEnvCube(float time, float frameTime) {
    placeEnvCube(time);
    g_envCube.render(time, frameTime);
}

void prepareReflectSpheres() {
    g_reflectSpheres.prepare();
}
void drawReflectSpheres(float time, float frameTime) {
    g_reflectSpheres.render(time, frameTime);
}

void prepareTube() {
    g_tube.prepare();
}
void drawTube(float time, float frameTime) {
    gluLookAt(5.0 * std::sin(0.6 * time), 0.0, 5.0 * std::sin(time), 0.0, 20.0, 0.0, 1.0, 0.0, 0.0);
    g_tube.render(time, frameTime);
}

// The cube grid through the blur, which swells on every accent as in its part.
void prepareZoomBlur() {
    g_scratchTexture.prepare();
}
void drawZoomBlur(float time, float frameTime) {
    placeEnvCube(time);
    g_scratchTexture.useCaptureViewport();
    g_envCube.render(time, frameTime);
    g_scratchTexture.apply(time, frameTime,
                           std::exp(-2.5f * instSinceHit[SyncSlot::kAccent]) + 1.4f);
}

void prepareZoomFeedback() {
    g_zoomFeedback.prepare();
}
void drawZoomFeedback(float time, float frameTime) {
    glTranslatef(0.0f, 0.0f, -2.5f);
    glRotatef(40.0f * time, 1, 0, 0);
    glRotatef(53.0f * time, 0, 1, 0);
    g_zoomFeedback.setViewport();
    g_zoomFeedback.render(time, frameTime);
}

// Keep in alphabetical order.
const EffectEntry kEffects[] = {
    {"env-cube", "a 4 x 4 x 4 block of tumbling sphere-mapped cubes", prepareNothing, drawEnvCube},
    {"reflect-spheres", "eight spheres reflecting a sky and each other through cube maps",
     prepareReflectSpheres, drawReflectSpheres},
    {"tube", "sixteen swaying sphere-mapped tubes, seen from inside the ring", prepareTube,
     drawTube},
    {"zoom-blur", "the cube grid smeared outwards by the zoom blur", prepareZoomBlur, drawZoomBlur},
    {"zoom-feedback", "a chrome object and lens sprites streaming out through a feedback zoom",
     prepareZoomFeedback, drawZoomFeedback},
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
