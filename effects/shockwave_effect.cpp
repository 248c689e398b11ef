#include "effects/shockwave_effect.h"

#include <GL/gl.h>

#include <cmath>

#include "effects/sphere_map.h"
#include "texture/texture_cache.h"

ShockwaveEffect g_shockwave;

void ShockwaveEffect::prepare() {}

namespace {

// The scale from the swell of the row (sin(t + y)) and the waves of the column (sin and cos
// of u + t): the waves run round the sphere and up it, and their sum moves the phase of one
// slow swell of 40 percent. Two pi is taken from the single-precision pi, as always.
double scaleOf(double time, double swell, double waveSin, double waveCos) {
    const double twoPi = double(3.14159274f) * 2.0;
    return 0.4 * std::sin(time + twoPi * swell * waveSin + 6.0 * swell * waveCos) + 1.0;
}

}  // namespace

double ShockwaveEffect::rippleScale(double u, double y, double time) {
    return scaleOf(time, std::sin(time + y), std::sin(u + time), std::cos(u + time));
}

void ShockwaveEffect::buildGrid(float time) {
    constexpr int kSide = SphereGrid::kSide;
    const double t = time;
    const SphereGrid::Parameters& p = SphereGrid::parameters();
    // What depends on the row or the column alone, once per frame rather than per point.
    double swell[kSide][2];
    double waveSin[2][kSide][2], waveCos[2][kSide][2];
    for (int i = 0; i < kSide; ++i)
        for (int k = 0; k < 2; ++k) swell[i][k] = std::sin(t + p.y[i][k]);
    for (int set = 0; set < 2; ++set)
        for (int j = 0; j < kSide; ++j)
            for (int k = 0; k < 2; ++k) {
                waveSin[set][j][k] = std::sin(p.u[set][j][k] + t);
                waveCos[set][j][k] = std::cos(p.u[set][j][k] + t);
            }
    grid.build([&](const GridSample& g, double scale[3]) {
        const double* s = swell[g.row];
        const double* ws = waveSin[g.uSet][g.column];
        const double* wc = waveCos[g.uSet][g.column];
        scale[0] = scaleOf(t, s[0], ws[0], wc[0]);
        scale[1] = scaleOf(t, s[0], ws[1], wc[1]);  // the step along u
        scale[2] = scaleOf(t, s[1], ws[0], wc[0]);  // the step along y keeps u's waves
    });
}

void ShockwaveEffect::render(float time, float) {
    glDisable(GL_CULL_FACE);
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    buildGrid(time);

    enableSphereMapping();
    g_textureCache.bind("textures\\shockwave.jpg");
    grid.draw();

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glPopAttrib();
}
