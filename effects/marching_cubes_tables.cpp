#include "effects/marching_cubes_tables.h"

namespace marching {

const int8_t kCornerOffset[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1},
                                    {0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 1, 1}};

const int8_t kEdgeCorners[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                    {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

namespace {

// The six faces: their corners in order around the face, and the outward normal.
struct Face {
    int corners[4];
    int normal[3];
};
const Face kFaces[6] = {
    {{0, 1, 5, 4}, {0, 0, -1}},  // z-
    {{3, 2, 6, 7}, {0, 0, 1}},   // z+
    {{0, 1, 2, 3}, {0, -1, 0}},  // y-
    {{4, 5, 6, 7}, {0, 1, 0}},   // y+
    {{0, 3, 7, 4}, {-1, 0, 0}},  // x-
    {{1, 2, 6, 5}, {1, 0, 0}},   // x+
};

int edgeBetween(int a, int b) {
    for (int e = 0; e < 12; ++e)
        if ((kEdgeCorners[e][0] == a && kEdgeCorners[e][1] == b) ||
            (kEdgeCorners[e][0] == b && kEdgeCorners[e][1] == a))
            return e;
    return -1;
}

// Positions doubled, so edge midpoints stay integers.
void cornerPosition(int corner, int out[3]) {
    for (int i = 0; i < 3; ++i) out[i] = 2 * kCornerOffset[corner][i];
}
void edgeMidpoint(int edge, int out[3]) {
    for (int i = 0; i < 3; ++i)
        out[i] = kCornerOffset[kEdgeCorners[edge][0]][i] + kCornerOffset[kEdgeCorners[edge][1]][i];
}

// Links the surface's crossing of a face from edge `from` to edge `to`, directed so that the
// inside corner lies on its right seen from outside the cell: then every closed chain of
// links runs counter-clockwise seen from outside the surface.
void link(int e1, int e2, int insideCorner, const int normal[3], int next[12]) {
    int p[3], q[3], c[3];
    edgeMidpoint(e1, p);
    edgeMidpoint(e2, q);
    cornerPosition(insideCorner, c);
    const int d[3] = {q[0] - p[0], q[1] - p[1], q[2] - p[2]};
    const int v[3] = {c[0] - p[0], c[1] - p[1], c[2] - p[2]};
    const int cross[3] = {d[1] * v[2] - d[2] * v[1], d[2] * v[0] - d[0] * v[2],
                          d[0] * v[1] - d[1] * v[0]};
    const int side = cross[0] * normal[0] + cross[1] * normal[1] + cross[2] * normal[2];
    if (side < 0)
        next[e1] = e2;
    else
        next[e2] = e1;
}

// The faces an edge lies on, as bits (z-, z+, y-, y+, x-, x+).
unsigned edgeFaces(int edge) {
    unsigned faces = 0;
    for (int f = 0; f < 6; ++f)
        for (int i = 0; i < 4; ++i)
            if (edgeBetween(kFaces[f].corners[i], kFaces[f].corners[(i + 1) % 4]) == edge)
                faces |= 1u << f;
    return faces;
}

// Splits the polygon loop[0..count-1] into triangles whose new sides all run through the
// inside of the cell: a side joining two points on one face would lie in that face, where
// the neighbouring cell may put a side of its own. Triangles keep the loop's turning sense.
// Returns the number of edge numbers written, or -1 when no such split exists.
int triangulate(const int* loop, int count, int8_t* out) {
    if (count < 3) return 0;
    auto inner = [](int a, int b) { return (edgeFaces(a) & edgeFaces(b)) == 0; };
    for (int k = 1; k + 1 < count; ++k) {
        if ((k > 1 && !inner(loop[0], loop[k])) ||
            (k + 2 < count && !inner(loop[k], loop[count - 1])))
            continue;
        int8_t* write = out;
        *write++ = int8_t(loop[0]);
        *write++ = int8_t(loop[k]);
        *write++ = int8_t(loop[count - 1]);
        const int before = triangulate(loop, k + 1, write);
        if (before < 0) continue;
        const int after = triangulate(loop + k, count - k, write + before);
        if (after < 0) continue;
        return 3 + before + after;
    }
    return -1;
}

void buildRow(int index, Tables& t) {
    auto inside = [index](int corner) { return ((index >> corner) & 1) == 0; };
    uint16_t mask = 0;
    for (int e = 0; e < 12; ++e)
        if (inside(kEdgeCorners[e][0]) != inside(kEdgeCorners[e][1])) mask |= uint16_t(1u << e);
    t.edgeMask[index] = mask;

    int next[12];
    for (int& n : next) n = -1;
    for (const Face& face : kFaces) {
        const int* q = face.corners;
        int crossed[4], count = 0;
        for (int i = 0; i < 4; ++i)
            if (inside(q[i]) != inside(q[(i + 1) % 4]))
                crossed[count++] = edgeBetween(q[i], q[(i + 1) % 4]);
        if (count == 2) {
            int in = 0;
            while (!inside(q[in])) ++in;
            link(crossed[0], crossed[1], q[in], face.normal, next);
        } else if (count == 4) {
            // Diagonal corners agree: cut off each inside corner on its own.
            for (int i = 0; i < 4; ++i)
                if (inside(q[i]))
                    link(edgeBetween(q[(i + 3) % 4], q[i]), edgeBetween(q[i], q[(i + 1) % 4]), q[i],
                         face.normal, next);
        }
    }

    // Each closed chain of links is one polygon.
    int n = 0;
    bool used[12] = {};
    for (int start = 0; start < 12; ++start) {
        if (!(mask & (1u << start)) || used[start]) continue;
        int loop[12], length = 0;
        for (int e = start; e >= 0 && !used[e]; e = next[e]) {
            used[e] = true;
            loop[length++] = e;
        }
        int8_t split[3 * 10];
        const int written = triangulate(loop, length, split);
        for (int i = 0; i < written && n < kMaxTriangleEdges; ++i)
            t.triangles[index][n++] = split[i];
    }
    t.triangles[index][n] = -1;
}

Tables buildTables() {
    Tables t{};
    for (int index = 0; index < 256; ++index) buildRow(index, t);
    return t;
}

}  // namespace

const Tables& tables() {
    static const Tables built = buildTables();
    return built;
}

}  // namespace marching
