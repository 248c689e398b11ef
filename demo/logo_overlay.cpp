#include "demo/logo_overlay.h"

#include <iterator>

#include "demo/part_table.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "effects/overlay.h"
#include "math/random.h"
#include "mesh/mesh_library.h"
#include "music/music_player.h"
#include "music/sync_slots.h"
#include "texture/texture_cache.h"

LogoOverlay g_logoOverlay;

namespace {

constexpr float kPeakFall = 200.0f;  // overlay pixels per second
constexpr float kBarWidth = 10.0f;

// Where the 3D logo sits in each corner, and its tilt.
struct CornerPlacement {
    float x, y, tilt;
};
constexpr CornerPlacement kCorners[4] = {{-14.5f, 10.5f, -20.0f},
                                         {14.5f, 10.5f, 20.0f},
                                         {14.5f, -10.5f, 20.0f},
                                         {-14.5f, -10.5f, -20.0f}};

}  // namespace

float analyserLevel(float s) {
    return 100.0f * std::log10(10.0f * s + 1.0f);
}

void drawNoiseOverlay(float alpha) {
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    const float u = demoRand() * (1.0f / 32768.0f);
    const float v = demoRand() * (1.0f / 32768.0f);
    drawOverlayQuadUV(0.0f, 0.0f, 640.0f, 480.0f, u, v, 1.0f + u, 1.0f + v, true);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void LogoOverlay::prepare() {
    for (float& peak : barPeak) peak = 0.0f;
}

void LogoOverlay::draw(float time, float delta, int corner) {
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    drawBars(time);
    drawAnalyser(delta);
    drawLogo(time, corner);
    drawFlash();
    glPopAttrib();
}

void LogoOverlay::drawBars(float time) {
    // The two bars scroll in opposite directions, one picture width every 20 seconds. The
    // picture repeats, so only the fraction of a width matters; a part whose time jumps on
    // every accent passes times of hundreds of thousands of seconds, and texture coordinates
    // that large lose the picture's detail in the rasteriser.
    const double widths = 0.05 * static_cast<double>(time);
    const float shift = static_cast<float>(widths - std::floor(widths));
    g_textureCache.bind("textures\\design-clogo-bar.png");
    drawOverlayQuadUV(0, 0, 640, kLetterboxTop, shift, 0, 1, 1, false);
    drawOverlayQuadUV(0, kLetterboxBottom, 640, 480, -shift, 0, 1, 1, false);
}

void LogoOverlay::updatePeaks(const float* spectrum, float delta) {
    for (int i = 0; i < kBars; ++i) {
        barPeak[i] -= kPeakFall * delta;
        const float level = analyserLevel(spectrum[2 * i] + spectrum[2 * i + 1]);
        if (level > barPeak[i]) barPeak[i] = level;
    }
}

void LogoOverlay::drawAnalyser(float delta) {
    updatePeaks(g_musicPlayer.spectrum(), delta);
    beginOverlay();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 0.7f);
    g_textureCache.bind("textures\\gradient.jpg");
    glBegin(GL_QUADS);
    for (int i = 0; i < kBars; ++i) {
        const float h = barPeak[i];
        const float t = 1.0f - h / 150.0f;  // the gradient is read from its top down
        const float left = kBarWidth * i;
        const float right = left + 9.0f;
        // Hanging from the top bar.
        glTexCoord2f(0, 1);
        glVertex2f(left, kLetterboxTop);
        glTexCoord2f(1, 1);
        glVertex2f(right, kLetterboxTop);
        glTexCoord2f(1, t);
        glVertex2f(right, kLetterboxTop + h);
        glTexCoord2f(0, t);
        glVertex2f(left, kLetterboxTop + h);
        // Rising from the bottom bar, mirrored: bar 0 at the right edge.
        glTexCoord2f(0, 1);
        glVertex2f(640.0f - left, kLetterboxBottom);
        glTexCoord2f(1, 1);
        glVertex2f(640.0f - right, kLetterboxBottom);
        glTexCoord2f(1, t);
        glVertex2f(640.0f - right, kLetterboxBottom - h);
        glTexCoord2f(0, t);
        glVertex2f(640.0f - left, kLetterboxBottom - h);
    }
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    endOverlay();
}

void LogoOverlay::drawLogo(float time, int corner) {
    // Every crash advances the wobble by 0.4.
    const float spin = time + 0.4f * instHitCount[SyncSlot::kCrash];
    glClear(GL_DEPTH_BUFFER_BIT);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLoadIdentity();
    glPushMatrix();
    // On a hit the logo jumps towards the screen's middle row and settles back.
    const float bounce = 2.0f * std::exp(-2.5f * instSinceHit[SyncSlot::kCrash]);
    const CornerPlacement& place = kCorners[corner & 3];
    const float y = place.y > 0 ? place.y - bounce : place.y + bounce;
    glTranslatef(place.x, y, -35.0f);
    glRotatef(90.0f, 1, 0, 0);
    glRotatef(30.0f * std::sin(spin), 1, 0, 0);
    glRotatef(20.0f * std::cos(spin) + place.tilt, 0, 0, 1);
    const float size = 1.0f + 2.0f * std::exp(-2.0f * instSinceHit[SyncSlot::kAccent]);
    glScalef(size, size, size);
    g_meshLibrary.draw("lwos\\c-logo.lwo", 0, false, false);
    glPopMatrix();
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
}

void LogoOverlay::drawFlash() {
    // The fresher of the crash and the accents; on a tie the accents' value.
    const float m = std::min(instSinceHit[SyncSlot::kCrash], instSinceHit[SyncSlot::kAccent]);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f * std::exp(-0.8f * m));
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    drawOverlayQuad(0, 0, 640, 480, false);
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

namespace {

constexpr PrepareStep kSteps[] = {{13, "g_logoOverlay.prepare", prepareGlobal<g_logoOverlay>}};

}  // namespace

// Every part ends with the overlay; it draws no order of its own.
extern const PartRow kOverlayRow = {"overlay",         -1,      -1, nullptr, kSteps,
                                    std::size(kSteps), nullptr, 0};
