// data.rar as the build packs it, read through the program's own archive and object readers:
// every name the parts ask for stored where the loads find it, pictures the way the parts
// draw them, objects and scenes exactly as the generator made them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "archive/archive.h"
#include "mesh/mesh.h"
#include "tools/assetgen/catalog.h"
#include "tools/assetgen/lwo2_writer.h"

namespace {

std::map<std::string, ArchiveEntryInfo> stored() {
    std::map<std::string, ArchiveEntryInfo> entries;
    ArchiveEntryInfo* head = nullptr;
    Archive::listEntries(PALISADE_DATA_ARCHIVE, &head);
    for (ArchiveEntryInfo* e = head; e; e = e->next) entries[e->name] = *e;
    Archive::freeEntryList(head);
    return entries;
}

std::vector<uint8_t> entry(const std::string& name) {
    unsigned char* buffer = nullptr;
    size_t size = 0;
    std::vector<uint8_t> data;
    if (Archive::getEntry(&buffer, &size, name.c_str(), PALISADE_DATA_ARCHIVE, "")) {
        data.assign(buffer, buffer + size);
        std::free(buffer);
    }
    return data;
}

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

TEST(DataArchive, HoldsTheCatalogueAndEveryNameThePartsAskFor) {
    const std::map<std::string, ArchiveEntryInfo> entries = stored();
    std::set<std::string> made = {splashAsset().storedName};
    for (const TextureAsset& t : allTextures()) made.insert(t.storedName);
    for (const ObjectAsset& o : allObjects()) made.insert(o.storedName);
    for (const SceneAsset& s : allScenes()) made.insert(s.storedName);
    std::set<std::string> packed;
    for (const auto& [name, e] : entries)
        if (name.substr(name.size() - 3) != ".xm") packed.insert(name);  // all but the music
    EXPECT_EQ(packed, made);

    // The start-up loads "textures\" and "lwos\" entries ending in "lwo", both compared as
    // stored; the parts then ask by name, letter case ignored.
    const std::regex quoted(R"re("((textures|lwos)\\\\[^"]+|[a-z]+\.lws)")re");
    int asked = 0;
    for (const char* folder : {"demo", "effects"})
        for (const auto& file : std::filesystem::recursive_directory_iterator(
                 PALISADE_SOURCE_DIR "/" + std::string(folder))) {
            std::ifstream in(file.path());
            const std::string text((std::istreambuf_iterator<char>(in)), {});
            for (std::sregex_iterator m(text.begin(), text.end(), quoted), end; m != end; ++m) {
                const std::string name = std::regex_replace(m->str(1), std::regex(R"(\\\\)"), "\\");
                ++asked;
                auto found = std::find_if(entries.begin(), entries.end(), [&](const auto& e) {
                    return lower(e.first) == lower(name);
                });
                ASSERT_NE(found, entries.end()) << name << " in " << file.path();
                const std::string& s = found->first;
                if (startsWith(name, "lwos\\")) {
                    EXPECT_TRUE(startsWith(s, "lwos\\") && s.substr(s.size() - 3) == "lwo") << s;
                } else if (startsWith(name, "textures\\")) {
                    EXPECT_TRUE(startsWith(s, "textures\\")) << s;
                }
            }
        }
    EXPECT_GT(asked, 40);
}

bool isPowerOfTwo(int v) {
    return v > 0 && (v & (v - 1)) == 0;
}

// How much a picture jumps across its own opposite edges, against the mean jump between
// neighbouring columns (or rows) inside it; premultiplied, so clear texels count as clear.
double edgeJump(const Image& img, bool acrossColumns) {
    const int n = acrossColumns ? img.width() : img.height();
    const int m = acrossColumns ? img.height() : img.width();
    auto diff = [&](int a, int b) {
        double d = 0;
        for (int j = 0; j < m; ++j) {
            const Color p = acrossColumns ? img.at(a, j) : img.at(j, a);
            const Color q = acrossColumns ? img.at(b, j) : img.at(j, b);
            d += std::fabs(p.r * p.a - q.r * q.a) + std::fabs(p.g * p.a - q.g * q.a) +
                 std::fabs(p.b * p.a - q.b * q.a) + std::fabs(p.a - q.a);
        }
        return d;
    };
    double inside = 0;
    for (int i = 0; i + 1 < n; ++i) inside += diff(i, i + 1);
    return diff(n - 1, 0) / std::fmax(inside / (n - 1), 1e-6);
}

TEST(DataArchive, PicturesDecodeAsThePartsUseThem) {
    // Drawn blended over the picture, with the most their clearest texel may cover: clear
    // and solid parts both, and a veil of grain over every frame.
    const std::map<std::string, float> blended = {
        {"textures\\title.png", 0.05f},       {"textures\\credits.png", 0.05f},
        {"textures\\end.PNG", 0.05f},         {"textures\\heart.png", 0.05f},
        {"textures\\commdesign1.png", 0.05f}, {"textures\\yellowstar.png", 0.05f},
        {"textures\\sky.png", 0.05f},         {"textures\\greet.png", 0.05f},
        {"textures\\noise.png", 0.5f}};
    // Repeated across the screen: 1 joins left to right, 2 top to bottom, 3 both.
    const std::map<std::string, int> tiled = {{"textures\\bluesky.jpg", 3},
                                              {"textures\\skymap.png", 3},
                                              {"textures\\noise.png", 3},
                                              {"textures\\design-clogo-bar.png", 1},
                                              {"textures\\design-work-scroller.jpg", 1},
                                              {"textures\\commdesign1.png", 2},
                                              {"textures\\heart.png", 2}};
    std::vector<TextureAsset> all = allTextures();
    all.push_back(splashAsset());
    for (const TextureAsset& t : all) {
        const std::vector<uint8_t> data = entry(t.storedName);
        Image img;
        ASSERT_TRUE(loadImageFromMemory(data.data(), data.size(), img)) << t.storedName;
        EXPECT_EQ(img.width(), t.width) << t.storedName;
        EXPECT_EQ(img.height(), t.height) << t.storedName;
        EXPECT_TRUE(isPowerOfTwo(img.width()) && isPowerOfTwo(img.height())) << t.storedName;
        float lo = 1, hi = 0;
        for (const Color& c : img.pixels()) lo = std::fmin(lo, c.a), hi = std::fmax(hi, c.a);
        if (blended.count(t.storedName)) {
            EXPECT_TRUE(lo < blended.at(t.storedName) && hi > 0.6f)
                << t.storedName << " alpha " << lo << ".." << hi;
        } else {
            EXPECT_EQ(lo, 1.0f) << t.storedName;
        }
        const int edges = tiled.count(t.storedName) ? tiled.at(t.storedName) : 0;
        if (edges & 1) {
            EXPECT_LT(edgeJump(img, true), 2.0) << t.storedName;
        }
        if (edges & 2) {
            EXPECT_LT(edgeJump(img, false), 2.0) << t.storedName;
        }
    }
}

bool same(const Vec3& p, const Vector3& q) {
    return p.x == q.x && p.y == q.y && p.z == q.z;
}
// Drawn last corner first, (b, c, a), which is the model's own turn.
bool same(const LwoTriangle& t, const MeshPolygon& q) {
    return q.points[2] == t.b && q.points[1] == t.c && q.points[0] == t.a && q.surface == t.surface;
}
bool same(const LwoUv& x, const UVEntry& y) {
    return x.point == y.point && x.u == y.u && x.v == y.v;
}
template <typename Built, typename Read>
bool agree(const Built& built, const Read& read) {
    return std::equal(built.begin(), built.end(), read.begin(), read.end(),
                      [](const auto& b, const auto& r) { return same(b, r); });
}

// The program reads every object back exactly as it was built: the file's mirror in z and
// its reversed corners undone, surfaces, blocks, UV maps and clips in their order.
TEST(DataArchive, ObjectsReadBackAsBuilt) {
    const std::map<std::string, ArchiveEntryInfo> entries = stored();
    for (const ObjectAsset& a : allObjects()) {
        SCOPED_TRACE(a.storedName);
        const LwoObject built = a.make();
        const std::vector<uint8_t> bytes = entry(a.storedName);
        EXPECT_EQ(bytes, writeLwo2(built, nullptr));
        // The program ignores the FORM's length; other LightWave readers do not.
        ASSERT_GE(bytes.size(), 12u);
        EXPECT_EQ(uint32_t(bytes[4] << 24 | bytes[5] << 16 | bytes[6] << 8 | bytes[7]) + 8,
                  bytes.size());
        Mesh mesh;
        std::string problem;
        ASSERT_EQ(mesh.read(bytes.data(), bytes.size(), &problem), LwoStatus::Ok) << problem;
        EXPECT_EQ(mesh.layer(int(built.layers.size())), nullptr);
        for (size_t l = 0; l < built.layers.size(); ++l) {
            const LwoLayer& b = built.layers[l];
            const MeshLayer* r = mesh.layer(int(l));
            ASSERT_NE(r, nullptr);
            EXPECT_TRUE(agree(b.points, r->points)) << "points of layer " << l;
            EXPECT_TRUE(agree(b.triangles, r->polygons)) << "triangles of layer " << l;
            ASSERT_EQ(r->uvMaps.size(), b.uvMaps.size());
            for (size_t m = 0; m < b.uvMaps.size(); ++m) {
                EXPECT_EQ(r->uvMaps[m].name, b.uvMaps[m].name);
                EXPECT_TRUE(agree(b.uvMaps[m].entries, r->uvMaps[m].entries)) << "UV map " << m;
            }
        }
        // A tag is taken as the number of a surface: the tags must name them in their order.
        ASSERT_EQ(mesh.surfaces.size(), built.surfaces.size());
        ASSERT_EQ(mesh.tags.size(), built.surfaces.size());
        for (size_t s = 0; s < built.surfaces.size(); ++s) {
            const LwoSurface& b = built.surfaces[s];
            const Surface& r = mesh.surfaces[s];
            EXPECT_EQ(mesh.tags[s], b.name);
            EXPECT_EQ(r.name, b.name);
            EXPECT_EQ(std::vector<float>(r.color, r.color + 3),
                      (std::vector<float>{b.color.x, b.color.y, b.color.z}));
            EXPECT_EQ((std::vector<float>{r.diffuse, r.luminosity, r.specular, r.smoothingAngle}),
                      (std::vector<float>{b.diffuse, b.luminosity, b.specular, b.smoothingAngle}));
            EXPECT_EQ(r.doubleSided, b.doubleSided);
            ASSERT_EQ(r.blocks.size(), b.blocks.size());
            for (size_t k = 0; k < b.blocks.size(); ++k) {
                EXPECT_EQ(r.blocks[k].projection, int(b.blocks[k].projection));
                EXPECT_EQ(r.blocks[k].axis, b.blocks[k].axis);
                EXPECT_EQ(r.blocks[k].image, b.blocks[k].image);
                if (b.blocks[k].projection == LwoProjection::UV) {
                    EXPECT_EQ(r.blocks[k].uvMapName, b.blocks[k].uvMap);
                }
            }
        }
        // The images the objects wear are looked for under textures\ of the same archive.
        ASSERT_EQ(mesh.clips.size(), built.clips.size());
        for (size_t c = 0; c < built.clips.size(); ++c) {
            EXPECT_EQ(mesh.clips[c].index, built.clips[c].index);
            EXPECT_EQ(entries.count(mesh.clips[c].path), 1u) << mesh.clips[c].path;
        }
    }
}

TEST(DataArchive, ScenesAreStoredAsMade) {
    for (const SceneAsset& s : allScenes()) {
        const std::vector<uint8_t> data = entry(s.storedName);
        EXPECT_EQ(std::string(data.begin(), data.end()), s.make()) << s.storedName;
    }
}

}  // namespace
