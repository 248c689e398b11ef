#include "effects/sphere_grid.h"

#include <GL/gl.h>

#include <cmath>

namespace {

SphereGrid::Parameters makeParameters() {
    SphereGrid::Parameters p;
    // The steps accumulate in single precision, as the grid was always laid out.
    const float step = 1.0f / 24.0f;
    const float epsilon = 0.00001f;
    float y = -1.0f;
    for (int i = 0; i < SphereGrid::kSide; ++i, y += step) {
        p.y[i][0] = y;
        p.y[i][1] = double(y) + epsilon;
        for (int k = 0; k < 2; ++k)
            p.ring[i][k] = std::sqrt(std::fmax(0.0, 1.0 - p.y[i][k] * p.y[i][k]));
    }
    for (int set = 0; set < 2; ++set) {
        float u = set == 0 ? -1.0f : 0.0f;
        for (int j = 0; j < SphereGrid::kSide; ++j, u += step) {
            p.u[set][j][0] = u;
            p.u[set][j][1] = double(u) + epsilon;
            for (int k = 0; k < 2; ++k) {
                const double angle = (p.u[set][j][k] + 1.0) * 0.5 * 6.2831853;
                p.cosA[set][j][k] = std::cos(angle);
                p.sinA[set][j][k] = std::sin(angle);
            }
        }
    }
    return p;
}

}  // namespace

const SphereGrid::Parameters& SphereGrid::parameters() {
    static const Parameters p = makeParameters();
    return p;
}

void SphereGrid::store(int index, const GridSample& sample, const double scale[3]) {
    SpherePoint q[3];
    for (int k = 0; k < 3; ++k)
        q[k] = {scale[k] * sample.unit[k].x, scale[k] * sample.unit[k].y,
                scale[k] * sample.unit[k].z};
    const SpherePoint& v = q[0];
    vertices[index] = Vector3(float(v.x), float(v.y), float(v.z));

    const double ax = q[1].x - v.x, ay = q[1].y - v.y, az = q[1].z - v.z;
    const double bx = q[2].x - v.x, by = q[2].y - v.y, bz = q[2].z - v.z;
    double nx = ay * bz - az * by;
    double ny = az * bx - ax * bz;
    double nz = ax * by - ay * bx;
    double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0.0)) {
        // On the pole a step round it can stay on the pole: no plane, no normal. Point in,
        // like the rest of the grid.
        nx = -v.x;
        ny = -v.y;
        nz = -v.z;
        length = std::sqrt(nx * nx + ny * ny + nz * nz);
        if (!(length > 0.0)) {
            normals[index] = Vector3(0.0f, 1.0f, 0.0f);
            return;
        }
    }
    const double k = 1.0 / length;
    normals[index] = Vector3(float(nx * k), float(ny * k), float(nz * k));
}

void SphereGrid::draw() const {
    glBegin(GL_TRIANGLES);
    for (int i = 0; i + 1 < kSide; ++i) {
        for (int j = 0; j + 1 < kSide; ++j) {
            const int k = i * kSide + j;
            const int corners[6] = {k, k + kSide, k + 1, k + kSide, k + kSide + 1, k + 1};
            for (int c : corners) {
                glNormal3fv(&normals[c].x);
                glVertex3fv(&vertices[c].x);
            }
        }
    }
    glEnd();
}
