// sphere_grid.h - the rippling sphere of the shock-wave effects: a 48 x 48 grid of points on a
// unit sphere pushed in and out along their radius, with normals from finite differences.
//
// Row i sits at height y = -1 + i/24 (the bottom row collapses onto the pole, the top is left
// open); column j at parameter u = u0 + j/24, the angle round the axis being (u + 1) * pi.
// Row 0 starts at u0 = -1, every later row at u0 = 0, so the later rows leave a thin seam
// open. The effects differ only in the radial scale they give each point. Each vertex has two
// neighbours, a tiny step along u and along y, whose scales the effect gives as well; the
// normal is the cross product of the steps to them, which points into the sphere.
#pragma once

#include "math/vector3.h"

// A point in double precision: the surface is evaluated in double and stored as float.
struct SpherePoint {
    double x, y, z;
};

// One vertex and its two neighbours, as the grid hands them to the effect for their scales.
struct GridSample {
    int row, column;
    int uSet;  // which column parameters the row uses: 0 in row 0, 1 in the others
    // On the round sphere: the vertex, its neighbour along u, its neighbour along y.
    SpherePoint unit[3];
};

class SphereGrid {
  public:
    static constexpr int kSide = 48;
    static constexpr int kPoints = kSide * kSide;

    // The grid's parameters, the same in every frame. Index 0 of the last dimension is the
    // vertex's own value, index 1 the neighbour's (one step epsilon further on).
    struct Parameters {
        double y[kSide][2];        // per row
        double u[2][kSide][2];     // per column, for row 0 and for the later rows
        double ring[kSide][2];     // per row: the radius of the circle at that height
        double cosA[2][kSide][2];  // per column: the angle round the axis
        double sinA[2][kSide][2];
    };
    static const Parameters& parameters();

    // Index row * kSide + column. Part of the object, so there is nothing to allocate and
    // nothing that can be missing when the grid is drawn.
    Vector3 vertices[kPoints];
    Vector3 normals[kPoints];

    // Rebuilds every vertex and normal. scales(sample, out) writes the radial scales of the
    // vertex and of its two neighbours, in the order of sample.unit.
    template <class Scales>
    void build(const Scales& scales);

    // One GL_TRIANGLES batch, each corner sent as its normal then its position; the seam
    // between the last and the first column stays open.
    void draw() const;

  private:
    // Stores the vertex and its normal, from the scaled points of a sample; where the
    // neighbours do not span a plane (at the pole) the normal points to the centre.
    void store(int index, const GridSample& sample, const double scale[3]);
};

template <class Scales>
void SphereGrid::build(const Scales& scales) {
    const Parameters& p = parameters();
    GridSample sample;
    for (int i = 0; i < kSide; ++i) {
        sample.row = i;
        sample.uSet = i == 0 ? 0 : 1;
        const double y = p.y[i][0], yNext = p.y[i][1];
        const double ring = p.ring[i][0], ringNext = p.ring[i][1];
        for (int j = 0; j < kSide; ++j) {
            sample.column = j;
            const double* c = p.cosA[sample.uSet][j];
            const double* s = p.sinA[sample.uSet][j];
            sample.unit[0] = {ring * c[0], y, ring * s[0]};
            sample.unit[1] = {ring * c[1], y, ring * s[1]};
            sample.unit[2] = {ringNext * c[0], yNext, ringNext * s[0]};
            double scale[3];
            scales(sample, scale);
            store(i * kSide + j, sample, scale);
        }
    }
}
