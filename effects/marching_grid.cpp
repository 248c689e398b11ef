#include "effects/marching_grid.h"

#include <GL/gl.h>

#include <algorithm>

#include "effects/marching_cubes_tables.h"

namespace {

// A grid point closer than this to a source (squared distance, grid units) is treated as
// lying at this distance: exactly on a ball centre or a plane the field would be infinite and
// the normal 0 * infinity, which would turn every edge point interpolated from it into NaN.
constexpr float kNearestSq = 1e-6f;

// The two cell faces each edge lies on (bit f for face f: z-, z+, y-, y+, x-, x+).
constexpr uint8_t kEdgeFaces[12] = {
    1 << 2 | 1 << 0, 1 << 5 | 1 << 2, 1 << 2 | 1 << 1, 1 << 4 | 1 << 2,
    1 << 3 | 1 << 0, 1 << 5 | 1 << 3, 1 << 3 | 1 << 1, 1 << 4 | 1 << 3,
    1 << 4 | 1 << 0, 1 << 5 | 1 << 0, 1 << 5 | 1 << 1, 1 << 4 | 1 << 1,
};

void glVertexSink(void*, const Vector3& normal, const Vector3& point) {
    glNormal3fv(&normal.x);
    glVertex3fv(&point.x);
}

}  // namespace

void MarchingGrid::setup(int n, float isoLevel) {
    size = n;
    const size_t points = n > 0 ? size_t(n) * n * n : 0;
    values.assign(points, 0.0f);
    gradients.assign(points, Vector3::zero());
    cellVisited.assign(points, 0);
    pointDone.assign(points, 0);
    stack_.reserve(n > 1 ? size_t(n - 1) * (n - 1) * (n - 1) : 0);
    threshold = isoLevel;
    clearSources();
}

void MarchingGrid::addBall(const Vector3& centre, float strength) {
    if (ballCount < kMaxBalls) balls[ballCount++] = {centre, strength};
}

void MarchingGrid::addPlane(const Vector3& point, const Vector3& normal, float strength) {
    const float lengthSq = normal.x * normal.x + normal.y * normal.y + normal.z * normal.z;
    if (planeCount >= kMaxPlanes || !(lengthSq > 0.0f)) return;  // a plane needs a direction
    PlaneSource& p = planes[planeCount++];
    p.point = point;
    p.normal = normal;
    p.a = normal.x;
    p.b = normal.y;
    p.c = normal.z;
    p.d = -(normal.x * point.x + normal.y * point.y + normal.z * point.z);
    p.strength = strength;
    p.invNormalLengthSq = 1.0f / lengthSq;
}

float MarchingGrid::evaluate(int i) {
    if (pointDone[i]) return values[i];
    const float x = float(i / (size * size));
    const float y = float(i / size % size);
    const float z = float(i % size);
    float value = 0.0f;
    Vector3 normal = Vector3::zero();
    for (int k = 0; k < ballCount; ++k) {
        const Ball& ball = balls[k];
        const float dx = x - ball.centre.x, dy = y - ball.centre.y, dz = z - ball.centre.z;
        const float w = 1.0f / std::max(dx * dx + dy * dy + dz * dz, kNearestSq);
        const float sw = ball.strength * w;
        value += sw;
        normal += Vector3(dx * sw * w, dy * sw * w, dz * sw * w);
    }
    for (int k = 0; k < planeCount; ++k) {
        const PlaneSource& p = planes[k];
        const float e = p.a * x + p.b * y + p.c * z + p.d;
        const float sw = p.strength / std::max(e * e * p.invNormalLengthSq, kNearestSq);
        value += sw;
        normal += Vector3(p.a * sw, p.b * sw, p.c * sw);
    }
    values[i] = value;
    gradients[i] = normal;
    pointDone[i] = 1;
    return value;
}

int MarchingGrid::cubeIndex(int cell) {
    const int n = size, nn = size * size;
    // Corner k sits at cell + x*n*n + y*n + z for the corner's offsets.
    const int corner[8] = {cell,     cell + nn,     cell + nn + 1,     cell + 1,
                           cell + n, cell + nn + n, cell + nn + n + 1, cell + n + 1};
    int index = 0;
    for (int k = 0; k < 8; ++k)
        if (evaluate(corner[k]) < threshold) index |= 1 << k;
    return index;
}

uint8_t MarchingGrid::polygoniseCell(int cell, int cube) {
    const marching::Tables& t = marching::tables();
    const int n = size, nn = size * size;
    const Vector3 origin(float(cell / nn), float(cell / n % n), float(cell % n));
    const unsigned mask = t.edgeMask[cube];
    uint8_t faces = 0;
    for (int e = 0; e < 12; ++e) {
        if (!(mask & (1u << e))) continue;
        // Always interpolate from the edge's lower end, so that the cells sharing an edge
        // compute bit-identical points and normals.
        int a = marching::kEdgeCorners[e][0], b = marching::kEdgeCorners[e][1];
        const int8_t* oa = marching::kCornerOffset[a];
        const int8_t* ob = marching::kCornerOffset[b];
        if (oa[0] + oa[1] + oa[2] > ob[0] + ob[1] + ob[2]) std::swap(oa, ob);
        const int pa = cell + oa[0] * nn + oa[1] * n + oa[2];
        const int pb = cell + ob[0] * nn + ob[1] * n + ob[2];
        const float va = evaluate(pa), vb = evaluate(pb);
        const float u = (threshold - va) / (vb - va);
        edgePoints[e] =
            Vector3(origin.x + oa[0] + u * (ob[0] - oa[0]), origin.y + oa[1] + u * (ob[1] - oa[1]),
                    origin.z + oa[2] + u * (ob[2] - oa[2]));
        const Vector3& ga = gradients[pa];
        const Vector3& gb = gradients[pb];
        edgeNormals[e] =
            Vector3(ga.x + u * (gb.x - ga.x), ga.y + u * (gb.y - ga.y), ga.z + u * (gb.z - ga.z));
        faces |= kEdgeFaces[e];
    }
    for (const int8_t* edge = t.triangles[cube]; *edge >= 0; ++edge)
        sink_(user_, edgeNormals[*edge], edgePoints[*edge]);
    return faces;
}

bool MarchingGrid::visit(int cell) {
    cellVisited[cell] = 1;
    const int cube = cubeIndex(cell);
    if (cube == 0 || cube == 255) return false;
    flood(cell, polygoniseCell(cell, cube));
    return true;
}

void MarchingGrid::flood(int cell, uint8_t faces) {
    // Depth first, in the order a recursive flood would visit: a cell's neighbours are looked
    // at face by face, and each new surface cell is flooded before the next face. The stack
    // can hold every cell, so it never grows here.
    const int n = size, nn = size * size, last = size - 2;
    stack_.clear();
    stack_.push_back({cell, faces, 0});
    while (!stack_.empty()) {
        FloodStep& step = stack_.back();
        int f = step.nextFace;
        while (f < 6 && !(step.faces & (1u << f))) ++f;
        if (f == 6) {
            stack_.pop_back();
            continue;
        }
        step.nextFace = uint8_t(f + 1);
        const int c = step.cell;
        const int x = c / nn, y = c / n % n, z = c % n;
        int neighbour = -1;
        switch (f) {
            case 0:
                neighbour = z > 0 ? c - 1 : -1;
                break;
            case 1:
                neighbour = z < last ? c + 1 : -1;
                break;
            case 2:
                neighbour = y > 0 ? c - n : -1;
                break;
            case 3:
                neighbour = y < last ? c + n : -1;
                break;
            case 4:
                neighbour = x > 0 ? c - nn : -1;
                break;
            default:
                neighbour = x < last ? c + nn : -1;
                break;
        }
        if (neighbour < 0 || cellVisited[neighbour]) continue;
        cellVisited[neighbour] = 1;
        const int cube = cubeIndex(neighbour);
        if (cube == 0 || cube == 255) continue;
        const uint8_t crossed = polygoniseCell(neighbour, cube);
        stack_.push_back({neighbour, crossed, 0});
    }
}

void MarchingGrid::polygonise() {
    polygonise(glVertexSink, nullptr);
}

void MarchingGrid::polygonise(VertexSink sink, void* user) {
    if (size < 2) return;
    sink_ = sink;
    user_ = user;
    std::fill(cellVisited.begin(), cellVisited.end(), 0);
    std::fill(pointDone.begin(), pointDone.end(), 0);
    const int last = size - 2;
    // Whether a cell of the walk holds surface (visiting it, the first time, floods from it).
    auto surfaceAt = [this](int cell) {
        if (!cellVisited[cell]) return visit(cell);
        const int cube = cubeIndex(cell);
        return cube != 0 && cube != 255;
    };
    for (int b = 0; b < ballCount; ++b) {
        const Vector3& c = balls[b].centre;
        // The seed cell is the centre truncated towards zero; it must lie in 0..n-2.
        if (!(c.x > -1.0f && c.y > -1.0f && c.z > -1.0f && c.x < last + 1 && c.y < last + 1 &&
              c.z < last + 1))
            continue;
        const int y = int(c.y), z = int(c.z), seedX = int(c.x);
        // Down in x from the seed, then up unless the surface was met: each ball looks for
        // its own blob, even when an earlier ball's walk found the surface.
        bool found = false;
        for (int x = seedX; x >= 0 && !found; --x) found = surfaceAt(index(x, y, z));
        for (int x = seedX; x <= last && !found; ++x) found = surfaceAt(index(x, y, z));
    }
}
