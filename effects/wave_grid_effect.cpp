#include "effects/wave_grid_effect.h"

#include <GL/gl.h>

#include <cmath>

#include "effects/sphere_map.h"
#include "texture/texture_cache.h"

WaveGridEffect g_waveGrid;

namespace {

constexpr float kHeightScale = 5.0f;

}  // namespace

void WaveGridEffect::prepare() {
    vertices = new Vector3[kSide * kSide];
    normals = new Vector3[kSide * kSide];
    for (int i = 0; i < kSide * kSide; ++i) {
        vertices[i] = Vector3::zero();
        normals[i] = Vector3(0.0f, 1.0f, 0.0f);
    }
}

void WaveGridEffect::buildField(float time) {
    const float s = 0.05f * time;
    for (int i = 0; i < 4; ++i) {
        WaveSource& source = sources[i];
        source.position =
            Vector3(std::sin(s + i + std::sin(3.0f * s + i)), 0.0f, std::cos(s + i + std::sin(s)));
        source.frequency = i + 32.0f * std::sin(i * std::sin(2.7f * s) + s);
        source.damping = 1.0f;
    }
    for (int j = 0; j < kSide; ++j) {
        const float v = 2.0f * j / kSide - 1.0f;
        for (int k = 0; k < kSide; ++k) {
            const float u = 2.0f * k / kSide - 1.0f;
            float h = 0.0f;
            for (const WaveSource& source : sources) {
                const float du = u - source.position.x, dv = v - source.position.z;
                const float d = std::sqrt(du * du + dv * dv);
                h += std::sin(d * source.frequency) * std::exp(-d * source.damping);
            }
            vertices[kSide * j + k] = Vector3(float(k), kHeightScale * h, float(j));
        }
    }
    buildNormals();
}

void WaveGridEffect::buildNormals() {
    // Differences towards the next column and row; the last column and row look back
    // instead, so the border gets normals of the same kind as the inside.
    for (int j = 0; j < kSide; ++j) {
        for (int k = 0; k < kSide; ++k) {
            const int k0 = k + 1 < kSide ? k : k - 1, j0 = j + 1 < kSide ? j : j - 1;
            const Vector3& c0 = vertices[kSide * j + k0];
            const Vector3& c1 = vertices[kSide * j + k0 + 1];
            const Vector3& r0 = vertices[kSide * j0 + k];
            const Vector3& r1 = vertices[kSide * (j0 + 1) + k];
            // a = v(j, k) - v(j, k+1), b = v(j, k) - v(j+1, k); the normal is -(a x b).
            Vector3 a, b, n;
            subtract(c0, c1, a);
            subtract(r0, r1, b);
            cross(a, b, n);
            const double length = n.length();
            normals[kSide * j + k] =
                length > 0.0
                    ? Vector3(float(-n.x / length), float(-n.y / length), float(-n.z / length))
                    : Vector3(0.0f, 1.0f, 0.0f);
        }
    }
}

void WaveGridEffect::render(float time, float) {
    if (!vertices) return;  // not prepared: nothing to build into
    glDisable(GL_CULL_FACE);
    glColor3f(1.0f, 1.0f, 1.0f);
    glDisable(GL_LIGHTING);
    g_textureCache.bind("textures\\test\\envi1.jpg");
    enableSphereMapping();
    glTranslatef(-0.5f * kSide, 0.0f, -0.5f * kSide);

    buildField(time);

    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    for (int j = 0; j + 1 < kSide; ++j) {
        for (int k = 0; k + 1 < kSide; ++k) {
            const int corners[4] = {kSide * j + k, kSide * j + k + 1, kSide * (j + 1) + k + 1,
                                    kSide * (j + 1) + k};
            for (int c : corners) {
                glNormal3fv(&normals[c].x);
                glVertex3fv(&vertices[c].x);
            }
        }
    }
    glEnd();
    glDisable(GL_LIGHTING);
}
