#include <gtest/gtest.h>

#include "mesh/mesh.h"
#include "tests/mesh/lwo_builder.h"
#include "tests/support/test_support.h"

namespace {

using lwo::Bytes;

LwoStatus readInto(Mesh& mesh, const std::vector<uint8_t>& data, std::string* problem = nullptr) {
    return mesh.read(data.data(), data.size(), problem);
}

void expectVector(const Vector3& v, float x, float y, float z, float tolerance = 0.0f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

// A file written byte by byte, so that the reader's offsets are checked against the format
// itself and not against the writer the other tests use. Floats: 1 = 3F800000,
// -2 = C0000000, 0.5 = 3F000000, 0.25 = 3E800000, 3 = 40400000.
TEST(LwoReader, ChunkAndSubChunkOffsets) {
    const std::vector<uint8_t> data = {
        'F', 'O', 'R', 'M', 0, 0, 0, 198, 'L', 'W', 'O', '2',
        // An unknown chunk of three bytes, then its pad byte.
        'O', 'D', 'D', '!', 0, 0, 0, 3, 1, 2, 3, 0,
        // Layer 0x0102 (the low byte counts), flags, pivot (1, -2, 0.5), name "A", parent 7.
        'L', 'A', 'Y', 'R', 0, 0, 0, 20, 1, 2, 0, 0, 0x3F, 0x80, 0, 0, 0xC0, 0, 0, 0, 0x3F, 0, 0, 0,
        'A', 0, 0, 7,
        // (1, -2, 0.5), (0, 1, 0), (3, 0, -2) and two bytes short of a fourth point.
        'P', 'N', 'T', 'S', 0, 0, 0, 38, 0x3F, 0x80, 0, 0, 0xC0, 0, 0, 0, 0x3F, 0, 0, 0, 0, 0, 0, 0,
        0x3F, 0x80, 0, 0, 0, 0, 0, 0, 0x40, 0x40, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0xAA, 0xBB,
        // One triangle (2, 1, 0); its count word carries flag bits above the low ten.
        'P', 'O', 'L', 'S', 0, 0, 0, 12, 'F', 'A', 'C', 'E', 0xFC, 3, 0, 2, 0, 1, 0, 0,
        // Surface "Sf" (padded to 4 bytes), no source (NUL and pad); COLR (0.5, 0.25, 1) with
        // its envelope; an unknown sub-chunk of one byte and its pad; DIFF 0.25; SIDE 3.
        'S', 'U', 'R', 'F', 0, 0, 0, 54, 'S', 'f', 0, 0, 0, 0, 'C', 'O', 'L', 'R', 0, 14, 0x3F, 0,
        0, 0, 0x3E, 0x80, 0, 0, 0x3F, 0x80, 0, 0, 0, 0, 'X', 'X', 'X', 'X', 0, 1, 9, 0, 'D', 'I',
        'F', 'F', 0, 6, 0x3E, 0x80, 0, 0, 0, 0, 'S', 'I', 'D', 'E', 0, 2, 0, 3,
        // Exactly 18 bytes: layer 5, no name, and the parent (9) right after the pivot.
        'L', 'A', 'Y', 'R', 0, 0, 0, 18, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9};
    Mesh mesh;
    std::string problem;
    ASSERT_EQ(readInto(mesh, data, &problem), LwoStatus::Ok) << problem;
    EXPECT_TRUE(mesh.layer(0) == nullptr && mesh.layer(1) == nullptr);
    const MeshLayer* layer = mesh.layer(2);
    ASSERT_NE(layer, nullptr);
    expectVector(layer->pivot, 1, -2, 0.5f);  // as stored, not mirrored
    EXPECT_EQ(layer->parent, 7);
    ASSERT_EQ(layer->points.size(), 3u);
    expectVector(layer->points[0], 1, -2, -0.5f);  // z mirrored
    expectVector(layer->points[1], 0, 1, 0);
    expectVector(layer->points[2], 3, 0, 2);
    ASSERT_EQ(layer->polygons.size(), 1u);
    const uint32_t* corners = layer->polygons[0].points;
    EXPECT_TRUE(corners[0] == 2 && corners[1] == 1 && corners[2] == 0);
    ASSERT_NE(mesh.layer(5), nullptr);
    EXPECT_EQ(mesh.layer(5)->parent, 9);
    ASSERT_EQ(mesh.surfaces.size(), 1u);
    const Surface& s = mesh.surfaces[0];
    EXPECT_EQ(s.name, "Sf");
    EXPECT_EQ(std::vector<float>({s.color[0], s.color[1], s.color[2], s.diffuse}),
              (std::vector<float>{0.5f, 0.25f, 1, 0.25f}));
    EXPECT_TRUE(s.doubleSided);
}

// Indices (VX) are two bytes: points, polygons and UV entries beyond 255 keep both. Only TXUV
// vertex maps are read, and not the per-polygon ones (VMAD).
TEST(LwoReader, TwoByteIndicesAndUVMaps) {
    std::vector<lwo::Point> points(300, {0, 0, 0});
    points[258] = {5, 6, 7};
    std::vector<lwo::Tri> triangles(260, {0, 1, 2});
    triangles[0] = {258, 1, 256};
    triangles[259] = {0, 257, 299};
    Bytes c;
    c.chunk("LAYR", lwo::layr(0)).chunk("PNTS", lwo::pnts(points));
    c.chunk("POLS", lwo::pols(triangles)).chunk("PTAG", lwo::ptag({{259, 1}, {0x0102, 1}}));
    c.chunk("VMAP", Bytes().id("WGHT").u2(1).s0("weight").u2(0).f4(1));
    c.chunk("VMAD", Bytes().id("TXUV").u2(2).s0("uv").u2(0).u2(0).f4(0).f4(0));
    c.chunk(
        "VMAP",
        Bytes().id("TXUV").u2(2).s0("UV Map").u2(0x0123).f4(0.25f).f4(0.75f).u2(1).f4(1).f4(-2));
    c.chunk("SURF", lwo::surf("a")).chunk("SURF", lwo::surf("b"));
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    const MeshLayer& layer = *mesh.layer(0);
    expectVector(layer.points[258], 5, 6, -7);
    const auto& p = layer.polygons;
    EXPECT_EQ(std::vector<uint32_t>(p[0].points, p[0].points + 3),
              (std::vector<uint32_t>{258, 1, 256}));
    EXPECT_EQ(std::vector<uint32_t>(p[259].points, p[259].points + 3),
              (std::vector<uint32_t>{0, 257, 299}));
    EXPECT_EQ(p[259].surface + p[258].surface, 2);  // 258 = 0x0102
    EXPECT_EQ(p[2].surface, 0);                     // not its low byte
    ASSERT_EQ(layer.uvMaps.size(), 1u);
    EXPECT_EQ(layer.uvMaps[0].name, "UV Map");
    std::vector<float> entries;  // point, u, v (not flipped)
    for (const UVEntry& e : layer.uvMaps[0].entries)
        entries.insert(entries.end(), {float(e.point), e.u, e.v});
    EXPECT_EQ(entries, (std::vector<float>{0x0123, 0.25f, 0.75f, 1, 1, -2}));
}

TEST(LwoReader, TagsAndPolygonTagsInFileOrder) {
    Bytes c;
    c.chunk("TAGS", Bytes().s0("").s0("Zeta").s0("Alpha").s0("Mid"));
    c.chunk("TAGS", Bytes().s0("X"));  // a later TAGS chunk writes from the first tag again
    c.raw(lwo::bareLayer(0, {{0, 1, 2}, {2, 1, 0}, {0, 2, 1}}));
    c.chunk("PTAG", lwo::ptag({{0, 2}, {1, 1}}));     // polygon 2 keeps surface 0
    c.chunk("PTAG", Bytes().id("PART").u2(0).u2(1));  // other kinds are skipped
    c.chunk("SURF", lwo::surf("First"));
    c.chunk("SURF", lwo::surf("Second"));
    c.chunk("SURF", lwo::surf("Third"));
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    EXPECT_EQ(mesh.tags, (std::vector<std::string>{"X", "Zeta", "Alpha", "Mid"}));
    // The tag is the index of the SURF chunk, whatever TAGS says.
    const auto& p = mesh.layer(0)->polygons;
    EXPECT_EQ(std::vector<int>({p[0].surface, p[1].surface, p[2].surface}),
              (std::vector<int>{2, 1, 0}));
}

Bytes imageMapHeader(const char* channel) {
    Bytes h = Bytes().s0("\x80").sub("CHAN", Bytes().id(channel)).sub("ENAB", Bytes().u2(1));
    return h.sub("OPAC", Bytes().u2(7).f4(0.5f).u2(0));
}

// A surface's values, then its texture blocks: the first image-map block, one of UV
// projection and a procedural one. Within a block, sub-chunks follow without pad bytes.
TEST(LwoReader, SurfacesAndTheirTextureBlocks) {
    Bytes planar;
    planar.sub("IMAP", imageMapHeader("COLR"));
    planar.sub("TMAP", Bytes().sub("CNTR", Bytes().vec(0, 0, 0)));
    planar.sub("PROJ", Bytes().u2(0x0102)).sub("WRPW", Bytes().u1(1));
    planar.sub("AXIS", Bytes().u2(1)).sub("IMAG", Bytes().u2(0x0103));
    Bytes uv;
    uv.sub("IMAP", imageMapHeader("TRAN"));
    uv.sub("VMAP", Bytes().s0("UV Map"));
    uv.sub("PROJ", Bytes().u2(0));  // VMAP wins, whatever PROJ says
    uv.sub("VMAP", Bytes().s0("UV Map"));
    Bytes procedural;
    procedural.sub("PROC", Bytes().s0("\x80").sub("CHAN", Bytes().id("COLR")));
    procedural.sub("AXIS", Bytes().u2(2));
    Bytes values;
    values.sub("LUMI", lwo::value(0.1f)).sub("SPEC", lwo::value(0.4f));
    values.sub("SMAN", Bytes().f4(1.5f)).sub("TRAN", lwo::value(0.3f)).sub("SIDE", Bytes().u2(1));

    Bytes c;
    c.chunk("SURF", lwo::surf("Colour", values.sub("BLOK", planar).sub("DIFF", lwo::value(2))));
    c.chunk("SURF", lwo::surf("Glass", Bytes().sub("BLOK", uv).sub("BLOK", procedural)));
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    ASSERT_EQ(mesh.surfaces.size(), 2u);
    const Surface& colour = mesh.surfaces[0];
    EXPECT_EQ(std::vector<float>({colour.luminosity, colour.specular, colour.smoothingAngle,
                                  colour.transparency, colour.diffuse}),
              (std::vector<float>{0.1f, 0.4f, 1.5f, 0.3f, 2}));  // diffuse after the block
    EXPECT_FALSE(colour.doubleSided);                            // only 3 is both sides
    ASSERT_EQ(colour.blocks.size(), 1u);
    EXPECT_EQ(colour.blocks[0].projection, 2);  // low byte
    EXPECT_EQ(colour.blocks[0].axis, 1);
    EXPECT_EQ(colour.blocks[0].image, 0x0103u);
    EXPECT_EQ(colour.opacityType, 0u);  // only a transparency layer keeps it
    EXPECT_EQ(colour.opacity, 0.5f);

    const Surface& glass = mesh.surfaces[1];
    EXPECT_EQ(glass.name, "Glass");
    EXPECT_EQ(glass.diffuse + glass.smoothingAngle, 1.0f);  // the defaults
    ASSERT_EQ(glass.blocks.size(), 2u);
    EXPECT_EQ(glass.blocks[0].projection, 5);
    EXPECT_EQ(glass.blocks[0].uvMapName, "UV Map");
    EXPECT_EQ(glass.blocks[0].image, 0u);  // no IMAG
    EXPECT_EQ(glass.opacityType, 7u);
    EXPECT_EQ(glass.blocks[1].axis, 2);  // a procedural block is still made
}

// Only the base name after the last / or : counts; \ is no separator.
TEST(LwoReader, ClipPathsKeepTheBaseName) {
    const char* const cases[][2] = {{"C:/Images/Sky/Blue.JPG", "Blue.JPG"},
                                    {"Images:water.png", "water.png"},
                                    {"dir\\sub\\x.png", "dir\\sub\\x.png"},
                                    {"a/b.png", "b.png"}};
    Bytes c;
    for (uint32_t i = 0; i < 4; ++i) {
        c.chunk("CLIP", Bytes()
                            .u4(0x10001 * i)
                            .sub("XREF", Bytes().u4(1).s0("y"))
                            .sub("STIL", Bytes().s0(cases[i][0])));
    }
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    ASSERT_EQ(mesh.clips.size(), 4u);
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(mesh.clips[i].index, 0x10001 * i);
        EXPECT_EQ(mesh.clips[i].path, std::string("textures\\") + cases[i][1]);
    }
}

// ---------------------------------------------------------------------------------------------
// Refused objects: they stop the program, or are reported and left out; never read past
// ---------------------------------------------------------------------------------------------

TEST(LwoReaderDeathTest, TwoInputsStopTheProgram) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    Bytes quad = lwo::bareLayer(0);  // a triangle, then a four-cornered polygon
    quad.chunk("POLS", Bytes().id("FACE").u2(3).u2(0).u2(1).u2(2).u2(4).u2(0).u2(1).u2(2).u2(2));
    Bytes uv3 = Bytes().chunk("LAYR", lwo::layr(0));
    uv3.chunk("VMAP", Bytes().id("TXUV").u2(3).s0("uvw"));
    const struct {
        std::vector<uint8_t> data;
        LwoStatus status;
        int exit;
        const char* message;
    } cases[] = {
        {lwo::file(quad), LwoStatus::NotTriangles, 1, "3 Vertices per poly only"},
        {lwo::file(uv3), LwoStatus::UVNot2D, 1, "2D UV-mapping only"},
    };
    for (const auto& c : cases) {
        Mesh mesh;
        EXPECT_EQ(readInto(mesh, c.data), c.status) << c.message;
        EXPECT_EXIT(mesh.loadFromMemory("lwos\\x.lwo", c.data.data(), c.data.size()),
                    ::testing::ExitedWithCode(c.exit), c.message);
    }
}

// A layer holding one four-cornered polygon of that POLS kind, tagged with surface 0.
Bytes patchLayer(uint16_t number, const char* kind) {
    Bytes c;
    c.chunk("LAYR", lwo::layr(number));
    c.chunk("PNTS", lwo::pnts({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}));
    c.chunk("POLS", Bytes().id(kind).u2(4).u2(0).u2(1).u2(2).u2(3));
    return c.chunk("PTAG", lwo::ptag({{0, 0}}));
}

// Objects as modellers save them, and damaged ones: each loads with its triangles, or is
// refused with its reason. (Arbitrary bytes are the fuzz target's.)
TEST(LwoReader, ObjectsLoadOrAreRefusedForTheirReason) {
    struct Case {
        const char* what;
        Bytes chunks;
        LwoStatus status;
        const char* problem;  // part of the reported problem
        size_t triangles;     // in all layers, when read
    };
    const auto with = [](const char* tag, const Bytes& body, Bytes c = lwo::oneTriangle()) {
        return c.chunk(tag, body);
    };
    const LwoStatus damaged = LwoStatus::Damaged, none = LwoStatus::NoTriangles;
    std::vector<Case> cases = {
        // The patches' tags name the patches, not the triangles.
        {"triangles beside tagged patches",
         with("PTAG", lwo::ptag({{1, 5}}),
              with("POLS",
                   Bytes().id("PTCH").u2(4).u2(0).u2(1).u2(2).u2(0).u2(4).u2(0).u2(1).u2(2).u2(0))),
         LwoStatus::Ok, "", 1},
        {"a layer of patches", lwo::oneTriangle().raw(patchLayer(1, "PTCH")), LwoStatus::Ok, "", 1},
        {"patches and curves only",
         patchLayer(0, "SUBD").chunk("POLS", Bytes().id("CURV").u2(2).u2(0).u2(1)), none,
         "no triangles, only subdivision surfaces (SUBD) and spline curves (CURV)", 0},
        {"point beyond the points", with("POLS", lwo::pols({{0, 1, 3}})), damaged,
         "uses point 3 of 3", 0},
        {"polygon beyond the polygons", with("PTAG", lwo::ptag({{1, 0}})), damaged,
         "names polygon 1 of 1", 0},
        {"chunk longer than the file", lwo::oneTriangle().id("PNTS").u4(1000).vec(0, 0, 0), damaged,
         "runs past the end of the file", 0},
        {"sub-chunk longer than its chunk",
         Bytes().chunk("SURF", lwo::surf("s", Bytes().id("COLR").u2(200).f4(1))), damaged,
         "SURF chunk \"s\" runs past", 0},
    };
    for (const char* tag : {"PNTS", "POLS", "PTAG", "VMAP"})
        cases.push_back({tag, Bytes().chunk(tag, Bytes().id("FACE").u2(0).u2(0)), damaged,
                         "before the first LAYR", 0});
    for (const Case& c : cases) {
        Mesh mesh;
        std::string problem;
        ASSERT_EQ(readInto(mesh, lwo::file(c.chunks), &problem), c.status)
            << c.what << ": " << problem;
        EXPECT_NE(problem.find(c.problem), std::string::npos) << c.what << ": " << problem;
        size_t triangles = 0;
        for (const auto& layer : mesh.layers) triangles += layer ? layer->polygons.size() : 0;
        if (c.status == LwoStatus::Ok) {
            EXPECT_EQ(triangles, c.triangles) << c.what;
        }
    }
}

// Without a SURF chunk every triangle takes a default surface, LightWave's plain grey.
TEST(LwoReader, AnObjectWithoutSurfacesGetsTheDefaultOne) {
    Bytes c = lwo::bareLayer(0, {{0, 1, 2}, {2, 1, 0}});
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c.chunk("PTAG", lwo::ptag({{1, 1}})))), LwoStatus::Ok);
    ASSERT_EQ(mesh.surfaces.size(), 1u);
    EXPECT_EQ(mesh.surfaces[0].name, "Default");
    EXPECT_NEAR(mesh.surfaces[0].color[1], 0.784f, 0.001f);  // 200 / 255
    EXPECT_EQ(mesh.layer(0)->polygons[1].surface, 0);
}

TEST(LwoLoad, RefusedObjectsAreReportedByName) {
    testsupport::MessageCapture capture;
    const std::vector<uint8_t> damaged =
        lwo::file(lwo::oneTriangle().chunk("PTAG", lwo::ptag({{0, 4}})));
    const std::vector<uint8_t> patches = lwo::file(patchLayer(0, "PTCH"));
    Mesh mesh;
    EXPECT_FALSE(mesh.loadFromMemory("lwos\\broken.lwo", damaged.data(), damaged.size()));
    EXPECT_EQ(mesh.layer(0), nullptr);  // nothing half-read is left to draw
    EXPECT_FALSE(mesh.loadFromMemory("lwos\\patches.lwo", patches.data(), patches.size()));
    // Not an object at all, or nothing: said like any damage, and the program goes on.
    const std::vector<uint8_t> riff = {'R', 'I', 'F', 'F', 0, 0, 0, 4, 'L', 'W', 'O', '2'};
    EXPECT_FALSE(mesh.loadFromMemory("lwos\\riff.lwo", riff.data(), riff.size()));
    EXPECT_FALSE(mesh.loadFromMemory("lwos\\empty.lwo", nullptr, 0));
    EXPECT_EQ(capture.messages(),
              (std::vector<std::string>{
                  "Object lwos\\broken.lwo is damaged and was not loaded: polygon 0 of layer 0 "
                  "has tag 4 but there are 1 surfaces",
                  "Object lwos\\patches.lwo was not loaded: it has no triangles, only "
                  "subdivision patches (PTCH), which the program does not draw",
                  "Object lwos\\riff.lwo is damaged and was not loaded: not an IFF FORM file",
                  "Object lwos\\empty.lwo is damaged and was not loaded: not an IFF FORM file"}));
}

}  // namespace
