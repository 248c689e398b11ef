#include "effects/tube_effect.h"

#include <GL/gl.h>

#include <cmath>

#include "effects/sphere_map.h"
#include "math/random.h"
#include "texture/texture_cache.h"

TubeEffect g_tube;

namespace {

constexpr float kRingSpacing = 1.25f;
constexpr float kRadius = 0.5f;
constexpr float kSway = 1.5f;
constexpr float kRingStep = 0.7853981625f;  // a quarter of pi, as the layout always used

// Next generator value in [0, 1).
float unit() {
    return demoRand() / 32768.0f;
}

}  // namespace

void TubeEffect::prepare() {
    for (int j = 0; j < kRingPoints; ++j) {
        const float angle = j * kRingStep;
        ringNormals[j] = Vector3(std::cos(angle), 0.0f, std::sin(angle));
    }
}

void TubeEffect::buildTube(float phase) {
    for (int r = 0; r < kRings; ++r) {
        const float y = kRingSpacing * r;
        const float w = 3.0f * phase + 0.3f * y;
        const float cx = kSway * std::sin(0.6f * w + std::sin(0.2f * w));
        const float cz = kSway * std::sin(w + std::sin(0.35f * w));
        for (int j = 0; j < kRingPoints; ++j) {
            const float angle = j * kRingStep;
            ringPoints[kRingPoints * r + j] =
                Vector3(cx + kRadius * std::cos(angle), y, cz + kRadius * std::sin(angle));
        }
    }
}

void TubeEffect::drawTube() const {
    glBegin(GL_QUADS);
    for (int r = 0; r + 1 < kRings; ++r) {
        const Vector3* ring = &ringPoints[kRingPoints * r];
        const Vector3* next = ring + kRingPoints;
        for (int j = 0; j + 1 < kRingPoints; ++j) {
            glNormal3fv(&ringNormals[j].x);
            glVertex3fv(&ring[j].x);
            glVertex3fv(&next[j].x);
            glNormal3fv(&ringNormals[j + 1].x);
            glVertex3fv(&next[j + 1].x);
            glVertex3fv(&ring[j + 1].x);
        }
    }
    glEnd();
}

void TubeEffect::render(float time, float) {
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    enableSphereMapping();
    g_textureCache.bind("textures\\testenvmap.jpg");

    // Same layout every frame; the generator moves on from where it was.
    const unsigned resume = static_cast<unsigned>(demoRand());
    demoSrand(1);

    glPushMatrix();
    for (int k = 0; k < kTubes; ++k) {
        const float angle = unit() * 6.2831853f;
        const float radius = unit() * 10.0f + 8.0f;
        glPushMatrix();
        glTranslatef(radius * std::cos(angle), 0.0f, radius * std::sin(angle));
        buildTube(unit() * 10.0f + time);
        drawTube();
        glPopMatrix();
    }
    glPopMatrix();

    demoSrand(resume);
    glPopAttrib();
}
