// twisted_mesh.h - a mesh whose points are turned one by one on the processor every frame.
//
// Each point of layer 0 (and its normal) is turned about x by 180 sin(0.5 phase) degrees, then
// about y by 180 sin(0.35 phase) degrees, where phase = base - lag * (the point's distance from
// the centre). Points farther out lag behind, so waves of rotation run outwards through the
// object and it wrings itself like a towel. The twisting torus and the spike ball share this.
//
// The live points are the mesh layer's own point array: its display lists do not see the twist,
// and every frame starts again from the rest shape kept beside it.
#pragma once

#include <vector>

#include "math/vector3.h"
#include "mesh/mesh.h"

class TwistedMesh {
  public:
    // Reads the object from the data archive and keeps its layer 0 as the rest shape. A missing,
    // refused or empty object is reported once (by the reader, or here when it has no layer 0)
    // and leaves nothing to draw: false.
    bool load(const char* entryName);
    // Takes the rest shape from layer 0 of the mesh as it now stands (load does this after
    // reading); false, after a message, when there is no layer 0. Needs no OpenGL.
    bool useLoadedMesh();

    // Rebuilds the live points and normals from the rest shape, each turned by its own phase.
    void twist(float base, float lag);
    // One GL_TRIANGLES batch of layer 0 with the live normals and points (corners in reverse
    // order, as the mesh's display lists have them). No texture coordinates.
    void drawTriangles() const;

    int pointCount = 0;
    Mesh mesh;
    std::vector<Vector3> restPoints;
    // One normal per point: the corner normal a triangle gave it last; zero for a point that
    // is on no triangle.
    std::vector<Vector3> restNormals;
    Vector3* points = nullptr;  // layer 0's own points, rewritten by twist()
    std::vector<Vector3> normals;
};

// The turn of one point at phase: about x by 180 sin(0.5 phase), then about y by
// 180 sin(0.35 phase) degrees, as the rows of a 3 x 3 matrix.
struct TwistRotation {
    float m[9];
    explicit TwistRotation(float phase);
    void apply(Vector3& v) const {
        const float x = v.x, y = v.y, z = v.z;
        v.x = m[0] * x + m[1] * y + m[2] * z;
        v.y = m[3] * x + m[4] * y + m[5] * z;
        v.z = m[6] * x + m[7] * y + m[8] * z;
    }
};
