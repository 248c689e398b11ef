// lwo_chunks.h - the chunks of an LWO2 object, built by hand: for the tests and benchmarks
// that need objects of a given shape, including shapes the asset generator would never write.
//
// Each function returns a chunk's body; IffWriter::chunk puts the header around it:
//     lwo::Bytes c;
//     c.chunk("LAYR", lwo::layr(0));
//     c.chunk("PNTS", lwo::pnts({{0, 1, 0}, {1, -1, 0}, {-1, -1, 0}}));
//     c.chunk("POLS", lwo::pols({{0, 1, 2}}));
//     std::vector<uint8_t> object = lwo::file(c);
// Points and corners are written as given, in LightWave's own (left-handed) layout.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "mesh/iff_writer.h"

namespace lwo {

using Bytes = IffWriter;

// The FORM header (type LWO2) around the chunks.
std::vector<uint8_t> file(const Bytes& chunks);

// A layer with its pivot at the origin, and a parent when one is given.
Bytes layr(uint16_t number, const std::string& name = "", int parent = -1);

struct Point {
    float x, y, z;
};
Bytes pnts(const std::vector<Point>& points);

struct Tri {
    uint16_t a, b, c;
};
// FACE polygons of three corners each.
Bytes pols(const std::vector<Tri>& triangles);

// SURF tags: (polygon, tag) pairs.
Bytes ptag(const std::vector<std::pair<uint16_t, uint16_t>>& polygonTags);

// A surface of that name with no source, followed by the sub-chunks given.
Bytes surf(const std::string& name, const Bytes& subChunks = Bytes());

// A value sub-chunk's body: the value and an envelope of 0.
Bytes value(float v);

}  // namespace lwo
