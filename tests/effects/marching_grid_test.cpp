// The blob surface: closed, wound outwards, the right size, found from every seed, and free of
// NaN where a source sits on a grid point.
#include <array>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "effects/marching_cubes_tables.h"
#include "effects/marching_grid.h"
#include "math/random.h"

namespace {

struct Vertex {
    Vector3 normal, point;
};

void collect(void* user, const Vector3& normal, const Vector3& point) {
    static_cast<std::vector<Vertex>*>(user)->push_back({normal, point});
}

std::vector<Vertex> extract(MarchingGrid& grid) {
    std::vector<Vertex> vertices;
    grid.polygonise(collect, &vertices);
    return vertices;
}

Vector3 minus(const Vector3& a, const Vector3& b) {
    return Vector3(a.x - b.x, a.y - b.y, a.z - b.z);
}
Vector3 crossOf(const Vector3& a, const Vector3& b) {
    Vector3 out;
    return cross(a, b, out);
}
float dotOf(const Vector3& a, const Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// A closed, consistently wound surface uses every directed edge once and its reverse once
// (edges for which open(a, b) holds may stay open).
template <class Key, class Open>
int edgesNotMatched(const std::vector<std::array<Key, 3>>& triangles, Open open) {
    std::map<std::pair<Key, Key>, int> directed;
    for (const auto& t : triangles)
        for (int k = 0; k < 3; ++k) ++directed[{t[k], t[(k + 1) % 3]}];
    int unmatched = 0;
    for (const auto& [edge, count] : directed) {
        if (open(edge.first, edge.second)) continue;
        const auto reverse = directed.find({edge.second, edge.first});
        if (count != 1 || reverse == directed.end() || reverse->second != 1) ++unmatched;
    }
    return unmatched;
}

using PointKey = std::array<float, 3>;

std::vector<std::array<PointKey, 3>> trianglesOf(const std::vector<Vertex>& v) {
    std::vector<std::array<PointKey, 3>> out;
    for (size_t i = 0; i + 2 < v.size(); i += 3) {
        std::array<PointKey, 3> t;
        for (int k = 0; k < 3; ++k) t[k] = {v[i + k].point.x, v[i + k].point.y, v[i + k].point.z};
        out.push_back(t);
    }
    return out;
}

MarchingGrid g_grid;

class MarchingGridTest : public ::testing::Test {
  protected:
    void SetUp() override { g_grid.setup(32, 0.12f); }
};

TEST_F(MarchingGridTest, OneBallIsAClosedSphereWoundOutwards) {
    const Vector3 centre(15.3f, 16.2f, 14.7f);
    g_grid.addBall(centre, 2.0f);
    const std::vector<Vertex> v = extract(g_grid);
    ASSERT_GT(v.size(), 300u);
    EXPECT_EQ(
        edgesNotMatched(trianglesOf(v), [](const PointKey&, const PointKey&) { return false; }), 0);

    double area = 0.0;
    int inward = 0;
    for (size_t i = 0; i + 2 < v.size(); i += 3) {
        const Vector3 n =
            crossOf(minus(v[i + 1].point, v[i].point), minus(v[i + 2].point, v[i].point));
        area += 0.5 * n.length();
        inward += dotOf(n, minus(v[i].point, centre)) <= 0.0f;
        for (int k = 0; k < 3; ++k)
            inward += dotOf(v[i + k].normal, minus(v[i + k].point, centre)) <= 0.0f;
    }
    EXPECT_EQ(inward, 0);
    // The iso-surface of 2 / r^2 = 0.12 is a sphere of radius sqrt(2 / 0.12).
    const double sphere = 4.0 * 3.14159265 * (2.0 / 0.12);
    EXPECT_NEAR(area, sphere, 0.05 * sphere);
}

// Every cell of a random inside/outside field, triangulated from the tables with edge points
// at the edge midpoints: all 256 corner configurations occur, and wherever two cells meet
// their cuts of the shared face agree, so the whole surface closes up to the field's border.
TEST(MarchingCubesTables, NeighbouringCellsLeaveNoCracks) {
    constexpr int n = 24;
    std::vector<uint8_t> outside(n * n * n);
    demoSrand(2024);
    for (uint8_t& o : outside) o = (demoRand() >> 7) & 1;
    auto at = [&](int x, int y, int z) { return outside[(x * n + y) * n + z]; };

    using EdgeKey = std::array<int, 3>;  // doubled coordinates of the edge's midpoint
    std::vector<std::array<EdgeKey, 3>> triangles;
    bool seen[256] = {};
    const marching::Tables& t = marching::tables();
    for (int x = 0; x + 1 < n; ++x)
        for (int y = 0; y + 1 < n; ++y)
            for (int z = 0; z + 1 < n; ++z) {
                int index = 0;
                for (int k = 0; k < 8; ++k) {
                    const int8_t* o = marching::kCornerOffset[k];
                    index |= at(x + o[0], y + o[1], z + o[2]) << k;
                }
                seen[index] = true;
                const int8_t* row = t.triangles[index];
                for (int i = 0; row[i] >= 0; i += 3) {
                    std::array<EdgeKey, 3> tri;
                    for (int k = 0; k < 3; ++k) {
                        const int8_t* a =
                            marching::kCornerOffset[marching::kEdgeCorners[row[i + k]][0]];
                        const int8_t* b =
                            marching::kCornerOffset[marching::kEdgeCorners[row[i + k]][1]];
                        tri[k] = {2 * x + a[0] + b[0], 2 * y + a[1] + b[1], 2 * z + a[2] + b[2]};
                    }
                    triangles.push_back(tri);
                }
            }
    for (int index = 0; index < 256; ++index) EXPECT_TRUE(seen[index]) << index;

    // Segments on the field's outer faces have no neighbour to close them.
    auto onBorder = [](const EdgeKey& a, const EdgeKey& b) {
        for (int i = 0; i < 3; ++i)
            if ((a[i] == 0 && b[i] == 0) || (a[i] == 2 * (n - 1) && b[i] == 2 * (n - 1)))
                return true;
        return false;
    };
    EXPECT_EQ(edgesNotMatched(triangles, onBorder), 0);
    EXPECT_EQ(t.triangles[0][0], -1);
    EXPECT_EQ(t.triangles[255][0], -1);
}

bool near(const Vertex& v, const Vector3& p, float distance) {
    return minus(v.point, p).length() < distance;
}

TEST_F(MarchingGridTest, EveryBallsWalkFindsItsOwnBlob) {
    // A cluster, a ball far from it, and one so close to the grid's x = 0 face that the walk
    // down from it meets no surface (its blob runs off the grid): it must still walk up.
    const Vector3 cluster[3] = {{20, 16, 16}, {22, 18, 16}, {20, 14, 18}};
    const Vector3 far(26.0f, 26.0f, 26.0f), edge(1.5f, 6.0f, 26.0f);
    for (const Vector3& c : cluster) g_grid.addBall(c, 2.0f);
    g_grid.addBall(far, 2.0f);
    g_grid.addBall(edge, 2.0f);
    const std::vector<Vertex> v = extract(g_grid);
    int nearFar = 0, nearEdge = 0;
    for (const Vertex& vertex : v) {
        nearFar += near(vertex, far, 5.0f);
        nearEdge += near(vertex, edge, 5.0f);
    }
    EXPECT_GT(nearFar, 100);
    EXPECT_GT(nearEdge, 50);
}

TEST_F(MarchingGridTest, ASourceOnAGridPointGivesNoNaN) {
    // A weak ball centred exactly on a grid point and a weak wall through a grid plane, both
    // so weak that the surface crosses the grid edges leaving them; a seed of no strength
    // walks to the wall.
    const Vector3 onPoint(10.0f, 10.0f, 10.0f);
    g_grid.addBall(onPoint, 0.1f);
    g_grid.addPlane(Vector3::zero(), Vector3(1, 0, 0), 0.1f);
    g_grid.addBall(Vector3(3.5f, 20.5f, 20.5f), 0.0f);
    const std::vector<Vertex> v = extract(g_grid);
    int nearBall = 0, nearWall = 0, notFinite = 0;
    for (const Vertex& vertex : v) {
        nearBall += near(vertex, onPoint, 1.5f);
        nearWall += vertex.point.x <= 1.0f;
        for (float c : {vertex.point.x, vertex.point.y, vertex.point.z, vertex.normal.x,
                        vertex.normal.y, vertex.normal.z})
            notFinite += !std::isfinite(c);
    }
    EXPECT_GT(nearBall, 0);
    EXPECT_GT(nearWall, 1000);
    EXPECT_EQ(notFinite, 0);
    EXPECT_TRUE(std::isfinite(g_grid.valueAt(10, 10, 10)));
    EXPECT_TRUE(std::isfinite(g_grid.gradientAt(0, 5, 5).x));
}

}  // namespace
