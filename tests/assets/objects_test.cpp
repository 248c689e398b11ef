// The objects: read back unchanged by the program's own reader, and shaped for the places the
// production shows them.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "tests/assets/object_check.h"
#include "tools/assetgen/catalog.h"
#include "tools/assetgen/lwo2_writer.h"

namespace {

std::map<std::string, LwoObject> builtObjects() {
    std::map<std::string, LwoObject> all;
    for (const ObjectAsset& a : allObjects()) all[a.storedName] = a.make();
    return all;
}

const std::map<std::string, LwoObject>& objects() {
    static const std::map<std::string, LwoObject> all = builtObjects();
    return all;
}

// Six times the signed volume: positive when the faces turn outwards.
double signedVolume(const LwoLayer& l) {
    double v = 0;
    for (const LwoTriangle& t : l.triangles)
        v += dot(l.points[t.a], cross(l.points[t.b], l.points[t.c]));
    return v;
}

Vec3 extent(const LwoLayer& l) {
    Vec3 lo(1e9f, 1e9f, 1e9f), hi(-1e9f, -1e9f, -1e9f);
    for (const Vec3& p : l.points) {
        lo = Vec3(std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z));
        hi = Vec3(std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z));
    }
    return hi - lo;
}

float maxRadius(const LwoLayer& l) {
    float r = 0;
    for (const Vec3& p : l.points) r = std::fmax(r, length(p));
    return r;
}

TEST(Objects, EveryNameOfTheProductionIsMade) {
    const char* names[] = {"c-logo",
                           "box-demo",
                           "arrow-strengs-big",
                           "shredder",
                           "torus-loop-meta",
                           "tarmslyng2",
                           "spikeball",
                           "star",
                           "arrow",
                           "cube",
                           "cube-s",
                           "test-objrestatte"};
    for (const char* n : names)
        EXPECT_EQ(objects().count(std::string("lwos\\") + n + ".lwo"), 1u) << n;
    EXPECT_EQ(objects().size(), 12u);
}

TEST(Objects, TheProgramReadsThemBackUnchanged) {
    for (const auto& [name, obj] : objects()) {
        std::string error;
        const std::vector<uint8_t> bytes = writeLwo2(obj, &error);
        ASSERT_FALSE(bytes.empty()) << name << ": " << error;
        Mesh mesh;
        expectReadsAsBuilt(name, obj, bytes, &mesh);
    }
}

TEST(Objects, StayWithinTheReadersLimits) {
    for (const auto& [name, obj] : objects()) {
        EXPECT_LE(obj.surfaces.size(), 256u) << name;
        for (const LwoLayer& l : obj.layers) {
            EXPECT_LE(l.points.size(), size_t(kLwoMaxShortIndex) + 1) << name;
            EXPECT_LE(l.triangles.size(), size_t(kLwoMaxShortIndex) + 1) << name;
            EXPECT_FALSE(l.triangles.empty()) << name;
            for (const LwoTriangle& t : l.triangles)
                EXPECT_TRUE(t.a != t.b && t.b != t.c && t.a != t.c)
                    << name << ": degenerate triangle";
        }
    }
}

// Culling is on in the engine: a part turned inside out would vanish.
TEST(Objects, FacesTurnOutwards) {
    for (const auto& [name, obj] : objects())
        for (const LwoLayer& l : obj.layers)
            EXPECT_GT(signedVolume(l), 0) << name << " layer " << l.number;
}

// The spike ball puts a greeting strip on each point farther than 2.54 from the centre and
// cycles through 37 strips, skipping point 0.
TEST(Objects, SpikeBallHasThirtySevenTipsBeyondTheStripRadius) {
    const LwoLayer& l = objects().at("lwos\\spikeball.lwo").layers[0];
    int tips = 0;
    for (size_t i = 0; i < l.points.size(); ++i) {
        if (length(l.points[i]) <= 2.54f) continue;
        ++tips;
        EXPECT_NE(i, 0u);
        EXPECT_LT(length(l.points[i]), 3.2f);
    }
    EXPECT_EQ(tips, 37);
    // Nothing else comes near the threshold, so a small twist of the numbers cannot add a tip.
    for (const Vec3& p : l.points) {
        if (length(p) <= 2.54f) {
            EXPECT_LT(length(p), 2.45f);
        }
    }
}

TEST(Objects, TwistingKnotIsDenseAndFitsInFrontOfTheCamera) {
    const LwoLayer& l = objects().at("lwos\\torus-loop-meta.lwo").layers[0];
    EXPECT_GE(l.points.size(), 8000u);
    float longest = 0;
    for (const LwoTriangle& t : l.triangles)
        longest = std::fmax(longest, std::fmax(length(l.points[t.a] - l.points[t.b]),
                                               length(l.points[t.b] - l.points[t.c])));
    EXPECT_LT(longest, 0.08f);
    // 3.5 units away the 45-degree view is 2.9 units high.
    EXPECT_LT(maxRadius(l), 1.4f);
}

TEST(Objects, CubesFitTheirGrids) {
    // The cube grid is 9 units apart and its cubes tumble: their corners must not meet.
    EXPECT_LT(maxRadius(objects().at("lwos\\cube.lwo").layers[0]), 4.5f);
    // The pin grid is 4.5 units apart and its cubes stay square to it.
    Vec3 small = extent(objects().at("lwos\\cube-s.lwo").layers[0]);
    EXPECT_LE(std::fmax(small.x, std::fmax(small.y, small.z)), 4.5f);
    EXPECT_GE(small.x, 3.0f);
}

TEST(Objects, MultiLayerObjects) {
    EXPECT_EQ(objects().at("lwos\\arrow-strengs-big.lwo").layers.size(), 2u);
    const LwoObject& shredder = objects().at("lwos\\shredder.lwo");
    ASSERT_EQ(shredder.layers.size(), 2u);
    // Every point of layer 1 carries a lens sprite of half-size 2: keep them few.
    EXPECT_LE(shredder.layers[1].points.size(), 32u);
}

TEST(Objects, OrientedForTheirUse) {
    // The overlay stands the logo up with a quarter turn about x: it must face +y, thin in y.
    Vec3 logo = extent(objects().at("lwos\\c-logo.lwo").layers[0]);
    EXPECT_LT(logo.y, 0.3f * logo.x);
    // Arrows are turned to point along -z from their tail at the origin.
    const LwoLayer& arrow = objects().at("lwos\\arrow.lwo").layers[0];
    float minZ = 0, maxZ = -1e9f;
    for (const Vec3& p : arrow.points) minZ = std::fmin(minZ, p.z), maxZ = std::fmax(maxZ, p.z);
    EXPECT_LT(minZ, -4.0f);
    EXPECT_LT(maxZ, 0.5f);
}

TEST(Objects, SmoothingAnglesMatchTheShapes) {
    for (const auto& [name, obj] : objects())
        for (const LwoSurface& s : obj.surfaces) {
            EXPECT_GE(s.smoothingAngle, 0.0f) << name;
            EXPECT_LT(s.smoothingAngle, 1.6f) << name;
        }
    EXPECT_EQ(objects().at("lwos\\star.lwo").surfaces[0].smoothingAngle, 0.0f);
    EXPECT_GT(objects().at("lwos\\torus-loop-meta.lwo").surfaces[0].smoothingAngle, 1.0f);
}

// ---- the writer on hand-made input --------------------------------------------------

LwoObject oneTriangle() {
    LwoObject o;
    LwoSurface s;
    s.name = "S";
    o.surfaces.push_back(s);
    LwoLayer l;
    l.points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    l.triangles = {{0, 1, 2, 0}};
    o.layers.push_back(l);
    return o;
}

TEST(Lwo2Writer, StoresZNegatedAndCornersReversed) {
    LwoObject o = oneTriangle();
    o.layers[0].points[2] = {0, 1, 2};
    std::string error;
    std::vector<uint8_t> b = writeLwo2(o, &error);
    ASSERT_FALSE(b.empty());
    auto find = [&](const char* tag) {
        for (size_t i = 12; i + 4 <= b.size(); ++i)
            if (std::equal(tag, tag + 4, b.begin() + long(i))) return i;
        return size_t(0);
    };
    size_t pnts = find("PNTS");
    ASSERT_NE(pnts, 0u);
    // Third point's z: -2.0f big-endian.
    EXPECT_EQ(b[pnts + 8 + 32], 0xC0);
    size_t pols = find("POLS");
    ASSERT_NE(pols, 0u);
    const uint8_t* face = &b[pols + 12];
    EXPECT_EQ(face[1], 3);
    EXPECT_EQ(face[3], 0);
    EXPECT_EQ(face[5], 2);
    EXPECT_EQ(face[7], 1);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "FORM");
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 12), "LWO2");
    EXPECT_EQ(b.size() % 2, 0u);
}

TEST(Lwo2Writer, RefusesWhatTheReaderCannotTake) {
    std::string error;
    LwoObject tooMany = oneTriangle();
    tooMany.layers[0].points.resize(kLwoMaxShortIndex + 2);
    EXPECT_TRUE(writeLwo2(tooMany, &error).empty());
    EXPECT_NE(error.find("points"), std::string::npos);

    LwoObject badIndex = oneTriangle();
    badIndex.layers[0].triangles[0].c = 7;
    EXPECT_TRUE(writeLwo2(badIndex, &error).empty());

    LwoObject badSurface = oneTriangle();
    badSurface.layers[0].triangles[0].surface = 1;
    EXPECT_TRUE(writeLwo2(badSurface, &error).empty());

    LwoObject gap = oneTriangle();
    gap.layers[0].number = 1;
    EXPECT_TRUE(writeLwo2(gap, &error).empty());
}

}  // namespace
