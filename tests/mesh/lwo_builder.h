// lwo_builder.h - hand-made LWO2 files for the tests, over the chunk helpers in
// mesh/lwo_chunks.h (library palisade_iffwriter).
//
// Chunks start at even offsets and strings are padded as the format wants, so a string padded
// within its chunk is also padded from the start of the file.
#pragma once

#include "mesh/lwo_chunks.h"

namespace lwo {

// A layer of three points in the z = 0 plane and triangles over them; no tags, no surfaces.
inline Bytes bareLayer(uint16_t number = 0, const std::vector<Tri>& triangles = {{0, 1, 2}}) {
    Bytes c;
    c.chunk("LAYR", layr(number));
    c.chunk("PNTS", pnts({{0, 1, 0}, {1, -1, 0}, {-1, -1, 0}}));
    c.chunk("POLS", pols(triangles));
    return c;
}

// One layer with a triangle in the z = 0 plane and one surface.
inline Bytes oneTriangle(float smoothing = 0.0f) {
    Bytes c;
    c.chunk("TAGS", Bytes().s0("Default"));
    c.raw(bareLayer());
    c.chunk("PTAG", ptag({{0, 0}}));
    c.chunk("SURF", surf("Default", Bytes().sub("SMAN", Bytes().f4(smoothing))));
    return c;
}

}  // namespace lwo
