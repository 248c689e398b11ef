// part_env_cube.cpp - orders 22-23: the tumbling block of chrome cubes through the zoom blur,
// which grows stronger on every accent.
#include "demo/part_env_cube.h"

#include <GL/gl.h>

#include <cmath>
#include <iterator>

#include "demo/logo_overlay.h"
#include "demo/part_table.h"
#include "demo/parts.h"
#include "effects/env_cube_effect.h"
#include "effects/overlay.h"
#include "effects/zoom_blur.h"
#include "math/angles.h"
#include "music/music_player.h"
#include "music/sync_slots.h"

namespace {

// The grid placed as its motion says, in the part and in the viewer.
void placeEnvCube(const EnvCubeMotion& motion) {
    glTranslatef(motion.shiftX, 0.0f, -76.8f);
    glRotatef(motion.angleX, 1, 0, 0);
    glRotatef(motion.angleY, 0, 1, 0);
    glRotatef(motion.angleZ, 0, 0, 1);
}

// How strongly the blur smears: it swells on every accent.
float blurStrength() {
    return std::exp(-2.5f * instSinceHit[SyncSlot::kAccent]) + 1.4f;
}

}  // namespace

EnvCubeMotion envCubeMotion(float time, unsigned hits) {
    EnvCubeMotion motion;
    motion.time = static_cast<double>(time) + 3783.6 * hits;
    motion.shiftX = static_cast<float>(10.0 * std::sin(0.3 * motion.time));
    motion.angleX = wrapDegrees(57.0 * motion.time);
    motion.angleY = wrapDegrees(36.0 * motion.time);
    motion.angleZ = wrapDegrees(27.0 * motion.time);
    return motion;
}

namespace {

void partEnvCube(float time, float frameTime) {
    glPushAttrib(kAllAttributeGroups);
    // Only the piece of the backdrop inside the capture corner is ever seen: the blurred
    // corner is stretched over the whole window afterwards.
    glScissor(0, 0, ZoomBlur::kSize, ZoomBlur::kSize);
    glEnable(GL_SCISSOR_TEST);
    drawLetterbox("textures\\design-clogo-creativity-back.jpg");
    glDisable(GL_SCISSOR_TEST);
    glLoadIdentity();
    const EnvCubeMotion motion = envCubeMotion(time, instHitCount[SyncSlot::kAccent]);
    const float t = static_cast<float>(motion.time);
    placeEnvCube(motion);
    // The blurred picture is seen only between the logo bars: under the letterbox clip the
    // blur works on that much of the corner.
    beginLetterboxClip();
    g_zoomBlur.useCaptureViewport();
    g_envCube.draw(motion.time);
    g_zoomBlur.apply(t, frameTime, blurStrength());
    endLetterboxClip();
    g_logoOverlay.draw(t, frameTime, 1);
    glPopAttrib();
}

void prepareNothing() {}

// Alone, the grid tumbles as if no accent had come.
void drawEnvCubeAlone(float time, float frameTime) {
    placeEnvCube(envCubeMotion(time, 0));
    g_envCube.render(time, frameTime);
}

void drawZoomBlurAlone(float time, float frameTime) {
    placeEnvCube(envCubeMotion(time, 0));
    g_zoomBlur.useCaptureViewport();
    g_envCube.render(time, frameTime);
    g_zoomBlur.apply(time, frameTime, blurStrength());
}

constexpr PrepareStep kSteps[] = {
    {1, "g_zoomBlur.prepare", prepareGlobal<g_zoomBlur>},
    {5, "g_envCube.prepare", prepareGlobal<g_envCube>},
};
constexpr EffectEntry kEntries[] = {
    {"env-cube", "a 4 x 4 x 4 block of tumbling sphere-mapped cubes", prepareNothing,
     drawEnvCubeAlone},
    {"zoom-blur", "the cube grid smeared outwards by the zoom blur", prepareGlobal<g_zoomBlur>,
     drawZoomBlurAlone},
};

}  // namespace

extern const PartRow kEnvCubePart = {
    "env-cube", 22, 23, partEnvCube, kSteps, std::size(kSteps), kEntries, std::size(kEntries)};
