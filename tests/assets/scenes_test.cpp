// The scenes, read the way the engine's scene reader walks them: the header at fixed lines,
// fourteen keywords, one motion block of nine channels after every item.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "tools/assetgen/catalog.h"

namespace {

struct Key {
    float value, time;
    int shape;
};
struct Channel {
    std::vector<Key> keys;
    int pre = -1, post = -1;
};
struct Item {
    int type;  // 1 object layer, 2 light, 3 camera, 5 null
    std::string name;
    int layer = 0;
    unsigned id = 0, parent = 1;
    float lookAhead = 0;
    std::vector<unsigned> excluded;
};
struct Scene {
    int firstFrame = -1, lastFrame = -1, fps = -1;
    std::vector<Item> items;
    std::vector<std::vector<Channel>> envelopes;
};

bool parse(const std::string& text, Scene& s, std::string& error) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    if (lines.size() < 11) return error = "short header", false;
    if (std::sscanf(lines[3].c_str(), "FirstFrame %d", &s.firstFrame) != 1 ||
        std::sscanf(lines[4].c_str(), "LastFrame %d", &s.lastFrame) != 1 ||
        std::sscanf(lines[10].c_str(), "FramesPerSecond %d", &s.fps) != 1)
        return error = "header lines out of place", false;
    unsigned objects = 0, lights = 0, cameras = 0;
    size_t i = 11;
    auto next = [&](std::string& line) {
        if (i >= lines.size()) return false;
        line = lines[i++];
        return true;
    };
    auto readMotion = [&]() {
        std::string line;
        int channels = 0;
        if (!next(line) || std::sscanf(line.c_str(), "NumChannels %d", &channels) != 1)
            return error = "NumChannels", false;
        std::vector<Channel> env(channels);
        for (Channel& c : env) {
            int keys = 0;
            std::string a, b, count;
            if (!next(a) || !next(b) || !next(count) ||
                std::sscanf(count.c_str(), "%d", &keys) != 1)
                return error = "channel head", false;
            for (int k = 0; k < keys; ++k) {
                Key key;
                float p[6];
                if (!next(line) || std::sscanf(line.c_str(), "  Key %f %f %d %f %f %f %f %f %f",
                                               &key.value, &key.time, &key.shape, &p[0], &p[1],
                                               &p[2], &p[3], &p[4], &p[5]) != 9)
                    return error = "key: " + line, false;
                c.keys.push_back(key);
            }
            if (!next(line) || std::sscanf(line.c_str(), "  Behaviors %d %d", &c.pre, &c.post) != 2)
                return error = "behaviors: " + line, false;
            if (!next(line) || line != "}") return error = "closing brace", false;
        }
        s.envelopes.push_back(env);
        return true;
    };
    std::string line;
    char word[1024], path[1024];
    while (next(line)) {
        if (std::sscanf(line.c_str(), "%1023s", word) != 1) continue;
        std::string w = word;
        Item* last = s.items.empty() ? nullptr : &s.items.back();
        if (w == "AddNullObject") {
            Item it{5, "", 0, 0x10000000u + objects++, 1, 0, {}};
            std::sscanf(line.c_str(), "AddNullObject %1023s", path);
            it.name = path;
            s.items.push_back(it);
        } else if (w == "LoadObjectLayer") {
            Item it{1, "", 0, 0x10000000u + objects++, 1, 0, {}};
            if (std::sscanf(line.c_str(), "LoadObjectLayer %d %1023s", &it.layer, path) != 2)
                return error = line, false;
            std::string p = path;
            size_t cut = p.find_last_of("/:");
            it.name = "lwos\\" + (cut == std::string::npos ? p : p.substr(cut + 1));
            it.layer -= 1;
            s.items.push_back(it);
        } else if (w == "AddLight") {
            s.items.push_back(Item{2, "", 0, 0x20000000u + lights++, 1, 0, {}});
        } else if (w == "AddCamera") {
            s.items.push_back(Item{3, "", 0, 0x30000000u + cameras++, 1, 0, {}});
        } else if (w == "ObjectMotion" || w == "LightMotion" || w == "CameraMotion") {
            if (!readMotion()) return false;
        } else if (!last) {
            continue;
        } else if (w == "ParentItem") {
            std::sscanf(line.c_str(), "ParentItem %8X", &last->parent);
        } else if (w == "PathAlignLookAhead") {
            std::sscanf(line.c_str(), "PathAlignLookAhead %f", &last->lookAhead);
        } else if (w == "ExcludeLight") {
            unsigned id;
            if (std::sscanf(line.c_str(), "ExcludeLight %8X", &id) == 1)
                last->excluded.push_back(id);
        } else if (w == "LightName" || w == "CameraName") {
            std::sscanf(line.c_str(), "%*s %1023s", path);
            last->name = path;
        }
    }
    return true;
}

std::map<std::string, Scene> parsedScenes() {
    std::map<std::string, Scene> all;
    for (const SceneAsset& a : allScenes()) {
        std::string error;
        Scene s;
        EXPECT_TRUE(parse(a.make(), s, error)) << a.storedName << ": " << error;
        all[a.storedName] = s;
    }
    return all;
}

const std::map<std::string, Scene>& scenes() {
    static const std::map<std::string, Scene> all = parsedScenes();
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
            for (const Channel& c : env) {
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
            for (const Channel& c : env)
                for (const Key& k : c.keys) shapes.insert(k.shape);
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
        for (const Item& it : s.items) {
            ids.insert(it.id);
            if (it.type == 2) lights.insert(it.id);
            cameras += it.type == 3;
        }
        EXPECT_EQ(cameras, 1) << name;
        EXPECT_GE(lights.size(), 2u) << name;
        bool aligned = false;
        for (const Item& it : s.items) {
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
        for (const Item& it : s.items) parentOf[it.id] = it.parent;
        for (const Item& it : s.items) {
            unsigned id = it.id;
            int steps = 0;
            while (id != 1 && steps++ < 64) id = parentOf.count(id) ? parentOf[id] : 1;
            EXPECT_EQ(id, 1u) << name << ": " << it.name;
        }
    }
}

}  // namespace
