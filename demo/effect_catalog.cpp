#include "demo/effect_catalog.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstring>

#include "demo/director.h"
#include "demo/part_env_cube.h"
#include "demo/parts.h"
#include "demo/twist_mesh.h"
#include "demo/zoom_feedback_effect.h"
#include "effects/arrow_field_effect.h"
#include "effects/arrow_shock_effect.h"
#include "effects/depth_pin_effect.h"
#include "effects/env_cube_effect.h"
#include "effects/feedback_cube_effect.h"
#include "effects/metaball_effect.h"
#include "effects/null_effect.h"
#include "effects/object_grid_effect.h"
#include "effects/reflect_spheres_effect.h"
#include "effects/shockwave_effect.h"
#include "effects/sky_map_scene_effect.h"
#include "effects/sky_particle_effect.h"
#include "effects/spike_ball_effect.h"
#include "effects/star_mesh_effect.h"
#include "effects/tube_effect.h"
#include "effects/tunnel_scene_effect.h"
#include "effects/wave_grid_effect.h"
#include "effects/zoom_blur.h"
#include "music/music_player.h"
#include "music/sync_slots.h"
#include "texture/texture_cache.h"

namespace {

// --- Drawing each effect alone ---------------------------------------------------------------
// One small function per effect: its camera and state as its part sets them, minus the
// letterbox and the overlay.

void prepareArrowField() {
    g_arrowField.prepare();
}
void drawArrowField(float time, float frameTime) {
    // From outside the cube, which the flying object never leaves.
    glTranslatef(0.0f, 0.0f, -60.0f);
    g_arrowField.render(time, frameTime);
}

void prepareArrowShock() {
    g_arrowShock.prepare();
}
void drawArrowShock(float time, float frameTime) {
    glTranslatef(0.5f, 0.0f, -5.0f);
    g_arrowShock.render(time, frameTime);
}

void prepareShockwave() {
    g_shockwave.prepare();
}
void drawShockwave(float time, float frameTime) {
    glTranslatef(-0.9f, 0.0f, -4.0f);
    g_shockwave.render(time, frameTime);
}

void prepareSkyParticles() {
    g_skyParticles.prepare();
}
void drawSkyParticles(float time, float frameTime) {
    g_skyParticles.render(time, frameTime);  // places its own camera
}

void prepareSpikeBall() {
    g_spikeBall.load("lwos\\spikeball.lwo");
}
void drawSpikeBall(float time, float frameTime) {
    glTranslatef(2.0f, 0.0f, -7.0f);
    g_textureCache.bind("textures\\testenvmap-red.jpg");
    g_spikeBall.render(time, frameTime, 0.6f);
}

void prepareStarMesh() {
    g_starMesh.prepare();
    g_starMesh.setObjectName("lwos\\star.lwo");
}
void drawStarMesh(float time, float frameTime) {
    glTranslatef(0.0f, 0.0f, -9.0f);
    glRotatef(40.0f * time, 0, 1, 0);
    g_textureCache.bind("textures\\testenvmap.jpg");  // kept for the first ten seconds
    g_starMesh.render(time, frameTime);
}

// The library effects the production never shows get a camera that frames them.
void prepareDepthPins() {
    g_depthPins.prepare();
}
void drawDepthPins(float time, float frameTime) {
    // The pins stand about 700 to 800 units out of the grid's plane: turn about their middle.
    glTranslatef(0.0f, 0.0f, -230.0f);
    glRotatef(-35.0f, 1, 0, 0);
    glTranslatef(0.0f, 0.0f, -760.0f);
    g_depthPins.render(time, frameTime);
}

void prepareFeedbackCube() {
    g_feedbackCube.prepare();
}
void drawFeedbackCube(float time, float frameTime) {
    // The slide show skips slot 0 and keeps what is bound: a picture for its first seconds.
    g_textureCache.bind("textures\\rest.jpg");
    glTranslatef(0.0f, 0.0f, -4.0f);
    glRotatef(40.0f * time, 1, 0, 0);
    glRotatef(53.0f * time, 0, 1, 0);
    g_feedbackCube.render(time, frameTime);
}

void prepareMetaballs() {
    g_metaballs.prepare();
}
void drawMetaballs(float time, float frameTime) {
    g_textureCache.bind("textures\\testenvmap.jpg");
    glTranslatef(-14.0f, 3.0f, -50.0f);
    glRotatef(45.0f * time, 1, 0, 0);
    glRotatef(67.0f * time, 0, 1, 0);
    g_metaballs.render(time, frameTime);
}

void prepareNull() {
    g_null.prepare();
}
void drawNull(float time, float frameTime) {
    g_null.render(time, frameTime);
}

void prepareObjectGrid() {
    g_objectGrid.prepare();
}
void drawObjectGrid(float time, float frameTime) {
    glTranslatef(0.0f, 0.0f, -20.0f);
    glRotatef(25.0f, 1, 0, 0);
    glRotatef(30.0f * time, 0, 1, 0);
    g_objectGrid.render(time, frameTime);
}

void prepareWaveGrid() {
    g_waveGrid.prepare();
}
void drawWaveGrid(float time, float frameTime) {
    gluLookAt(0.0, 62.0, 58.0, 0.0, -6.0, 4.0, 0.0, 1.0, 0.0);
    g_waveGrid.render(time, frameTime);
}

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

void prepareTwistTorus() {
    g_twistTorus.load("lwos\\torus-loop-meta.lwo");
}
void drawTwistTorus(float time, float frameTime) {
    g_textureCache.bind("textures\\testenvmap-green.jpg");
    glTranslatef(0.0f, 0.0f, -3.5f);
    g_twistTorus.draw(time, frameTime, 1.4f);
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
    {"arrow-field", "64 arrows turning towards an object on a Lissajous path (never in a part)",
     prepareArrowField, drawArrowField},
    {"arrow-shock", "four arrows striking a rippling sphere-mapped sphere", prepareArrowShock,
     drawArrowShock},
    {"depth-pins", "32 x 32 pins pushed out by the depth image of a tumbling cube",
     prepareDepthPins, drawDepthPins},
    {"env-cube", "a 4 x 4 x 4 block of tumbling sphere-mapped cubes", prepareNothing, drawEnvCube},
    {"feedback-cube", "a cube wearing the previous frame over a changing slide show",
     prepareFeedbackCube, drawFeedbackCube},
    {"metaballs", "six blobs melting into the walls of their box, with spinning stars",
     prepareMetaballs, drawMetaballs},
    {"null", "the effect that draws nothing (a cleared frame)", prepareNull, drawNull},
    {"object-grid", "small cubes on every point of the palisade test object", prepareObjectGrid,
     drawObjectGrid},
    {"reflect-spheres", "eight spheres reflecting a sky and each other through cube maps",
     prepareReflectSpheres, drawReflectSpheres},
    {"scene-sky",
     "the scene cransscene.lws lit by its lights, with a scrolling sky map added on unit 1",
     prepareSceneSky, drawSceneSky},
    {"scene-tunnel", "the scene tunnel.lws: the camera flies down a tunnel of rolling cube rings",
     prepareSceneTunnel, drawSceneTunnel},
    {"shockwave", "a sphere-mapped sphere whose radius ripples", prepareShockwave, drawShockwave},
    {"sky-particles", "the scrolling sky, two cloud fountains and the end picture",
     prepareSkyParticles, drawSkyParticles},
    {"spike-ball", "twisting ball of 37 spikes with a greeting strip at every tip",
     prepareSpikeBall, drawSpikeBall},
    {"star-mesh", "star object as big red points, then mirroring a texture that changes every 10 s",
     prepareStarMesh, drawStarMesh},
    {"tube", "sixteen swaying sphere-mapped tubes, seen from inside the ring", prepareTube,
     drawTube},
    {"twist-torus", "torus knot wringing itself, each point turning later the farther out it is",
     prepareTwistTorus, drawTwistTorus},
    {"wave-grid", "a liquid surface rippled by four wandering wave sources", prepareWaveGrid,
     drawWaveGrid},
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
