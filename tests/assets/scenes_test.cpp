// The scenes, read the way the engine's scene reader walks them: the header at fixed lines,
// fourteen keywords, one motion block of nine channels after every item.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "tests/assets/scene_check.h"
#include "tools/assetgen/catalog.h"

namespace {

std::map<std::string, SceneText> parsedScenes() {
    std::map<std::string, SceneText> all;
    for (const SceneAsset& a : allScenes()) {
        std::string error;
        SceneText s;
        EXPECT_TRUE(parseScene(a.make(), s, error)) << a.storedName << ": " << error;
        all[a.storedName] = s;
    }
    return all;
}

const std::map<std::string, SceneText>& scenes() {
    static const std::map<std::string, SceneText> all = parsedScenes();
    return all;
}

TEST(Scenes, BothScenesParseWithTheirHeader) {
    ASSERT_EQ(scenes().count("cransscene.lws"), 1u);
    ASSERT_EQ(scenes().count("tunnel.lws"), 1u);
    for (const auto& [name, s] : scenes()) {
        EXPECT_EQ(s.firstFrame, 1) << name;
        EXPECT_GT(s.lastFrame, s.firstFrame) << name;
        EXPECT_EQ(s.fps, 30) << name;
    }
}

// Item i moves by envelope i: every item has its block, and all of them nine channels.
TEST(Scenes, EveryItemHasItsNineChannelMotion) {
    for (const auto& [name, s] : scenes()) {
        ASSERT_EQ(s.items.size(), s.envelopes.size()) << name;
        EXPECT_LE(s.items.size(), 64u) << name;
        for (const auto& env : s.envelopes) {
            ASSERT_EQ(env.size(), 9u) << name;
            for (const SceneChannel& c : env) {
                ASSERT_FALSE(c.keys.empty()) << name;
                for (size_t k = 1; k < c.keys.size(); ++k)
                    EXPECT_GT(c.keys[k].time, c.keys[k - 1].time) << name;
                EXPECT_GE(c.pre, 0);
                EXPECT_LE(c.post, 4);
            }
        }
    }
}

TEST(Scenes, UseTcbLinearAndSteppedKeys) {
    for (const auto& [name, s] : scenes()) {
        std::set<int> shapes;
        for (const auto& env : s.envelopes)
            for (const SceneChannel& c : env)
                for (const SceneKey& k : c.keys) shapes.insert(k.shape);
        EXPECT_TRUE(shapes.count(0) && shapes.count(3) && shapes.count(4)) << name;
        for (int shape : shapes) EXPECT_TRUE(shape == 0 || shape == 3 || shape == 4) << name;
    }
}

TEST(Scenes, ObjectsExistAndLinksResolve) {
    std::map<std::string, size_t> layers;
    for (const ObjectAsset& o : allObjects()) layers[o.storedName] = o.make().layers.size();
    for (const auto& [name, s] : scenes()) {
        std::set<unsigned> ids = {1}, lights;
        int cameras = 0;
        for (const SceneItemText& it : s.items) {
            ids.insert(it.id);
            if (it.type == 2) lights.insert(it.id);
            cameras += it.type == 3;
        }
        EXPECT_EQ(cameras, 1) << name;
        EXPECT_GE(lights.size(), 2u) << name;
        bool aligned = false;
        for (const SceneItemText& it : s.items) {
            if (it.type == 1) {
                ASSERT_EQ(layers.count(it.name), 1u) << name << ": " << it.name;
                EXPECT_LT(size_t(it.layer), layers[it.name]) << name << ": " << it.name;
            }
            EXPECT_EQ(ids.count(it.parent), 1u) << name << ": parent of " << it.name;
            EXPECT_NE(it.parent, it.id);
            for (unsigned l : it.excluded) EXPECT_EQ(lights.count(l), 1u) << name;
            aligned = aligned || it.lookAhead > 0;
        }
        EXPECT_TRUE(aligned) << name << " has no path-aligned item";
    }
}

// Parents must come round to the root: a cycle would never end the tree building.
TEST(Scenes, ParentChainsEndAtTheRoot) {
    for (const auto& [name, s] : scenes()) {
        std::map<unsigned, unsigned> parentOf;
        for (const SceneItemText& it : s.items) parentOf[it.id] = it.parent;
        for (const SceneItemText& it : s.items) {
            unsigned id = it.id;
            int steps = 0;
            while (id != 1 && steps++ < 64) id = parentOf.count(id) ? parentOf[id] : 1;
            EXPECT_EQ(id, 1u) << name << ": " << it.name;
        }
    }
}

}  // namespace
