// The scenes as the program's own scene reader takes them: nothing refused, every item where
// the effects expect it, moving on its own envelope.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "scene/scene.h"
#include "tools/assetgen/catalog.h"

namespace {

// The scenes as the effects load them; anything the reader refuses fails the test. A name
// that is not there throws, which fails the test too.
const Scene& scene(const std::string& storedName) {
    static std::map<std::string, Scene> read;
    if (read.empty())
        for (const SceneAsset& a : allScenes()) {
            const std::string text = a.make();
            std::vector<std::string> problems;
            read[a.storedName].read(a.storedName.c_str(), text.c_str(), text.size(), &problems);
            for (const std::string& p : problems) ADD_FAILURE() << p;
        }
    return read.at(storedName);
}

const SceneItem& named(const Scene& s, const std::string& name) {
    for (const SceneItem& it : s.items)
        if (it.name == name) return it;
    throw std::out_of_range("no item " + name);
}

// Each item as "<type> <name> <parent's name> [excluded light names] [~ when path-aligned]",
// counted.
std::map<std::string, int> layout(const Scene& s) {
    std::map<std::string, int> items;
    for (const SceneItem& it : s.items) {
        std::string key = std::to_string(it.type) + " " + it.name + " <";
        for (const SceneItem& parent : s.items)
            if (parent.id == it.parentId) key += parent.name;
        for (size_t l = 0; l < s.lights.size(); ++l)
            if (it.excludes(l)) key += " -" + s.items[s.lights[l]].name;
        if (it.pathLookAhead > 0) key += " ~";
        ++items[key];
        EXPECT_TRUE(it.inTree) << it.name;
        EXPECT_EQ(s.envelopes.at(it.envelope).channelCount(), 9) << it.name;
    }
    return items;
}

TEST(Scenes, HoldTheirItemsInPlace) {
    // 1 object layer, 2 light, 3 camera, 5 null.
    const std::map<std::string, int> crans = {
        {"2 Key <", 1},
        {"2 Fill <", 1},
        {"2 Rim <", 1},
        {"3 Camera <", 1},
        {"5 Wreath <", 1},
        {"1 lwos\\star.lwo <Wreath", 8},
        {"1 lwos\\star.lwo <Wreath -Rim", 4},  // every third star
        {"1 lwos\\c-logo.lwo <", 1},
        {"1 lwos\\arrow.lwo < ~", 4}};
    EXPECT_EQ(layout(scene("cransscene.lws")), crans);
    std::map<std::string, int> tunnel = {
        {"2 Head <", 1}, {"2 Side <", 1}, {"3 Camera <", 1}, {"1 lwos\\arrow.lwo < -Side ~", 1}};
    for (int r = 0; r < 8; ++r) {
        tunnel["5 Ring" + std::to_string(r) + " <"] = 1;
        tunnel["1 lwos\\cube-s.lwo <Ring" + std::to_string(r)] = 5;
    }
    EXPECT_EQ(layout(scene("tunnel.lws")), tunnel);

    for (const char* name : {"cransscene.lws", "tunnel.lws"}) {
        EXPECT_EQ(scene(name).firstFrame, 1);
        EXPECT_EQ(scene(name).framesPerSecond, 30);
        for (const SceneItem& it : scene(name).items) EXPECT_EQ(it.layer, 0) << it.name;
    }
}

TEST(Scenes, ItemsMoveOnTheirOwnEnvelopes) {
    const Scene& tunnel = scene("tunnel.lws");
    // The reader mirrors the file's z. The camera flies 160 units down the axis in 12 s, then
    // again: 18 s is 6 s into the second flight, 80; its sideways swing is back at 0.
    const ItemMotion camera = tunnel.motion(named(tunnel, "Camera"), 18.0f);
    EXPECT_NEAR(camera.position.z, 80.0f, 1e-3);
    EXPECT_NEAR(camera.position.x, 0.0f, 1e-4);
    EXPECT_EQ(camera.scale.z, 1.0f);  // unkeyed channels hold their still values
    // Ring r stands 20 r + 20 down the axis and throbs on stepped keys: scale 1, then 1.25
    // from 0.85 of its period of 1 + r / 8 s on (1.169 s for ring 3), then 1 again.
    const SceneItem& ring = named(tunnel, "Ring3");
    EXPECT_EQ(tunnel.motion(ring, 0.5f).position.z, -80.0f);
    EXPECT_EQ(tunnel.motion(ring, 0.5f).scale.x, 1.0f);
    EXPECT_EQ(tunnel.motion(ring, 1.3f).scale.y, 1.25f);
    EXPECT_EQ(tunnel.motion(ring, 1.4f).scale.z, 1.0f);
    const Scene& crans = scene("cransscene.lws");
    // The wreath turns a quarter radian a second for ever: 2.5 after 10 s. The logo stands up
    // (a quarter turn, mirrored with z) at 2.6 times its size.
    EXPECT_NEAR(crans.motion(named(crans, "Wreath"), 10.0f).bank, 2.5f, 1e-4);
    const ItemMotion logo = crans.motion(named(crans, "lwos\\c-logo.lwo"), 7.0f);
    EXPECT_NEAR(logo.pitch, 1.5707963f, 1e-6);
    EXPECT_FLOAT_EQ(logo.scale.x, 2.6f);
}

}  // namespace
