// mesh_builder.h - modelling helpers that fill an LwoObject: parametric sheets and tubes,
// extruded outlines with chamfers, rounded boxes, welding of shared points.
//
// Smoothing follows the engine's reader: a point shared by triangles gets one averaged
// normal, so smooth areas share their points and hard edges get points of their own.
// Triangles are counter-clockwise seen from outside.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/assetgen/lwo2_model.h"
#include "tools/assetgen/shapes.h"

class MeshBuilder {
  public:
    explicit MeshBuilder(LwoObject& object) : obj_(object) {}

    // Adds a surface and returns its index.
    uint16_t surface(const LwoSurface& s);
    // Starts the next layer (0, 1, ...); the first call is implicit.
    void layer(const std::string& name, int parent = -1);
    LwoLayer& current();

    uint32_t point(Vec3 p);
    void tri(uint32_t a, uint32_t b, uint32_t c, uint16_t surf);
    // Counter-clockwise a, b, c, d; split along the shorter diagonal.
    void quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint16_t surf);

    // A sheet of (rows + 1) x (cols + 1) points f(u, v), u, v in 0..1, shared between the
    // quads (smooth). wrapU/wrapV close the sheet on itself (the last column/row reuses the
    // first). Faces point along d f/du x d f/dv. Returns the index of the first point.
    uint32_t sheet(int cols, int rows, bool wrapU, bool wrapV,
                   const std::function<Vec3(float u, float v)>& f, uint16_t surf);

    // A closed tube along a closed path: cross-section radius r(t, angle) around the path;
    // frames are carried along the path without twist (parallel transport) and evened out
    // so the tube closes on itself.
    void closedTube(int segments, int sides, const std::function<Vec3(float t)>& path,
                    const std::function<float(float t, float angle)>& radius, uint16_t surf);

    // A prism: the outline (counter-clockwise in its own X, Y plane) mapped to 3-D by
    // place(X, Y, depth); depth runs from -halfDepth (back) to +halfDepth (front). The edges
    // are chamfered by `bevel` (0 for none); every flat face has points of its own.
    void extrude(const std::vector<Vec2>& outline, float halfDepth, float bevel,
                 const std::function<Vec3(float x, float y, float depth)>& place, uint16_t surf);

    // A box with rounded edges: half sizes h, edge radius r, n segments per face side.
    void roundedBox(Vec3 centre, Vec3 h, float r, int n, uint16_t surf);

    // A cone or cylinder between two rings on an axis, capped; smooth sides.
    void cylinder(Vec3 base, Vec3 axis, float length, float r0, float r1, int sides, int stacks,
                  bool capBase, bool capTop, uint16_t surf);

    // Merges points of the current layer closer than eps (sharing them smooths the seam).
    void weld(float eps);

  private:
    LwoObject& obj_;
};

// Triangulates a simple polygon (counter-clockwise) by ear clipping; index triples into it.
std::vector<int> triangulate(const std::vector<Vec2>& polygon);
// The outline moved inwards by d along the angle bisectors (mitre capped at 3 d).
std::vector<Vec2> insetOutline(const std::vector<Vec2>& outline, float d);
