// marching_grid.h - an iso-surface of point and plane sources, followed cell by cell.
//
// The field is sampled on an n x n x n grid (grid point (x, y, z) at linear index
// x*n*n + y*n + z; one grid unit per world unit). Each ball adds strength / r^2, each plane
// strength / (distance^2); the surface lies where the field equals the threshold, and points
// above it are inside. Rather than marching every cell, polygonise() starts at each ball's
// centre, walks along x until it meets the surface and then floods across the cell faces the
// surface crosses, so only grid points next to the surface are ever evaluated (each once per
// frame).
//
// Normals point outward (towards lower field values) and are not unit length: draw with
// GL_NORMALIZE or normalise them.
#pragma once

#include <cstdint>
#include <vector>

#include "math/vector3.h"

class MarchingGrid {
  public:
    static constexpr int kMaxBalls = 16;
    static constexpr int kMaxPlanes = 16;

    struct Ball {
        Vector3 centre;
        float strength;
    };
    struct PlaneSource {
        Vector3 point;
        Vector3 normal;
        float a, b, c, d;  // the plane through point with that normal
        float strength;
        float invNormalLengthSq;
    };

    // Receives each vertex of the surface, three per triangle, counter-clockwise from outside.
    using VertexSink = void (*)(void* user, const Vector3& normal, const Vector3& point);

    // Allocates the buffers for n points per axis and clears the sources.
    void setup(int n, float isoLevel);

    // Sources beyond kMaxBalls / kMaxPlanes are ignored.
    void addBall(const Vector3& centre, float strength);
    void addPlane(const Vector3& point, const Vector3& normal, float strength);
    void clearSources() { ballCount = planeCount = 0; }

    // Emits the triangles as glNormal/glVertex pairs into the caller's GL_TRIANGLES primitive.
    void polygonise();
    // The same, each vertex handed to sink.
    void polygonise(VertexSink sink, void* user);

    // The field at a grid point, evaluated on first use this frame (within polygonise).
    float valueAt(int x, int y, int z) { return evaluate(index(x, y, z)); }
    const Vector3& gradientAt(int x, int y, int z) {
        const int i = index(x, y, z);
        evaluate(i);
        return gradients[i];
    }

    int ballCount = 0;
    int planeCount = 0;
    Ball balls[kMaxBalls];
    PlaneSource planes[kMaxPlanes];
    int size = 0;
    std::vector<float> values;
    std::vector<Vector3> gradients;
    float threshold = 0.0f;
    std::vector<uint8_t> cellVisited;
    std::vector<uint8_t> pointDone;
    Vector3 edgePoints[12];
    Vector3 edgeNormals[12];

  private:
    struct FloodStep {
        int cell;
        uint8_t faces;     // faces the surface crosses, bit f for face f (z-, z+, y-, y+, x-, x+)
        uint8_t nextFace;  // the face to look across next
    };

    int index(int x, int y, int z) const { return (x * size + y) * size + z; }
    float evaluate(int point);
    int cubeIndex(int cell);
    // Emits one cell's triangles; returns the faces its surface crosses.
    uint8_t polygoniseCell(int cell, int cubeIndex);
    // Visits a cell not yet seen: marks it, and when the surface crosses it, polygonises it
    // and floods from it. Returns whether the surface crosses it.
    bool visit(int cell);
    void flood(int cell, uint8_t faces);

    VertexSink sink_ = nullptr;
    void* user_ = nullptr;
    std::vector<FloodStep> stack_;
};
