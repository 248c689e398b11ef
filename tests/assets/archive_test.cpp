// The data archive the build packs: every stored name present exactly as the parts ask for
// it, compressed, and every entry readable by the engine's archive reader as what it is.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "archive/archive.h"
#include "tests/assets/object_check.h"
#include "tests/assets/scene_check.h"
#include "tools/assetgen/catalog.h"

namespace {

struct Entry {
    uint32_t size;
    uint8_t method;
};

std::map<std::string, Entry> listArchive() {
    std::map<std::string, Entry> entries;
    ArchiveEntryInfo* head = nullptr;
    Archive::listEntries(PALISADE_DATA_ARCHIVE, &head);
    for (ArchiveEntryInfo* e = head; e; e = e->next)
        entries[e->name] = {e->unpackedSize, e->method};
    Archive::freeEntryList(head);
    return entries;
}

std::vector<uint8_t> readEntry(const std::string& name) {
    unsigned char* buffer = nullptr;
    size_t size = 0;
    std::vector<uint8_t> data;
    if (Archive::getEntry(&buffer, &size, name.c_str(), PALISADE_DATA_ARCHIVE, "")) {
        data.assign(buffer, buffer + size);
        std::free(buffer);
    }
    return data;
}

TEST(DataArchive, HoldsEveryStoredNameExactly) {
    std::map<std::string, Entry> entries = listArchive();
    ASSERT_FALSE(entries.empty()) << PALISADE_DATA_ARCHIVE;
    std::set<std::string> wanted;
    for (const TextureAsset& t : allTextures()) wanted.insert(t.storedName);
    for (const ObjectAsset& o : allObjects()) wanted.insert(o.storedName);
    for (const SceneAsset& s : allScenes()) wanted.insert(s.storedName);
    wanted.insert(splashAsset().storedName);
    // The loads compare the directory prefix case-sensitively: names must be stored as given.
    for (const std::string& name : wanted) EXPECT_EQ(entries.count(name), 1u) << name;
    for (const auto& [name, e] : entries)
        if (name.rfind("textures\\", 0) == 0 || name.rfind("lwos\\", 0) == 0) {
            EXPECT_EQ(wanted.count(name), 1u) << "unexpected entry " << name;
        }
}

TEST(DataArchive, CompressesWhatPacks) {
    for (const auto& [name, e] : listArchive())
        if (name.size() > 4 &&
            (name.substr(name.size() - 4) == ".lwo" || name.substr(name.size() - 4) == ".lws")) {
            EXPECT_NE(e.method, '0') << name;
        }
}

TEST(DataArchive, TexturesDecodeToTheirSizes) {
    std::vector<TextureAsset> all = allTextures();
    all.push_back(splashAsset());
    for (const TextureAsset& t : all) {
        std::vector<uint8_t> data = readEntry(t.storedName);
        ASSERT_FALSE(data.empty()) << t.storedName;
        Image img;
        ASSERT_TRUE(loadImageFromMemory(data.data(), data.size(), img)) << t.storedName;
        EXPECT_EQ(img.width(), t.width) << t.storedName;
        EXPECT_EQ(img.height(), t.height) << t.storedName;
    }
}

TEST(DataArchive, ObjectsAndScenesRead) {
    const std::map<std::string, Entry> entries = listArchive();
    for (const ObjectAsset& o : allObjects()) {
        Mesh mesh;
        expectReadsAsBuilt(o.storedName, o.make(), readEntry(o.storedName), &mesh);
        // The image an object names is looked for under textures\ of the same archive.
        for (const ImageClip& clip : mesh.clips)
            EXPECT_EQ(entries.count(clip.path), 1u) << clip.path;
    }
    for (const SceneAsset& s : allScenes()) {
        std::vector<uint8_t> data = readEntry(s.storedName);
        SceneText scene;
        std::string error;
        EXPECT_TRUE(parseScene(std::string(data.begin(), data.end()), scene, error))
            << s.storedName << ": " << error;
        EXPECT_FALSE(scene.items.empty()) << s.storedName;
    }
}

}  // namespace
