#include "mesh/lwo_chunks.h"

namespace lwo {

std::vector<uint8_t> file(const Bytes& chunks) {
    Bytes f;
    f.id("FORM").u4(uint32_t(chunks.size() + 4)).id("LWO2").raw(chunks);
    return f.bytes();
}

Bytes layr(uint16_t number, const std::string& name, int parent) {
    Bytes b;
    b.u2(number).u2(0).vec(0, 0, 0).s0(name);
    if (parent >= 0) b.u2(uint16_t(parent));
    return b;
}

Bytes pnts(const std::vector<Point>& points) {
    Bytes b;
    for (const Point& p : points) b.vec(p.x, p.y, p.z);
    return b;
}

Bytes pols(const std::vector<Tri>& triangles) {
    Bytes b;
    b.id("FACE");
    for (const Tri& t : triangles) b.u2(3).u2(t.a).u2(t.b).u2(t.c);
    return b;
}

Bytes ptag(const std::vector<std::pair<uint16_t, uint16_t>>& polygonTags) {
    Bytes b;
    b.id("SURF");
    for (const auto& [polygon, tag] : polygonTags) b.u2(polygon).u2(tag);
    return b;
}

Bytes surf(const std::string& name, const Bytes& subChunks) {
    Bytes b;
    b.s0(name).s0("").raw(subChunks);
    return b;
}

Bytes value(float v) {
    return Bytes().f4(v).u2(0);
}

}  // namespace lwo
