// lwo2_model.h - a LightWave object as the generator builds it and the writer stores it.
//
// Coordinates are those the engine draws with once the object is loaded: x right, y up,
// z towards the viewer, triangles counter-clockwise seen from their front. The writer turns
// them into LightWave's left-handed layout (z negated, corners in the opposite order).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/vec3.h"

struct LwoTriangle {
    uint32_t a, b, c;
    uint16_t surface;
};

struct LwoUv {
    uint32_t point;
    float u, v;
};

struct LwoUvMap {
    std::string name;
    std::vector<LwoUv> entries;
};

struct LwoLayer {
    uint16_t number = 0;
    std::string name;
    Vec3 pivot;       // as stored
    int parent = -1;  // -1: none
    std::vector<Vec3> points;
    std::vector<LwoTriangle> triangles;
    std::vector<LwoUvMap> uvMaps;
};

enum class LwoProjection : uint16_t {
    Planar = 0,
    Cylindrical = 1,
    Spherical = 2,
    Cubic = 3,
    Front = 4,
    UV = 5
};

// An image texture block of a surface (IMAP header).
struct LwoBlock {
    LwoProjection projection = LwoProjection::UV;
    uint16_t axis = 1;   // 0 x, 1 y, 2 z
    uint32_t image = 0;  // clip index, 0 = none
    std::string uvMap;   // for the UV projection
};

struct LwoSurface {
    std::string name;
    Vec3 color = {0.8f, 0.8f, 0.8f};
    float diffuse = 1.0f;
    float luminosity = 0.0f;
    float specular = 0.0f;
    float smoothingAngle = 0.0f;  // radians; 0 = faceted
    bool doubleSided = false;
    std::vector<LwoBlock> blocks;
};

struct LwoClip {
    uint32_t index;
    std::string path;  // still image file name
};

struct LwoObject {
    std::vector<LwoLayer> layers;      // numbered 0, 1, ... in order
    std::vector<LwoSurface> surfaces;  // a triangle's surface is an index into this list
    std::vector<LwoClip> clips;
};
