// lwo_builder.h - hand-made LWO2 files for the tests.
//
// Chunks start at even offsets and strings are padded as the format wants, so a string padded
// within its chunk is also padded from the start of the file.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace lwo {

struct Bytes {
    std::vector<uint8_t> data;

    Bytes& u1(uint8_t v) {
        data.push_back(v);
        return *this;
    }
    Bytes& u2(uint16_t v) { return u1(uint8_t(v >> 8)).u1(uint8_t(v)); }
    Bytes& u4(uint32_t v) { return u2(uint16_t(v >> 16)).u2(uint16_t(v)); }
    Bytes& f4(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return u4(bits);
    }
    Bytes& vec(float x, float y, float z) { return f4(x).f4(y).f4(z); }
    Bytes& id(const char* tag) {
        for (int i = 0; i < 4; ++i) u1(uint8_t(tag[i]));
        return *this;
    }
    Bytes& s0(const std::string& s) {
        for (char c : s) u1(uint8_t(c));
        u1(0);
        if ((s.size() + 1) & 1) u1(0);
        return *this;
    }
    Bytes& raw(const Bytes& b) {
        data.insert(data.end(), b.data.begin(), b.data.end());
        return *this;
    }
    // Sub-chunk: ID4, U2 length, data (no padding: blocks rely on exact lengths).
    Bytes& sub(const char* tag, const Bytes& b) {
        return id(tag).u2(uint16_t(b.data.size())).raw(b);
    }
    // Chunk: ID4, U4 length, data, a pad byte after odd lengths.
    Bytes& chunk(const char* tag, const Bytes& b) {
        id(tag).u4(uint32_t(b.data.size())).raw(b);
        if (b.data.size() & 1) u1(0);
        return *this;
    }
    size_t size() const { return data.size(); }
};

// FORM header around the chunks.
inline std::vector<uint8_t> file(const Bytes& chunks) {
    Bytes f;
    f.id("FORM").u4(uint32_t(chunks.size() + 4)).id("LWO2").raw(chunks);
    return f.data;
}

inline Bytes layr(uint16_t number, const std::string& name = "", int parent = -1) {
    Bytes b;
    b.u2(number).u2(0).vec(0, 0, 0).s0(name);
    if (parent >= 0) b.u2(uint16_t(parent));
    return b;
}

struct Point {
    float x, y, z;
};
inline Bytes pnts(const std::vector<Point>& points) {
    Bytes b;
    for (const Point& p : points) b.vec(p.x, p.y, p.z);
    return b;
}

struct Tri {
    uint16_t a, b, c;
};
inline Bytes pols(const std::vector<Tri>& triangles) {
    Bytes b;
    b.id("FACE");
    for (const Tri& t : triangles) b.u2(3).u2(t.a).u2(t.b).u2(t.c);
    return b;
}

inline Bytes ptag(const std::vector<std::pair<uint16_t, uint16_t>>& polygonTags) {
    Bytes b;
    b.id("SURF");
    for (auto [polygon, tag] : polygonTags) b.u2(polygon).u2(tag);
    return b;
}

inline Bytes surf(const std::string& name, const Bytes& subChunks = Bytes()) {
    Bytes b;
    b.s0(name).s0("").raw(subChunks);
    return b;
}

inline Bytes value(float v) {
    return Bytes().f4(v).u2(0);  // value and envelope
}

// One layer with a triangle in the z = 0 plane and one surface.
inline Bytes oneTriangle(float smoothing = 0.0f) {
    Bytes c;
    c.chunk("TAGS", Bytes().s0("Default"));
    c.chunk("LAYR", layr(0));
    c.chunk("PNTS", pnts({{0, 1, 0}, {1, -1, 0}, {-1, -1, 0}}));
    c.chunk("POLS", pols({{0, 1, 2}}));
    c.chunk("PTAG", ptag({{0, 0}}));
    c.chunk("SURF", surf("Default", Bytes().sub("SMAN", Bytes().f4(smoothing))));
    return c;
}

}  // namespace lwo
