// marching_cubes_tables.h - which cell edges the surface crosses and how it is triangulated,
// for each of the 256 ways the eight corners of a cell can lie inside or outside.
//
// Corners: 0 (0,0,0), 1 (1,0,0), 2 (1,0,1), 3 (0,0,1), 4 (0,1,0), 5 (1,1,0), 6 (1,1,1),
// 7 (0,1,1); bit k of a cube index is set when corner k is outside (below the iso level).
// Edges 0-3 join corners 0-1, 1-2, 2-3, 3-0; edges 4-7 join 4-5, 5-6, 6-7, 7-4; edges 8-11
// join 0-4, 1-5, 2-6, 3-7.
//
// The triangle lists are built once, on first use, by tracing where the surface meets each
// face of the cell. A face whose diagonal corners agree (the ambiguous case) always keeps its
// inside corners apart, whichever cell looks at it, so two neighbouring cells cut their shared
// face along the same lines and the surface has no cracks. Triangles are wound
// counter-clockwise as seen from outside.
#pragma once

#include <cstdint>

namespace marching {

constexpr int kMaxTriangleEdges = 15;  // five triangles at most

// Cube-relative corner offsets (x, y, z) of corner k.
extern const int8_t kCornerOffset[8][3];
// The two corners of edge e, in the order above.
extern const int8_t kEdgeCorners[12][2];

struct Tables {
    uint16_t edgeMask[256];                        // bit e: edge e is crossed
    int8_t triangles[256][kMaxTriangleEdges + 1];  // edge numbers, three per triangle, then -1
};

const Tables& tables();

}  // namespace marching
