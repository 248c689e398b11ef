#include "effects/arrow_shock_effect.h"

#include <GL/gl.h>

#include <cmath>

#include "effects/sphere_map.h"
#include "math/aim.h"
#include "mesh/mesh_library.h"
#include "texture/texture_cache.h"

ArrowShockEffect g_arrowShock;

void ArrowShockEffect::prepare() {}

double ArrowShockEffect::strikeRipple(double distance) {
    return std::sin(15.0 * distance) * std::exp(-1.8 * distance);
}

namespace {

// The ripples at a point and at its two neighbours, whose distances differ from the point's by
// a hair. sin(15 d) and exp(-1.8 d) are taken once at the point; the neighbours' follow by the
// sum formulas, with the sine, cosine and exponential of the hair from their series (exact in
// double for so small an argument), which costs a fraction of three full evaluations.
void ripplesAround(const double distance[3], double ripple[3]) {
    const double s = std::sin(15.0 * distance[0]);
    const double c = std::cos(15.0 * distance[0]);
    const double e = std::exp(-1.8 * distance[0]);
    ripple[0] = s * e;
    for (int k = 1; k < 3; ++k) {
        const double hair = distance[k] - distance[0];
        const double x = 15.0 * hair;
        if (std::fabs(x) > 1e-3) {  // near the pole the step up is not so small
            ripple[k] = ArrowShockEffect::strikeRipple(distance[k]);
            continue;
        }
        // Multiplications by the reciprocals: divisions would cost more than the rest.
        const double x2 = x * x;
        const double sinX = x * (1.0 - x2 * (1.0 / 6.0) * (1.0 - x2 * (1.0 / 20.0)));
        const double cosX = 1.0 - x2 * 0.5 * (1.0 - x2 * (1.0 / 12.0) * (1.0 - x2 * (1.0 / 30.0)));
        const double z = -1.8 * hair;
        const double expZ = 1.0 + z * (1.0 + z * 0.5 * (1.0 + z * (1.0 / 3.0) * (1.0 + z * 0.25)));
        ripple[k] = (s * cosX + c * sinX) * (e * expZ);
    }
}

}  // namespace

void ArrowShockEffect::placeArrows(float time) {
    const float h = 0.5f * time;
    for (int i = 0; i < kArrows; ++i) {
        const float n = float(i);
        arrows[i] = Vector3(2.0f * std::sin(n + h), 2.0f * std::sin(h + std::sin(n + h)),
                            2.0f * std::cos(h + n * std::sin(n)));
    }
}

void ArrowShockEffect::buildGrid(float time) {
    placeArrows(time);
    const Vector3* arrow = arrows;
    // The ripple is measured from the point on the round sphere to where each arrow is
    // reckoned to be, not to where it is drawn.
    grid.build([arrow](const GridSample& g, double scale[3]) {
        scale[0] = scale[1] = scale[2] = 1.0;
        for (int n = 0; n < kArrows; ++n) {
            double distance[3], ripple[3];
            for (int k = 0; k < 3; ++k) {
                const double dx = arrow[n].x - g.unit[k].x;
                const double dy = arrow[n].y - g.unit[k].y;
                const double dz = arrow[n].z - g.unit[k].z;
                distance[k] = std::sqrt(dx * dx + dy * dy + dz * dz);
            }
            ripplesAround(distance, ripple);
            for (int k = 0; k < 3; ++k) scale[k] += ripple[k];
        }
    });
}

void ArrowShockEffect::render(float time, float) {
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);

    buildGrid(time);
    for (const Vector3& a : arrows) {
        Vector3 towardsCentre;
        const AimAngles aim = aimAlong(negate(a, towardsCentre));
        glPushMatrix();
        glTranslatef(1.5f * a.x, 1.5f * a.y, 1.5f * a.z);
        glRotatef(radiansToDegrees(aim.yaw), 0, 1, 0);
        glRotatef(radiansToDegrees(aim.pitch), 1, 0, 0);
        glScalef(0.2f, 0.2f, 0.2f);
        g_meshLibrary.draw("lwos\\arrow.lwo", 0);
        glPopMatrix();
    }

    enableSphereMapping();
    glDisable(GL_LIGHTING);
    g_textureCache.bind("textures\\shockwave.jpg");
    grid.draw();
    glPopAttrib();
}
