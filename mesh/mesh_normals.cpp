// mesh_normals.cpp - face and corner normals of a loaded mesh. Needs no OpenGL.
#include "mesh/mesh.h"

namespace {

// Normalised copy; a zero vector stays zero instead of turning into NaNs that would spread
// through every smoothed normal sharing a point with a degenerate triangle.
Vector3 unit(const Vector3& v) {
    const double length = v.length();
    if (!(length > 0.0)) return Vector3::zero();
    Vector3 n = v;
    n *= static_cast<float>(1.0 / length);
    return n;
}

}  // namespace

void Mesh::computeNormals() {
    for (auto& layerPointer : layers) {
        MeshLayer* layer = layerPointer.get();
        if (!layer) continue;
        std::vector<Vector3> sums(layer->points.size(), Vector3::zero());
        for (MeshPolygon& polygon : layer->polygons) {
            const Vector3& a = layer->points[polygon.points[0]];
            const Vector3& b = layer->points[polygon.points[1]];
            const Vector3& c = layer->points[polygon.points[2]];
            Vector3 e1, e2, n;
            subtract(a, b, e1);
            subtract(a, c, e2);
            cross(e2, e1, n);
            polygon.faceNormal = unit(n);
            // Every face counts the same, whatever its area or angle.
            for (uint32_t point : polygon.points) sums[point] += polygon.faceNormal;
        }
        for (MeshPolygon& polygon : layer->polygons) {
            // Any positive smoothing angle smooths across every face sharing the point.
            const bool smooth = surfaces[polygon.surface].smoothingAngle > 0.0f;
            for (int k = 0; k < 3; ++k) {
                const Vector3 smoothed = smooth ? unit(sums[polygon.points[k]]) : Vector3::zero();
                const bool useFace =
                    !smooth || (smoothed.x == 0 && smoothed.y == 0 && smoothed.z == 0);
                polygon.cornerNormals[k] = useFace ? polygon.faceNormal : smoothed;
            }
        }
    }
}
