// The objects as the generator models them, shaped for the places the production shows them.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <numeric>
#include <set>
#include <tuple>

#include "tools/assetgen/catalog.h"

namespace {

// A name the catalogue lacks throws, which fails the test.
const LwoObject& object(const std::string& storedName) {
    static std::map<std::string, LwoObject> made;
    if (made.empty())
        for (const ObjectAsset& a : allObjects()) made[a.storedName] = a.make();
    return made.at(storedName);
}

const LwoLayer& layer0(const std::string& storedName) {
    return object(storedName).layers.at(0);
}

float maxRadius(const LwoLayer& l) {
    float r = 0;
    for (const Vec3& p : l.points) r = std::fmax(r, length(p));
    return r;
}

// Culling is on in the engine: a piece turned inside out vanishes. Points at the same place
// are one corner (flat faces have points of their own); each connected piece must enclose a
// positive volume seen from its own centre, and the pieces that close on themselves must use
// every edge once each way, so that no single triangle is turned the wrong way round.
TEST(Objects, EveryPieceFacesOutwards) {
    // Open where another piece covers the hole or the hole is never seen.
    const std::set<std::string> open = {"lwos\\arrow-strengs-big.lwo 1", "lwos\\spikeball.lwo 0",
                                        "lwos\\arrow.lwo 0", "lwos\\test-objrestatte.lwo 0"};
    for (const ObjectAsset& a : allObjects())
        for (const LwoLayer& l : object(a.storedName).layers) {
            std::map<std::tuple<float, float, float>, uint32_t> at;
            std::vector<uint32_t> corner, root;
            for (const Vec3& p : l.points) {
                auto [it, added] = at.try_emplace({p.x, p.y, p.z}, uint32_t(root.size()));
                if (added) root.push_back(it->second);
                corner.push_back(it->second);
            }
            std::function<uint32_t(uint32_t)> find = [&](uint32_t c) {
                return root[c] == c ? c : root[c] = find(root[c]);
            };
            for (const LwoTriangle& t : l.triangles)
                root[find(corner[t.a])] = root[find(corner[t.b])] = find(corner[t.c]);
            std::map<uint32_t, Vec3> sum;
            std::map<uint32_t, int> count;
            for (const auto& [p, c] : at)
                sum[find(c)] += Vec3(std::get<0>(p), std::get<1>(p), std::get<2>(p)),
                    ++count[find(c)];
            std::map<uint32_t, double> volume;
            std::map<std::pair<uint32_t, uint32_t>, int> edges;
            for (const LwoTriangle& t : l.triangles) {
                const uint32_t piece = find(corner[t.a]);
                const Vec3 c = sum[piece] * (1.0f / count[piece]);
                volume[piece] +=
                    dot(l.points[t.a] - c, cross(l.points[t.b] - c, l.points[t.c] - c));
                const uint32_t v[3] = {corner[t.a], corner[t.b], corner[t.c]};
                for (int k = 0; k < 3; ++k) ++edges[{v[k], v[(k + 1) % 3]}];
            }
            for (const auto& [piece, v] : volume) EXPECT_GT(v, 0) << a.storedName << " " << piece;
            if (open.count(a.storedName + " " + std::to_string(l.number))) continue;
            int bad = 0;
            for (const auto& [e, n] : edges) {
                auto back = edges.find({e.second, e.first});
                bad += !(n == 1 && back != edges.end() && back->second == 1);
            }
            EXPECT_EQ(bad, 0) << a.storedName << " layer " << l.number;
        }
}

// The spike ball hangs greeting strip k on the k-th point farther than 2.54 from its centre,
// skipping point 0, and has 37 strips: exactly the spike tips, and nothing else near the line.
TEST(Objects, SpikeBallHasThirtySevenTipsBeyondTheStripRadius) {
    const LwoLayer& l = layer0("lwos\\spikeball.lwo");
    int tips = 0;
    for (size_t i = 0; i < l.points.size(); ++i) {
        const float r = length(l.points[i]);
        if (r <= 2.54f) {
            EXPECT_LT(r, 2.45f) << "point " << i;
            continue;
        }
        ++tips;
        EXPECT_NE(i, 0u);
        EXPECT_LT(r, 3.2f) << "point " << i;
    }
    EXPECT_EQ(tips, 37);
}

TEST(Objects, FitWhereTheyAreShown) {
    // The cube grid is 9 units apart and its cubes tumble: their corners must not meet.
    EXPECT_LT(maxRadius(layer0("lwos\\cube.lwo")), 4.5f);
    EXPECT_GT(maxRadius(layer0("lwos\\cube.lwo")), 3.0f);
    // The pin grid is 4.5 units apart and its cubes stay square to it: 4 units a side.
    float lo = 1e9f, hi = -1e9f;
    for (const Vec3& p : layer0("lwos\\cube-s.lwo").points)
        for (float v : {p.x, p.y, p.z}) lo = std::fmin(lo, v), hi = std::fmax(hi, v);
    EXPECT_FLOAT_EQ(lo, -2.0f);
    EXPECT_FLOAT_EQ(hi, 2.0f);
    // The knot twists per point 3.5 units in front of a 45-degree view 2.9 units high: it
    // must fit, and be fine enough that the twist bends it smoothly.
    const LwoLayer& knot = layer0("lwos\\torus-loop-meta.lwo");
    EXPECT_LT(maxRadius(knot), 1.4f);
    for (const LwoTriangle& t : knot.triangles)
        for (float edge : {length(knot.points[t.a] - knot.points[t.b]),
                           length(knot.points[t.b] - knot.points[t.c]),
                           length(knot.points[t.c] - knot.points[t.a])})
            ASSERT_LT(edge, 0.07f);
}

TEST(Objects, LayersAndOrientationForTheirUse) {
    EXPECT_EQ(object("lwos\\arrow-strengs-big.lwo").layers.size(), 2u);  // arrow, string
    const LwoObject& shredder = object("lwos\\shredder.lwo");
    ASSERT_EQ(shredder.layers.size(), 2u);
    // Every point of layer 1 carries a lens sprite of half-size 2: six shards of four.
    EXPECT_EQ(shredder.layers[1].points.size(), 24u);
    // The overlay stands the logo up with a quarter turn about x: it must face +y, thin in y.
    float x = 0, y = 0;
    for (const Vec3& p : layer0("lwos\\c-logo.lwo").points)
        x = std::fmax(x, std::fabs(p.x)), y = std::fmax(y, std::fabs(p.y));
    EXPECT_LT(y, 0.3f * x);
    // Arrows point along -z from their tail at the origin.
    float minZ = 0, maxZ = -1e9f;
    for (const Vec3& p : layer0("lwos\\arrow.lwo").points)
        minZ = std::fmin(minZ, p.z), maxZ = std::fmax(maxZ, p.z);
    EXPECT_LT(minZ, -5.0f);
    EXPECT_LT(maxZ, 0.5f);
    // Smoothing angles are radians: up to a right angle, and none on the faceted star.
    for (const ObjectAsset& a : allObjects())
        for (const LwoSurface& s : object(a.storedName).surfaces) {
            EXPECT_GE(s.smoothingAngle, 0.0f) << a.storedName;
            EXPECT_LT(s.smoothingAngle, 1.6f) << a.storedName;
        }
    EXPECT_EQ(object("lwos\\star.lwo").surfaces[0].smoothingAngle, 0.0f);
}

}  // namespace
