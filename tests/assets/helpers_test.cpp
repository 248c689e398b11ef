// The generator's building blocks: modelling helpers, the scene writer's numbering, text
// metrics and tiling noise.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>

#include "tests/assets/scene_check.h"
#include "tools/assetgen/catalog.h"
#include "tools/assetgen/lws_writer.h"
#include "tools/assetgen/mesh_builder.h"
#include "tools/assetgen/noise.h"

namespace {

float area(const std::vector<Vec2>& p) {
    float a = 0;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
        a += p[j].x * p[i].y - p[i].x * p[j].y;
    return a / 2;
}

// Every edge of a closed surface is shared by exactly two triangles, once each way.
bool watertight(const LwoLayer& l) {
    std::map<std::pair<uint32_t, uint32_t>, int> edges;
    for (const LwoTriangle& t : l.triangles) {
        const uint32_t v[3] = {t.a, t.b, t.c};
        for (int k = 0; k < 3; ++k) edges[{v[k], v[(k + 1) % 3]}]++;
    }
    for (const auto& [e, n] : edges)
        if (n != 1 || !edges.count({e.second, e.first}) || edges.at({e.second, e.first}) != 1)
            return false;
    return true;
}

TEST(MeshBuilder, TriangulatesConcaveOutlines) {
    // An arrow with a notched tail: two reflex corners.
    std::vector<Vec2> arrow = {{-2.4f, -0.35f}, {1.2f, -0.35f}, {1.2f, -1.0f},  {3.0f, 0.0f},
                               {1.2f, 1.0f},    {1.2f, 0.35f},  {-2.4f, 0.35f}, {-2.0f, 0.0f}};
    std::vector<int> tris = triangulate(arrow);
    ASSERT_EQ(tris.size(), (arrow.size() - 2) * 3);
    float sum = 0;
    for (size_t i = 0; i < tris.size(); i += 3) {
        float a = area({arrow[tris[i]], arrow[tris[i + 1]], arrow[tris[i + 2]]});
        EXPECT_GT(a, 0);  // counter-clockwise like the outline
        sum += a;
    }
    EXPECT_NEAR(sum, area(arrow), 1e-4);
}

TEST(MeshBuilder, InsetMovesEveryEdgeInwards) {
    std::vector<Vec2> square = {{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    std::vector<Vec2> in = insetOutline(square, 0.25f);
    EXPECT_NEAR(in[0].x, 0.25f, 1e-5);
    EXPECT_NEAR(in[0].y, 0.25f, 1e-5);
    EXPECT_NEAR(in[2].x, 1.75f, 1e-5);
    EXPECT_NEAR(area(in), 1.5f * 1.5f, 1e-4);
}

TEST(MeshBuilder, ClosedShapesAreWatertight) {
    LwoObject o;
    MeshBuilder mb(o);
    uint16_t s = mb.surface(LwoSurface());
    mb.roundedBox({0, 0, 0}, {1, 2, 3}, 0.3f, 6, s);
    EXPECT_TRUE(watertight(o.layers[0]));

    LwoObject t;
    MeshBuilder tb(t);
    s = tb.surface(LwoSurface());
    tb.closedTube(
        64, 8, [](float u) { return Vec3(std::cos(u * 6.2831853f), std::sin(u * 6.2831853f), 0); },
        [](float, float) { return 0.2f; }, s);
    EXPECT_TRUE(watertight(t.layers[0]));
    // The tube closes on itself without a twist at the seam: no stretched quads.
    float longest = 0;
    for (const LwoTriangle& tr : t.layers[0].triangles)
        longest = std::fmax(longest, length(t.layers[0].points[tr.a] - t.layers[0].points[tr.b]));
    EXPECT_LT(longest, 0.25f);

    for (const char* name : {"lwos\\box-demo.lwo", "lwos\\cube.lwo", "lwos\\torus-loop-meta.lwo",
                             "lwos\\tarmslyng2.lwo", "lwos\\star.lwo"})
        for (const ObjectAsset& a : allObjects()) {
            if (a.storedName == name) {
                EXPECT_TRUE(watertight(a.make().layers[0])) << name;
            }
        }
}

TEST(MeshBuilder, WeldMergesPointsAndDropsCollapsedTriangles) {
    LwoObject o;
    MeshBuilder mb(o);
    uint16_t s = mb.surface(LwoSurface());
    uint32_t a = mb.point({0, 0, 0}), b = mb.point({1, 0, 0}), c = mb.point({0, 1, 0});
    uint32_t b2 = mb.point({1, 0, 0.00001f}), d = mb.point({1, 1, 0});
    mb.tri(a, b, c, s);
    mb.tri(b2, d, c, s);
    mb.tri(b, b2, d, s);  // collapses once b and b2 are one point
    mb.weld(1e-3f);
    EXPECT_EQ(o.layers[0].points.size(), 4u);
    ASSERT_EQ(o.layers[0].triangles.size(), 2u);
    EXPECT_EQ(o.layers[0].triangles[1].a, o.layers[0].triangles[0].b);
}

// Ids count each kind in the order it is written (objects and nulls, lights, cameras), so a
// parent or an exclusion written for an item must land on that item.
TEST(LwsWriter, NumbersItemsTheWayTheReaderCountsThem) {
    LwsScene scene;
    LwsItem cam;
    cam.type = LwsItemType::Camera;
    cam.name = "Cam";
    scene.items.push_back(cam);  // listed first, written last
    LwsItem light;
    light.type = LwsItemType::Light;
    light.name = "A";
    scene.items.push_back(light);
    light.name = "B";
    scene.items.push_back(light);
    LwsItem null;
    null.name = "Pivot";
    scene.items.push_back(null);
    LwsItem obj;
    obj.type = LwsItemType::Object;
    obj.name = "lwos/cube.lwo";
    obj.parent = 3;
    obj.excludedLights = {2};
    scene.items.push_back(obj);

    SceneText text;
    std::string error;
    ASSERT_TRUE(parseScene(writeLws(scene), text, error)) << error;
    ASSERT_EQ(text.items.size(), 5u);
    EXPECT_EQ(text.items[0].name, "Pivot");
    EXPECT_EQ(text.items[1].name, "lwos\\cube.lwo");
    EXPECT_EQ(text.items[1].parent, text.items[0].id);
    ASSERT_EQ(text.items[1].excluded.size(), 1u);
    EXPECT_EQ(text.items[1].excluded[0], 0x20000001u);  // light B
    EXPECT_EQ(text.items[3].name, "B");
    EXPECT_EQ(text.items[4].type, 3);
    EXPECT_EQ(text.envelopes.size(), 5u);
}

TEST(LwsWriter, KeysKeepTheirValuesShapesAndBehaviours) {
    LwsScene scene;
    LwsItem obj;
    obj.type = LwsItemType::Object;
    obj.name = "lwos/star.lwo";
    obj.motion.channels[3].keys = {{0.1f, 0, LwsShape::TCB, 0.5f, -0.25f, 0.125f},
                                   {-1.5f, 2.25f, LwsShape::Stepped}};
    obj.motion.channels[3].post = LwsBehavior::OffsetRepeat;
    scene.items.push_back(obj);
    SceneText text;
    std::string error;
    ASSERT_TRUE(parseScene(writeLws(scene), text, error)) << error;
    const SceneChannel& c = text.envelopes[0][3];
    ASSERT_EQ(c.keys.size(), 2u);
    EXPECT_FLOAT_EQ(c.keys[0].value, 0.1f);
    EXPECT_FLOAT_EQ(c.keys[1].time, 2.25f);
    EXPECT_EQ(c.keys[1].shape, 4);
    EXPECT_EQ(c.post, 4);
}

TEST(Fonts, MeasureAndRenderAgreeAndFitting) {
    Fonts fonts;
    ASSERT_TRUE(fonts.open(PALISADE_FONT_DIR));
    TextStyle s;
    s.size = 40;
    TextRun run = fonts.render("PALISADE", s, 3);
    EXPECT_NEAR(run.advance, fonts.measure("PALISADE", s), 1e-3);
    EXPECT_GT(run.ascent, 20);
    EXPECT_LT(run.ascent, 40);
    // Ink sits between the padding and the advance.
    float ink = 0;
    for (int y = 0; y < run.mask.height(); ++y)
        ink += run.mask.at(run.mask.width() - 1, y) + run.mask.at(0, y);
    EXPECT_EQ(ink, 0);
    TextStyle fitted = fitWidth(fonts, "PALISADE", s, 300, 200);
    EXPECT_NEAR(fonts.measure("PALISADE", fitted), 300, 1.0);
    // Wider letters take more room.
    TextStyle wide = s;
    wide.widthScale = 1.5f;
    EXPECT_GT(fonts.measure("PALISADE", wide), 1.4f * fonts.measure("PALISADE", s));
}

TEST(Noise, TilesWithItsPeriodAndRepeats) {
    for (float x : {0.3f, 1.7f, 3.9f})
        for (float y : {0.1f, 2.5f}) {
            EXPECT_NEAR(gradientNoise2(x, y, 4, 4, 9), gradientNoise2(x + 4, y, 4, 4, 9), 1e-5);
            EXPECT_NEAR(fbm2(x, y, 4, 4, 4, 9), fbm2(x, y + 4, 4, 4, 4, 9), 1e-5);
        }
    Rng a(5), b(5);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(a.next(), b.next());
    Rng r(6);
    for (int i = 0; i < 1000; ++i) {
        float u = r.uniform();
        EXPECT_GE(u, 0.0f);
        EXPECT_LT(u, 1.0f);
    }
}

}  // namespace
