#include "tests/assets/object_check.h"

#include <gtest/gtest.h>

namespace {

void expectSameLayer(const std::string& name, const LwoLayer& built, const MeshLayer& read) {
    // The model's coordinates are the program's: the file's mirror in z is undone on reading.
    ASSERT_EQ(read.points.size(), built.points.size()) << name;
    for (size_t p = 0; p < built.points.size(); ++p) {
        ASSERT_EQ(read.points[p].x, built.points[p].x) << name << " point " << p;
        ASSERT_EQ(read.points[p].y, built.points[p].y) << name << " point " << p;
        ASSERT_EQ(read.points[p].z, built.points[p].z) << name << " point " << p;
    }
    EXPECT_EQ(read.pivot.x, built.pivot.x) << name;
    EXPECT_EQ(read.pivot.y, built.pivot.y) << name;
    EXPECT_EQ(read.pivot.z, built.pivot.z) << name;
    if (built.parent >= 0) {
        EXPECT_EQ(read.parent, built.parent) << name;
    }

    // The program draws the corners last to first, (b, c, a): the model's own turn.
    ASSERT_EQ(read.polygons.size(), built.triangles.size()) << name;
    for (size_t t = 0; t < built.triangles.size(); ++t) {
        const LwoTriangle& b = built.triangles[t];
        const MeshPolygon& r = read.polygons[t];
        ASSERT_TRUE(r.points[2] == b.b && r.points[1] == b.c && r.points[0] == b.a)
            << name << " triangle " << t;
        ASSERT_EQ(r.surface, b.surface) << name << " triangle " << t;
    }

    ASSERT_EQ(read.uvMaps.size(), built.uvMaps.size()) << name;
    for (size_t m = 0; m < built.uvMaps.size(); ++m) {
        EXPECT_EQ(read.uvMaps[m].name, built.uvMaps[m].name) << name;
        ASSERT_EQ(read.uvMaps[m].entries.size(), built.uvMaps[m].entries.size()) << name;
        for (size_t e = 0; e < built.uvMaps[m].entries.size(); ++e) {
            const UVEntry& r = read.uvMaps[m].entries[e];
            const LwoUv& b = built.uvMaps[m].entries[e];
            ASSERT_TRUE(r.point == b.point && r.u == b.u && r.v == b.v) << name << " uv " << e;
        }
    }
}

void expectSameSurface(const std::string& name, const LwoSurface& built, const Surface& read) {
    EXPECT_EQ(read.name, built.name) << name;
    EXPECT_EQ(read.color[0], built.color.x) << name << " " << built.name;
    EXPECT_EQ(read.color[1], built.color.y) << name << " " << built.name;
    EXPECT_EQ(read.color[2], built.color.z) << name << " " << built.name;
    EXPECT_EQ(read.diffuse, built.diffuse) << name << " " << built.name;
    EXPECT_EQ(read.luminosity, built.luminosity) << name << " " << built.name;
    EXPECT_EQ(read.specular, built.specular) << name << " " << built.name;
    EXPECT_EQ(read.smoothingAngle, built.smoothingAngle) << name << " " << built.name;
    EXPECT_EQ(read.doubleSided, built.doubleSided) << name << " " << built.name;
    ASSERT_EQ(read.blocks.size(), built.blocks.size()) << name << " " << built.name;
    for (size_t b = 0; b < built.blocks.size(); ++b) {
        EXPECT_EQ(read.blocks[b].projection, int(built.blocks[b].projection)) << name;
        EXPECT_EQ(read.blocks[b].axis, built.blocks[b].axis) << name;
        EXPECT_EQ(read.blocks[b].image, built.blocks[b].image) << name;
        if (built.blocks[b].projection == LwoProjection::UV) {
            EXPECT_EQ(read.blocks[b].uvMapName, built.blocks[b].uvMap) << name;
        }
    }
}

}  // namespace

void expectReadsAsBuilt(const std::string& name, const LwoObject& built,
                        const std::vector<uint8_t>& bytes, Mesh* mesh) {
    // The program ignores the FORM's length and type; other LightWave readers do not.
    ASSERT_GE(bytes.size(), 12u) << name;
    const uint32_t formLength =
        uint32_t(bytes[4]) << 24 | uint32_t(bytes[5]) << 16 | uint32_t(bytes[6]) << 8 | bytes[7];
    EXPECT_EQ(formLength + 8, bytes.size()) << name;
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "LWO2") << name;

    std::string problem;
    ASSERT_EQ(mesh->read(bytes.data(), bytes.size(), &problem), LwoStatus::Ok)
        << name << ": " << problem;
    for (size_t l = 0; l < built.layers.size(); ++l) {
        const MeshLayer* layer = mesh->layer(int(l));
        ASSERT_NE(layer, nullptr) << name << " layer " << l;
        expectSameLayer(name, built.layers[l], *layer);
    }
    EXPECT_EQ(mesh->layer(int(built.layers.size())), nullptr) << name;

    ASSERT_EQ(mesh->surfaces.size(), built.surfaces.size()) << name;
    for (size_t s = 0; s < built.surfaces.size(); ++s)
        expectSameSurface(name, built.surfaces[s], mesh->surfaces[s]);
    // The program takes a tag as the number of a surface, other tools look its name up: the
    // two agree only when the tags name the surfaces in their order.
    ASSERT_EQ(mesh->tags.size(), built.surfaces.size()) << name;
    for (size_t s = 0; s < built.surfaces.size(); ++s)
        EXPECT_EQ(mesh->tags[s], built.surfaces[s].name) << name;

    ASSERT_EQ(mesh->clips.size(), built.clips.size()) << name;
    for (size_t c = 0; c < built.clips.size(); ++c) {
        const std::string& path = built.clips[c].path;
        EXPECT_EQ(mesh->clips[c].index, built.clips[c].index) << name;
        EXPECT_EQ(mesh->clips[c].path, "textures\\" + path.substr(path.find_last_of("/:") + 1))
            << name;
    }
}
