#include <gtest/gtest.h>

#include "mesh/mesh.h"
#include "tests/mesh/lwo_builder.h"
#include "tests/support/test_support.h"

namespace {

using lwo::Bytes;

LwoStatus readInto(Mesh& mesh, const std::vector<uint8_t>& data, std::string* problem = nullptr) {
    return mesh.read(data.data(), data.size(), problem);
}

TEST(LwoReader, ReadsLayersPointsAndTriangles) {
    Bytes c = lwo::oneTriangle();
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    const MeshLayer* layer = mesh.layer(0);
    ASSERT_NE(layer, nullptr);
    ASSERT_EQ(layer->points.size(), 3u);
    ASSERT_EQ(layer->polygons.size(), 1u);
    EXPECT_EQ(layer->polygons[0].points[0], 0u);
    EXPECT_EQ(layer->polygons[0].points[2], 2u);
    EXPECT_EQ(mesh.layer(1), nullptr);
    ASSERT_EQ(mesh.surfaces.size(), 1u);
    EXPECT_EQ(mesh.surfaces[0].name, "Default");
    EXPECT_EQ(mesh.tags, std::vector<std::string>{"Default"});
}

TEST(LwoReader, MirrorsPointsInZButNotThePivot) {
    Bytes c;
    c.chunk("LAYR", Bytes().u2(0).u2(0).vec(1, 2, 3).s0("").u2(0));
    c.chunk("PNTS", lwo::pnts({{1, 2, 3}}));
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    const Vector3& p = mesh.layer(0)->points[0];
    EXPECT_EQ(p.x, 1.0f);
    EXPECT_EQ(p.y, 2.0f);
    EXPECT_EQ(p.z, -3.0f);
    EXPECT_EQ(mesh.layer(0)->pivot.z, 3.0f);
}

TEST(LwoReader, LayerNumberParentAndName) {
    // Exactly 18 bytes: the parent is taken from the two bytes after the pivot.
    Bytes c;
    c.chunk("LAYR", Bytes().u2(0x0102).u2(0).vec(0, 0, 0).u2(7));
    // A named layer ends with its parent.
    c.chunk("LAYR", lwo::layr(5, "Layer 5", 2));
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    ASSERT_NE(mesh.layer(2), nullptr);  // the low byte of 0x0102
    EXPECT_EQ(mesh.layer(2)->parent, 7);
    ASSERT_NE(mesh.layer(5), nullptr);
    EXPECT_EQ(mesh.layer(5)->parent, 2);
    EXPECT_EQ(mesh.layer(1), nullptr);
}

TEST(LwoReader, EmptyStringsConsumeTheirPadByte) {
    Bytes c;
    c.chunk("TAGS", Bytes().s0("").s0("Abc").s0("Ab"));
    // A later TAGS chunk writes from the first tag again.
    c.chunk("TAGS", Bytes().s0("X"));
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    EXPECT_EQ(mesh.tags, (std::vector<std::string>{"X", "Abc", "Ab"}));
}

TEST(LwoReader, VertexCountFlagsAreIgnored) {
    Bytes c;
    c.chunk("LAYR", lwo::layr(0));
    c.chunk("PNTS", lwo::pnts({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
    c.chunk("POLS", Bytes().id("FACE").u2(0xFC03).u2(2).u2(1).u2(0));
    c.chunk("SURF", lwo::surf("s"));
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    EXPECT_EQ(mesh.layer(0)->polygons[0].points[0], 2u);
}

TEST(LwoReader, PolygonTagsIndexSurfacesInFileOrder) {
    Bytes c;
    c.chunk("TAGS", Bytes().s0("Zeta").s0("Alpha").s0("Mid"));
    c.chunk("LAYR", lwo::layr(0));
    c.chunk("PNTS", lwo::pnts({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
    c.chunk("POLS", lwo::pols({{0, 1, 2}, {2, 1, 0}, {0, 2, 1}}));
    c.chunk("PTAG", lwo::ptag({{0, 2}, {1, 1}}));     // polygon 2 keeps surface 0
    c.chunk("PTAG", Bytes().id("PART").u2(0).u2(1));  // other kinds are skipped
    c.chunk("SURF", lwo::surf("First"));
    c.chunk("SURF", lwo::surf("Second"));
    c.chunk("SURF", lwo::surf("Third"));
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    const auto& polygons = mesh.layer(0)->polygons;
    EXPECT_EQ(mesh.surfaces[polygons[0].surface].name, "Third");
    EXPECT_EQ(polygons[1].surface, 1);
    EXPECT_EQ(polygons[2].surface, 0);
}

TEST(LwoReader, TextureUVMapsOnly) {
    Bytes c;
    c.chunk("LAYR", lwo::layr(0));
    c.chunk("PNTS", lwo::pnts({{0, 0, 0}, {1, 0, 0}}));
    c.chunk("VMAP", Bytes().id("WGHT").u2(1).s0("weight").u2(0).f4(1));
    c.chunk("VMAD", Bytes().id("TXUV").u2(2).s0("uv").u2(0).u2(0).f4(0).f4(0));
    c.chunk("VMAP",
            Bytes().id("TXUV").u2(2).s0("UV Map").u2(1).f4(0.25f).f4(0.75f).u2(0).f4(1).f4(0));
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    const MeshLayer* layer = mesh.layer(0);
    ASSERT_EQ(layer->uvMaps.size(), 1u);
    const UVMap& map = layer->uvMaps[0];
    EXPECT_EQ(map.name, "UV Map");
    ASSERT_EQ(map.entries.size(), 2u);
    EXPECT_EQ(map.entries[0].point, 1u);
    EXPECT_EQ(map.entries[0].u, 0.25f);
    EXPECT_EQ(map.entries[0].v, 0.75f);  // not flipped
    EXPECT_EQ(map.entries[1].point, 0u);
}

TEST(LwoReader, SurfaceAttributes) {
    Bytes subs;
    subs.sub("COLR", Bytes().f4(0.5f).f4(0.25f).f4(1).u2(0));
    subs.sub("DIFF", lwo::value(0.8f));
    subs.sub("LUMI", lwo::value(0.1f));
    subs.sub("SPEC", lwo::value(0.4f));
    subs.sub("SMAN", Bytes().f4(1.5f));
    subs.sub("XXXX", Bytes().u1(9));  // odd length: padded before the next sub-chunk
    subs.u1(0);
    subs.sub("SIDE", Bytes().u2(3));
    subs.sub("TRAN", lwo::value(0.3f));
    Bytes c;
    c.chunk("SURF", lwo::surf("Shiny", subs));
    c.chunk("SURF", lwo::surf("Plain"));
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    ASSERT_EQ(mesh.surfaces.size(), 2u);
    const Surface& s = mesh.surfaces[0];
    EXPECT_EQ(s.color[1], 0.25f);
    EXPECT_EQ(s.diffuse, 0.8f);
    EXPECT_EQ(s.luminosity, 0.1f);
    EXPECT_EQ(s.specular, 0.4f);
    EXPECT_EQ(s.smoothingAngle, 1.5f);
    EXPECT_TRUE(s.doubleSided);
    EXPECT_EQ(s.transparency, 0.3f);
    const Surface& plain = mesh.surfaces[1];
    EXPECT_EQ(plain.diffuse, 1.0f);
    EXPECT_FALSE(plain.doubleSided);
    EXPECT_EQ(plain.smoothingAngle, 0.0f);
}

Bytes imageMapHeader(const char* channel, uint16_t opacityType, float opacity) {
    Bytes h;
    h.s0("\x80");
    h.sub("CHAN", Bytes().id(channel));
    h.sub("ENAB", Bytes().u2(1));
    h.sub("OPAC", Bytes().u2(opacityType).f4(opacity).u2(0));
    return h;
}

TEST(LwoReader, TextureBlocks) {
    Bytes planar;
    planar.sub("IMAP", imageMapHeader("COLR", 7, 0.5f));
    planar.sub("TMAP", Bytes().sub("CNTR", Bytes().vec(0, 0, 0)));
    planar.sub("PROJ", Bytes().u2(0x0102));
    planar.sub("AXIS", Bytes().u2(1));
    planar.sub("IMAG", Bytes().u2(3));
    Bytes uv;
    uv.sub("IMAP", imageMapHeader("TRAN", 7, 0.5f));
    uv.sub("VMAP", Bytes().s0("UV Map"));
    uv.sub("PROJ", Bytes().u2(0));  // VMAP wins, whatever PROJ says
    uv.sub("VMAP", Bytes().s0("UV Map"));
    Bytes procedural;
    procedural.sub("PROC", Bytes().s0("\x80").sub("CHAN", Bytes().id("COLR")));
    procedural.sub("AXIS", Bytes().u2(2));

    Bytes c;
    c.chunk("SURF", lwo::surf("Colour", Bytes().sub("BLOK", planar)));
    c.chunk("SURF", lwo::surf("Glass", Bytes().sub("BLOK", uv).sub("BLOK", procedural)));
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    ASSERT_EQ(mesh.surfaces.size(), 2u);

    const Surface& colour = mesh.surfaces[0];
    ASSERT_EQ(colour.blocks.size(), 1u);
    EXPECT_EQ(colour.blocks[0].projection, 2);  // low byte
    EXPECT_EQ(colour.blocks[0].axis, 1);
    EXPECT_EQ(colour.blocks[0].image, 3u);
    EXPECT_EQ(colour.opacityType, 0u);  // only a transparency layer keeps it
    EXPECT_EQ(colour.opacity, 0.5f);

    const Surface& glass = mesh.surfaces[1];
    ASSERT_EQ(glass.blocks.size(), 2u);
    EXPECT_EQ(glass.blocks[0].projection, 5);
    EXPECT_EQ(glass.blocks[0].uvMapName, "UV Map");
    EXPECT_EQ(glass.blocks[0].image, 0u);  // no IMAG
    EXPECT_EQ(glass.opacityType, 7u);
    EXPECT_EQ(glass.blocks[1].axis, 2);  // a procedural block is still made
}

TEST(LwoReader, ClipPathsKeepTheBaseName) {
    Bytes c;
    c.chunk("CLIP", Bytes().u4(1).sub("STIL", Bytes().s0("C:/Images/Sky/Blue.JPG")));
    c.chunk("CLIP", Bytes().u4(2).sub("STIL", Bytes().s0("Images:water.png")));
    c.chunk("CLIP", Bytes().u4(9).sub("STIL", Bytes().s0("dir\\sub\\x.png")));
    c.chunk("CLIP",
            Bytes().u4(4).sub("XREF", Bytes().u4(1).s0("y")).sub("STIL", Bytes().s0("a/b.png")));
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    ASSERT_EQ(mesh.clips.size(), 4u);
    EXPECT_EQ(mesh.clips[0].index, 1u);
    EXPECT_EQ(mesh.clips[0].path, "textures\\Blue.JPG");
    EXPECT_EQ(mesh.clips[1].path, "textures\\water.png");
    EXPECT_EQ(mesh.clips[2].index, 9u);
    EXPECT_EQ(mesh.clips[2].path, "textures\\dir\\sub\\x.png");
    EXPECT_EQ(mesh.clips[3].path, "textures\\b.png");
}

TEST(LwoReader, UnknownChunksAreSkippedWithTheirPadByte) {
    Bytes c;
    c.chunk("BBOX", Bytes().vec(0, 0, 0).vec(1, 1, 1));
    c.chunk("ODD!", Bytes().u1(1).u1(2).u1(3));
    c.raw(lwo::oneTriangle());
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    EXPECT_EQ(mesh.layer(0)->polygons.size(), 1u);
}

TEST(LwoReader, TheThreeInputsThatStopTheProgram) {
    Mesh mesh;
    const std::vector<uint8_t> riff = {'R', 'I', 'F', 'F', 0, 0, 0, 4, 'L', 'W', 'O', '2'};
    EXPECT_EQ(readInto(mesh, riff), LwoStatus::NotForm);
    EXPECT_EQ(readInto(mesh, {}), LwoStatus::NotForm);

    Bytes quad;
    quad.chunk("LAYR", lwo::layr(0));
    quad.chunk("PNTS", lwo::pnts({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}));
    quad.chunk("POLS", Bytes().id("FACE").u2(3).u2(0).u2(1).u2(2).u2(4).u2(0).u2(1).u2(2).u2(3));
    EXPECT_EQ(readInto(mesh, lwo::file(quad)), LwoStatus::NotTriangles);

    Bytes uv3;
    uv3.chunk("LAYR", lwo::layr(0));
    uv3.chunk("VMAP", Bytes().id("TXUV").u2(3).s0("uvw"));
    EXPECT_EQ(readInto(mesh, lwo::file(uv3)), LwoStatus::UVNot2D);

    EXPECT_EQ(fatalExitStatus(LwoStatus::NotForm), 2);
    EXPECT_EQ(fatalExitStatus(LwoStatus::NotTriangles), 1);
    EXPECT_EQ(fatalExitStatus(LwoStatus::UVNot2D), 1);
    EXPECT_EQ(fatalExitStatus(LwoStatus::Damaged), 0);
}

// ---------------------------------------------------------------------------------------------
// Damaged objects are refused, never read past their end
// ---------------------------------------------------------------------------------------------

struct DamagedCase {
    const char* what;
    Bytes chunks;
    const char* problem;  // part of the reported problem
};

Bytes repeated(int times, const char* tag, const Bytes& data, Bytes prefix = Bytes()) {
    for (int i = 0; i < times; ++i) prefix.chunk(tag, data);
    return prefix;
}

std::vector<DamagedCase> damagedCases() {
    std::vector<DamagedCase> cases;
    for (const char* tag : {"PNTS", "POLS", "PTAG", "VMAP"}) {
        Bytes c;
        c.chunk(tag, tag == std::string("PNTS") ? lwo::pnts({{0, 0, 0}})
                                                : Bytes().id("FACE").u2(0).u2(0));
        cases.push_back({tag, c, "before the first LAYR"});
    }
    {
        Bytes c = lwo::oneTriangle();
        c.chunk("POLS", lwo::pols({{0, 1, 3}}));
        cases.push_back({"point index beyond the points", c, "uses point 3 of 3"});
    }
    {
        Bytes c = lwo::oneTriangle();
        c.chunk("PTAG", lwo::ptag({{1, 0}}));
        cases.push_back({"polygon index beyond the polygons", c, "names polygon 1 of 1"});
    }
    {
        Bytes c = lwo::oneTriangle();
        c.chunk("PTAG", lwo::ptag({{0, 1}}));
        cases.push_back({"tag without a surface", c, "has tag 1 but there are 1 surfaces"});
    }
    {
        Bytes c = lwo::oneTriangle();
        c.id("PNTS").u4(1000).vec(0, 0, 0);
        cases.push_back({"chunk longer than the file", c, "runs past the end of the file"});
    }
    {
        Bytes c;
        c.chunk("SURF", lwo::surf("s", Bytes().id("COLR").u2(200).f4(1)));
        cases.push_back({"sub-chunk longer than its chunk", c, "SURF chunk \"s\" runs past"});
    }
    {
        Bytes c;
        c.chunk("SURF", lwo::surf("s", Bytes().sub("COLR", Bytes().f4(1))));
        cases.push_back({"sub-chunk shorter than its values", c, "runs past its end"});
    }
    {
        Bytes c;
        c.chunk("TAGS", Bytes().u1('a').u1('b'));
        cases.push_back({"string without its end", c, "TAGS chunk runs past"});
    }
    {
        Bytes c;
        c.chunk("LAYR", Bytes().u2(0).u2(0).vec(0, 0, 0));
        cases.push_back({"layer too short for its parent", c, "LAYR chunk of 16 bytes"});
    }
    cases.push_back(
        {"too many surfaces", repeated(257, "SURF", lwo::surf("s")), "more than 256 surfaces"});
    cases.push_back({"too many clips",
                     repeated(257, "CLIP", Bytes().u4(1).sub("STIL", Bytes().s0("a.png"))),
                     "more than 256 clips"});
    cases.push_back({"too many UV maps",
                     repeated(65, "VMAP", Bytes().id("TXUV").u2(2).s0("uv"),
                              Bytes().chunk("LAYR", lwo::layr(0))),
                     "more than 64 UV maps"});
    {
        Bytes blocks;
        for (int i = 0; i < 65; ++i) blocks.sub("BLOK", Bytes().sub("IMAP", Bytes().s0("\x80")));
        Bytes c;
        c.chunk("SURF", lwo::surf("s", blocks));
        cases.push_back({"too many blocks", c, "more than 64 texture blocks"});
    }
    {
        Bytes tags;
        for (int i = 0; i < 257; ++i) tags.s0("t");
        cases.push_back({"too many tags", Bytes().chunk("TAGS", tags), "more than 256 tags"});
    }
    return cases;
}

TEST(LwoReader, DamagedObjectsAreRefusedWithTheirProblem) {
    for (const DamagedCase& c : damagedCases()) {
        Mesh mesh;
        std::string problem;
        EXPECT_EQ(readInto(mesh, lwo::file(c.chunks), &problem), LwoStatus::Damaged) << c.what;
        EXPECT_NE(problem.find(c.problem), std::string::npos) << c.what << ": " << problem;
    }
}

TEST(LwoReader, EveryTruncationOfAValidFileIsSafe) {
    Bytes c;
    c.chunk("CLIP", Bytes().u4(1).sub("STIL", Bytes().s0("a/b.png")));
    c.raw(lwo::oneTriangle(1.0f));
    c.chunk("VMAP", Bytes().id("TXUV").u2(2).s0("uv").u2(0).f4(0).f4(0));
    Bytes block;
    block.sub("IMAP", imageMapHeader("TRAN", 7, 1)).sub("IMAG", Bytes().u2(1));
    c.chunk("SURF", lwo::surf("t", Bytes().sub("BLOK", block)));
    const std::vector<uint8_t> whole = lwo::file(c);
    for (size_t n = 0; n < whole.size(); ++n) {
        // An exact copy, so that reading a byte past n is caught by the sanitizers.
        std::vector<uint8_t> part(whole.begin(), whole.begin() + n);
        Mesh mesh;
        const LwoStatus status = readInto(mesh, part);
        EXPECT_NE(status, LwoStatus::NotTriangles) << n;
        EXPECT_NE(status, LwoStatus::UVNot2D) << n;
        if (n >= 4) {
            EXPECT_NE(status, LwoStatus::NotForm) << n;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Objects as LightWave and other modellers save them: each loads, or is refused for its reason
// ---------------------------------------------------------------------------------------------

struct ModellerCase {
    const char* what;
    Bytes chunks;
    LwoStatus status;
    size_t triangles;     // in all layers, when read
    const char* problem;  // part of the reported problem, when refused
};

// A layer holding one four-cornered polygon of that POLS kind, tagged with surface 0.
Bytes patchLayer(uint16_t number, const char* kind) {
    Bytes c;
    c.chunk("LAYR", lwo::layr(number));
    c.chunk("PNTS", lwo::pnts({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}));
    c.chunk("POLS", Bytes().id(kind).u2(4).u2(0).u2(1).u2(2).u2(3));
    c.chunk("PTAG", lwo::ptag({{0, 0}}));
    return c;
}

std::vector<ModellerCase> modellerCases() {
    std::vector<ModellerCase> cases;
    cases.push_back({"triangles without any surface", lwo::bareLayer(0, {{0, 1, 2}, {2, 1, 0}}),
                     LwoStatus::Ok, 2, ""});
    {
        Bytes c;
        c.chunk("TAGS", Bytes().s0("Default"));
        c.raw(patchLayer(0, "PTCH"));
        c.chunk("SURF", lwo::surf("Default"));
        cases.push_back({"subdivision patches only", c, LwoStatus::NoTriangles, 0,
                         "no triangles, only subdivision patches (PTCH)"});
    }
    {
        Bytes c = patchLayer(0, "SUBD");
        c.chunk("POLS", Bytes().id("CURV").u2(2).u2(0).u2(1));
        cases.push_back({"subdivision surfaces and curves", c, LwoStatus::NoTriangles, 0,
                         "subdivision surfaces (SUBD) and spline curves (CURV)"});
    }
    {
        // The patches' tags name polygon 0 of the patches, not of the triangles.
        Bytes c = lwo::oneTriangle();
        c.chunk("POLS",
                Bytes().id("PTCH").u2(4).u2(0).u2(1).u2(2).u2(0).u2(4).u2(0).u2(1).u2(2).u2(0));
        c.chunk("PTAG", lwo::ptag({{1, 5}}));
        cases.push_back({"triangles beside tagged patches", c, LwoStatus::Ok, 1, ""});
    }
    {
        Bytes c = lwo::oneTriangle();
        c.raw(patchLayer(1, "PTCH"));
        cases.push_back({"a layer of triangles, a layer of patches", c, LwoStatus::Ok, 1, ""});
    }
    {
        Bytes c;
        c.chunk("LAYR", lwo::layr(0));
        c.chunk("PNTS", lwo::pnts({{0, 0, 0}, {1, 2, 3}}));
        cases.push_back({"points only", c, LwoStatus::Ok, 0, ""});
    }
    cases.push_back({"quads", patchLayer(0, "FACE"), LwoStatus::NotTriangles, 0, ""});
    {
        Bytes c = lwo::oneTriangle();
        c.chunk("PTAG", lwo::ptag({{0, 3}}));
        cases.push_back({"a tag beyond the surfaces", c, LwoStatus::Damaged, 0,
                         "has tag 3 but there are 1 surfaces"});
    }
    return cases;
}

TEST(LwoReader, ModellerFilesLoadOrAreRefusedForTheirReason) {
    for (const ModellerCase& c : modellerCases()) {
        Mesh mesh;
        std::string problem;
        ASSERT_EQ(readInto(mesh, lwo::file(c.chunks), &problem), c.status)
            << c.what << ": " << problem;
        EXPECT_NE(problem.find(c.problem), std::string::npos) << c.what << ": " << problem;
        if (c.status != LwoStatus::Ok) continue;
        size_t triangles = 0;
        for (const auto& layer : mesh.layers) triangles += layer ? layer->polygons.size() : 0;
        EXPECT_EQ(triangles, c.triangles) << c.what;
        mesh.computeNormals();  // every polygon has a surface to ask for its smoothing
    }
}

TEST(LwoReader, AnObjectWithoutSurfacesGetsTheDefaultOne) {
    Bytes c;
    c.chunk("TAGS", Bytes().s0("Body").s0("Trim"));
    c.raw(lwo::bareLayer(0, {{0, 1, 2}, {2, 1, 0}}));
    c.chunk("PTAG", lwo::ptag({{1, 1}}));
    Mesh mesh;
    ASSERT_EQ(readInto(mesh, lwo::file(c)), LwoStatus::Ok);
    ASSERT_EQ(mesh.surfaces.size(), 1u);
    const Surface& s = mesh.surfaces[0];
    EXPECT_EQ(s.name, "Default");
    EXPECT_NEAR(s.color[1], 0.784f, 0.001f);
    EXPECT_EQ(s.diffuse, 1.0f);
    EXPECT_EQ(s.smoothingAngle, 0.0f);
    for (const MeshPolygon& p : mesh.layer(0)->polygons) EXPECT_EQ(p.surface, 0);
}

// ---------------------------------------------------------------------------------------------
// What the program does with them
// ---------------------------------------------------------------------------------------------

using LwoExitDeathTest = ::testing::Test;

TEST(LwoExitDeathTest, NotFormEndsTheProcessWithStatusTwoAndNoMessage) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    const std::vector<uint8_t> riff = {'R', 'I', 'F', 'F', 0, 0, 0, 0};
    EXPECT_EXIT(
        {
            Mesh mesh;
            mesh.loadFromMemory("lwos\\x.lwo", riff.data(), riff.size());
        },
        ::testing::ExitedWithCode(2), "^$");
}

TEST(LwoExitDeathTest, NonTrianglesAndNon2DMapsShowTheirMessageAndEndWithStatusOne) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    Bytes quad;
    quad.chunk("LAYR", lwo::layr(0));
    quad.chunk("POLS", Bytes().id("FACE").u2(4).u2(0).u2(0).u2(0).u2(0));
    const std::vector<uint8_t> quadFile = lwo::file(quad);
    EXPECT_EXIT(
        {
            Mesh mesh;
            mesh.loadFromMemory("lwos\\q.lwo", quadFile.data(), quadFile.size());
        },
        ::testing::ExitedWithCode(1), "3 Vertices per poly only");

    Bytes uv;
    uv.chunk("LAYR", lwo::layr(0));
    uv.chunk("VMAP", Bytes().id("TXUV").u2(1).s0("u"));
    const std::vector<uint8_t> uvFile = lwo::file(uv);
    EXPECT_EXIT(
        {
            Mesh mesh;
            mesh.loadFromMemory("lwos\\u.lwo", uvFile.data(), uvFile.size());
        },
        ::testing::ExitedWithCode(1), "2D UV-mapping only");
}

TEST(LwoLoad, ADamagedObjectIsReportedByNameAndRefused) {
    testsupport::MessageCapture capture;
    Bytes c = lwo::oneTriangle();
    c.chunk("PTAG", lwo::ptag({{0, 4}}));
    const std::vector<uint8_t> data = lwo::file(c);
    Mesh mesh;
    EXPECT_FALSE(mesh.loadFromMemory("lwos\\broken.lwo", data.data(), data.size()));
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_NE(capture.messages()[0].find("lwos\\broken.lwo"), std::string::npos);
    EXPECT_NE(capture.messages()[0].find("tag 4"), std::string::npos);
    EXPECT_EQ(mesh.layer(0), nullptr);
}

TEST(LwoLoad, AnObjectWithoutTrianglesIsReportedAsSuchNotAsDamaged) {
    testsupport::MessageCapture capture;
    const std::vector<uint8_t> data = lwo::file(patchLayer(0, "PTCH"));
    Mesh mesh;
    EXPECT_FALSE(mesh.loadFromMemory("lwos\\patches.lwo", data.data(), data.size()));
    ASSERT_EQ(capture.messages().size(), 1u);
    const std::string& message = capture.messages()[0];
    EXPECT_NE(message.find("lwos\\patches.lwo was not loaded: it has no triangles"),
              std::string::npos)
        << message;
    EXPECT_EQ(message.find("damaged"), std::string::npos) << message;
}

}  // namespace
