#include "effects/twisted_mesh.h"

#include <GL/gl.h>

#include <cmath>

#include "mesh/mesh_library.h"
#include "platform/platform.h"

TwistRotation::TwistRotation(float phase) {
    // Degrees to radians with the same single-precision factors as Matrix4's rotations, so the
    // turn is the one rotateX then rotateY would build, without a 4 x 4 matrix per point.
    const float degreesX = 180.0f * std::sin(0.5f * phase);
    const float degreesY = 180.0f * std::sin(0.35f * phase);
    const float ax = degreesX * 3.14159f * 0.0055555557f;
    const float ay = degreesY * 3.14159f * 0.0055555557f;
    const float sx = std::sin(ax), cx = std::cos(ax);
    const float sy = std::sin(ay), cy = std::cos(ay);
    // Ry * Rx
    const float rows[9] = {cy, sy * sx, sy * cx, 0.0f, cx, -sx, -sy, cy * sx, cy * cx};
    for (int i = 0; i < 9; ++i) m[i] = rows[i];
}

bool TwistedMesh::load(const char* entryName) {
    pointCount = 0;  // nothing to draw until the new shape is in
    points = nullptr;
    // The start-up's library read the same entry and has said why it refused it: a second
    // message about the same object would tell the user nothing new.
    if (g_meshLibrary.refused(entryName)) return false;
    return mesh.load(entryName) && useLoadedMesh();
}

bool TwistedMesh::useLoadedMesh() {
    pointCount = 0;
    points = nullptr;
    MeshLayer* layer = mesh.layer(0);
    if (!layer) {
        platform::showMessageWith("Object has no layer 0: %s", mesh.name.c_str());
        return false;
    }
    restPoints = layer->points;
    // A point shared by several triangles keeps the corner normal written last.
    restNormals.assign(layer->points.size(), Vector3::zero());
    for (const MeshPolygon& polygon : layer->polygons)
        for (int k = 0; k < 3; ++k) restNormals[polygon.points[k]] = polygon.cornerNormals[k];
    normals = restNormals;
    points = layer->points.data();
    pointCount = static_cast<int>(layer->points.size());
    return true;
}

void TwistedMesh::twist(float base, float lag) {
    for (int i = 0; i < pointCount; ++i) {
        Vector3 p = restPoints[i];
        Vector3 n = restNormals[i];
        const float distance = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
        const TwistRotation turn(base - distance * lag);
        turn.apply(p);
        turn.apply(n);
        points[i] = p;
        normals[i] = n;
    }
}

void TwistedMesh::drawTriangles() const {
    const MeshLayer* layer = pointCount > 0 ? mesh.layer(0) : nullptr;
    if (!layer) return;
    glBegin(GL_TRIANGLES);
    for (const MeshPolygon& polygon : layer->polygons) {
        for (int k = 2; k >= 0; --k) {
            const uint32_t i = polygon.points[k];
            glNormal3fv(&normals[i].x);
            glVertex3fv(&points[i].x);
        }
    }
    glEnd();
}
