#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "archive/archive.h"
#include "scene/scene.h"
#include "tests/scene/scene_text.h"
#include "tests/support/test_support.h"

namespace {

using lws::header;

std::vector<std::string> readScene(Scene& scene, const std::string& text) {
    std::vector<std::string> problems;
    scene.read("test.lws", text.data(), text.size(), &problems);
    return problems;
}

TEST(SceneReader, ReadsItemsParentsLightsAndCamera) {
    const std::string text =
        header() + "LoadObjectLayer 2 Objects/Ship.lwo\nShowObject 6 2\n" +
        lws::still("ObjectMotion", 1, 2, 3) + "ExcludeLight 20000001\nShadowOptions 7\n\n" +
        lws::null("Pivot") + "ParentItem 10000000\nPathAlignLookAhead 0.25\n\n" +
        "LoadObjectLayer 1 C:Big Ship.lwo\n" + lws::still("ObjectMotion") + "\n" +
        lws::light("Key") + "LightType 2\n\n" + "AddLight\nLightName Fill\n" +
        lws::still("LightMotion") + "LightColor 0.5 0.25 1\nParentItem 10000001\n\n" +
        lws::camera(0, 0, -10);
    Scene scene;
    EXPECT_TRUE(readScene(scene, text).empty());
    EXPECT_EQ(scene.firstFrame, 1);
    EXPECT_EQ(scene.lastFrame, 60);
    EXPECT_EQ(scene.framesPerSecond, 30);
    ASSERT_EQ(scene.items.size(), 6u);
    EXPECT_EQ(scene.envelopes.size(), 6u);

    const SceneItem& ship = scene.items[0];
    EXPECT_EQ(ship.name, "lwos\\Ship.lwo");  // letter case kept; the library ignores it
    EXPECT_EQ(ship.type, kItemObject);
    EXPECT_EQ(ship.layer, 1);
    EXPECT_EQ(ship.id, 0x10000000u);
    EXPECT_TRUE(ship.excludes(1));
    EXPECT_FALSE(ship.excludes(0));
    EXPECT_EQ(scene.items[1].type, kItemNull);
    EXPECT_EQ(scene.items[1].parentId, 0x10000000u);
    EXPECT_FLOAT_EQ(scene.items[1].pathLookAhead, 0.25f);
    EXPECT_EQ(scene.items[2].name, "lwos\\Big");  // one word, after the drive
    EXPECT_EQ(scene.items[2].id, 0x10000002u);

    ASSERT_EQ(scene.lights.size(), 2u);
    const SceneItem& fill = scene.items[scene.lights[1]];
    EXPECT_EQ(fill.name, "Fill");
    EXPECT_EQ(fill.id, 0x20000001u);
    EXPECT_FLOAT_EQ(fill.lightColor[1], 0.25f);
    EXPECT_EQ(fill.lightColor[3], 1.0f);
    EXPECT_EQ(scene.items[scene.lights[0]].lightType, 2);
    ASSERT_EQ(scene.cameras.size(), 1u);
    EXPECT_EQ(scene.items[scene.cameras[0]].id, 0x30000000u);

    // Root: the ship, the second object, the key light and the camera; the null hangs from
    // the ship and the fill light from the null.
    ASSERT_EQ(scene.nodes[0].children.size(), 4u);
    const SceneNode& shipNode = scene.nodes[scene.nodes[0].children[0]];
    ASSERT_EQ(shipNode.children.size(), 1u);
    const SceneNode& pivotNode = scene.nodes[shipNode.children[0]];
    EXPECT_EQ(scene.items[pivotNode.item].name, "Pivot");
    ASSERT_EQ(pivotNode.children.size(), 1u);
    EXPECT_EQ(scene.items[scene.nodes[pivotNode.children[0]].item].name, "Fill");
    for (const SceneItem& item : scene.items) EXPECT_TRUE(item.inTree) << item.name;

    const ItemMotion m = scene.motion(ship, 0.0f);
    EXPECT_EQ(m.position.x, 1.0f);
    EXPECT_EQ(m.position.z, -3.0f);  // mirrored like the meshes
}

TEST(SceneReader, CarriageReturnsBlankLinesAndALastLineWithoutFeed) {
    std::string text =
        header() + "\n   \n" + lws::null("A") + "\r\n\r\n" + lws::camera() + "AddNullObject Last";
    for (size_t i = text.find('\n', 40); i != std::string::npos; i = text.find('\n', i + 2))
        text.replace(i, 1, "\r\n");
    Scene scene;
    const std::vector<std::string> problems = readScene(scene, text);
    ASSERT_EQ(scene.items.size(), 3u);
    EXPECT_EQ(scene.items[0].name, "A");
    EXPECT_EQ(scene.items[1].envelope, 1);
    EXPECT_EQ(scene.envelopes[1].channelCount(), 9);
    EXPECT_EQ(scene.items[2].name, "Last");
    ASSERT_EQ(problems.size(), 1u);  // the last item has no motion block
}

TEST(SceneReader, HeaderIsReadAtFixedLines) {
    Scene scene;
    readScene(scene, "LWSC\n3\n\n\nFirstFrame 5\nLastFrame 9\n" + lws::camera());
    EXPECT_EQ(scene.firstFrame, 0);  // one line late: read from the wrong lines
    EXPECT_EQ(scene.lastFrame, 0);
}

TEST(SceneReader, ZeroChannelBlockKeepsItemsAndEnvelopesInStep) {
    Scene scene;
    const auto problems = readScene(scene, header() +
                                               "AddNullObject A\nObjectMotion\n"
                                               "NumChannels 0\n" +
                                               lws::null("B", 4) + lws::camera());
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(scene.items.size(), 3u);
    EXPECT_EQ(scene.envelopes[scene.items[1].envelope].channels[0].keys[0].value, 4.0f);
    EXPECT_EQ(scene.motion(scene.items[0], 1.0f).position.x, 0.0f);
}

// Every kind of damage gives one problem naming the scene and its line, and a scene that is
// safe to draw.
TEST(SceneReader, MalformedScenesAreReportedByLine) {
    std::string many;
    for (int i = 0; i < 70; ++i) many += lws::null("N" + std::to_string(i));
    std::string chain = lws::null("C0");
    for (int i = 1; i < 18; ++i) {
        char parent[32];
        std::snprintf(parent, sizeof parent, "ParentItem %08X\n", 0x10000000u + i - 1);
        chain += lws::null("C" + std::to_string(i)) + parent;
    }
    lws::Channel longChannel;
    longChannel.keys.clear();
    for (int k = 0; k < Scene::kMaxKeys + 6; ++k) longChannel.keys.push_back({1.0f, float(k)});
    std::string lights;
    for (int i = 0; i < 9; ++i) lights += lws::light("L" + std::to_string(i));
    const std::string oneChannel = "NumChannels 1\nChannel 0\n{ Envelope\n";

    struct Case {
        const char* what;
        std::string body;     // after the header
        const char* marker;   // start of the line the problem names; "" for the whole scene
        const char* message;  // part of the problem's text
        std::function<void(const Scene&)> check;
    };
    const std::vector<Case> cases = {
        {"field before any item", "ParentItem 10000000\n" + lws::camera(), "ParentItem",
         "ParentItem before any item", nullptr},
        {"line too long", "AddNullObject " + std::string(2000, 'x') + "\n" + lws::camera(),
         "AddNullObject", "longer than 1023",
         [](const Scene& s) { EXPECT_EQ(s.items.size(), 1u); }},
        {"name too long",
         "LoadObjectLayer 1 Objects/" + std::string(125, 'y') + ".lwo\n" +
             lws::still("ObjectMotion") + lws::camera(),
         "LoadObjectLayer", "object name longer than 127",
         [](const Scene& s) { EXPECT_EQ(s.items[0].type, kItemNull); }},
        {"too many items", many + lws::camera(), "AddNullObject N64", "more than 64 items",
         [](const Scene& s) {
             EXPECT_EQ(s.items.size(), 64u);
             EXPECT_EQ(s.envelopes.size(), 64u);
             EXPECT_TRUE(s.cameras.empty());
         }},
        {"too many keys",
         "AddNullObject K\n" + lws::motion("ObjectMotion", {longChannel}) + lws::camera(),
         "  Key 1.000000 1024.000000", "more than 1024 keys",
         [](const Scene& s) { EXPECT_EQ(s.envelopes[0].channels[0].keys.size(), 1024u); }},
        {"exclusion of a light that does not exist",
         lws::null("A") + "ExcludeLight 20000005\n" + lws::light("L") + lws::camera(),
         "ExcludeLight", "names light 5 but the scene has 1 lights",
         [](const Scene& s) { EXPECT_EQ(s.items[0].excludedLights, 0u); }},
        {"exclusion of something else", lws::null("A") + "ExcludeLight 10000000\n" + lws::camera(),
         "ExcludeLight", "is not a light id", nullptr},
        {"exclusion past the flags", lws::null("A") + "ExcludeLight 20000040\n" + lws::camera(),
         "ExcludeLight", "is not a light id", nullptr},
        {"parent cycle",
         lws::null("A") + "ParentItem 10000001\n" + lws::null("B") + "ParentItem 10000000\n" +
             lws::camera(),
         "ParentItem 10000001", "'A' its own ancestor",
         [](const Scene& s) { EXPECT_EQ(s.nodes[0].children.size(), 1u); }},
        {"parent that does not exist", lws::null("A") + "ParentItem 10000007\n" + lws::camera(),
         "ParentItem", "names no item", nullptr},
        {"key count that is not a number",
         "AddNullObject A\nObjectMotion\n" + oneChannel +
             "  many\n  Key 5 0 3 0 0 0 0 0 0\n"
             "  Behaviors 1 1\n}\n" +
             lws::camera(),
         "  many", "is not a number of keys",
         [](const Scene& s) { EXPECT_EQ(s.envelopes[0].channels[0].keys.size(), 1u); }},
        {"fewer keys than counted",
         "AddNullObject A\nObjectMotion\n" + oneChannel +
             "  3\n  Key 5 0 3 0 0 0 0 0 0\n"
             "  Behaviors 1 1\n}\n" +
             lws::camera(),
         "  Behaviors 1 1\n}\nAddCamera", "has 1 of its 3 keys", nullptr},
        {"short envelope",
         "AddNullObject A\n" + lws::motion("ObjectMotion", std::vector<lws::Channel>(3)) +
             lws::camera(),
         "ObjectMotion", "block of 3 channels",
         [](const Scene& s) {
             const ItemMotion m = s.motion(s.items[0], 1.0f);
             EXPECT_EQ(m.heading, 0.0f);
             EXPECT_FALSE(m.scaled);
         }},
        {"seven channels",
         "AddNullObject A\n" + lws::motion("ObjectMotion", std::vector<lws::Channel>(7)) +
             lws::camera(),
         "ObjectMotion", "block of 7 channels",
         [](const Scene& s) { EXPECT_EQ(s.motion(s.items[0], 1.0f).scale.z, 1.0f); }},
        {"negative channel count",
         "AddNullObject A\nObjectMotion\nNumChannels -4\n" + lws::camera(), "NumChannels",
         "negative channel count", nullptr},
        {"item without motion", "AddNullObject A\n" + lws::camera(), "AddNullObject",
         "has no motion block",
         [](const Scene& s) { EXPECT_EQ(s.motion(s.items[0], 2.0f).position.x, 0.0f); }},
        {"no camera", lws::null("A"), "", "no camera", nullptr},
        {"more than eight lights", lights + lws::camera(), "AddLight\nLightName L8",
         "more than 8 lights", nullptr},
        {"light outside the tree", lws::light("Lost") + "ParentItem 10000009\n" + lws::camera(),
         "AddLight", "outside the parent tree", nullptr},
        {"nested too deep", chain + lws::camera(), "ParentItem 1000000F",
         "nested more than 16 levels", [](const Scene& s) { EXPECT_EQ(s.nodes.size(), 18u); }},
        {"motion before any item", lws::still("ObjectMotion") + lws::camera(), "ObjectMotion",
         "before any item", [](const Scene& s) { EXPECT_EQ(s.envelopes.size(), 1u); }},
        {"second motion block", lws::null("A") + lws::still("ObjectMotion", 7) + lws::camera(),
         "ObjectMotion\nNumChannels 9\nChannel 0\n{ Envelope\n  1\n  Key 7", "second motion block",
         [](const Scene& s) { EXPECT_EQ(s.motion(s.items[0], 0).position.x, 0.0f); }},
        {"block cut short by a keyword",
         "AddNullObject A\nObjectMotion\n" + oneChannel + lws::null("B") + lws::camera(),
         "AddNullObject B", "cut short by AddNullObject",
         [](const Scene& s) { EXPECT_EQ(s.items.size(), 3u); }},
        {"text ends in a block", "AddNullObject A\nObjectMotion\n" + oneChannel, "{ Envelope\n",
         "the text ends inside a motion block", nullptr},
        {"keys out of order",
         "AddNullObject A\nObjectMotion\n" + oneChannel +
             "  2\n  Key 0 1 3 0 0 0 0 0 0\n"
             "  Key 5 1 3 0 0 0 0 0 0\n"
             "  Behaviors 1 1\n}\n" +
             lws::camera(),
         "  Key 5", "does not come after", nullptr},
        {"key that is not a number",
         "AddNullObject A\nObjectMotion\n" + oneChannel +
             "  1\n  Key nan 0 3 0 0 0 0 0 0\n"
             "  Behaviors 1 1\n}\n" +
             lws::camera(),
         "  Key nan", "expected Key and nine numbers", nullptr},
        {"layer out of range",
         "LoadObjectLayer 0 a.lwo\n" + lws::still("ObjectMotion") + lws::camera(),
         "LoadObjectLayer", "not between 1 and 256",
         [](const Scene& s) { EXPECT_EQ(s.items[0].type, kItemNull); }},
        {"light colour", lws::light("L") + "LightColor 1 x 1\n" + lws::camera(), "LightColor 1 x",
         "LightColor needs three numbers", nullptr},
    };

    for (const Case& c : cases) {
        const std::string text = header() + c.body;
        Scene scene;
        const std::vector<std::string> problems = readScene(scene, text);
        std::string where = "test.lws: ";
        if (*c.marker) {
            const size_t at = text.find(std::string("\n") + c.marker);
            ASSERT_NE(at, std::string::npos) << c.what;
            const int line = 2 + int(std::count(text.begin(), text.begin() + at, '\n'));
            where = "test.lws:" + std::to_string(line) + ": ";
        }
        bool found = false;
        for (const std::string& p : problems)
            found = found || (p.rfind(where, 0) == 0 && p.find(c.message) != std::string::npos);
        EXPECT_TRUE(found) << c.what << ": wanted '" << where << "..." << c.message << "'"
                           << (problems.empty() ? "; no problems" : "; first: " + problems[0]);
        if (c.check) c.check(scene);
        // Whatever was refused, every item can be moved.
        for (const SceneItem& item : scene.items) {
            const ItemMotion m = scene.motion(item, 1.5f);
            EXPECT_FALSE(std::isnan(m.position.x + m.heading + m.scale.x)) << c.what;
        }
    }
}

TEST(SceneReader, ArbitraryBytesGiveASafeScene) {
    const std::string text = header() + std::string("AddNullObject \0\xff\n", 17) +
                             "ObjectMotion\nNumChannels 99999999999\n" + lws::camera();
    Scene scene;
    readScene(scene, text);
    EXPECT_EQ(scene.items.size(), 1u);  // the text ends at its NUL
    // Text that is no scene at all is said to be none, not read for keywords.
    for (const std::string& notAScene :
         {std::string(), std::string("\x89PNG\r\n\x1a\n") + lws::camera(), lws::camera()}) {
        Scene empty;
        const auto problems = readScene(empty, notAScene);
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_EQ(problems[0],
                  "test.lws:1: not a LightWave scene: the text does not begin with "
                  "LWSC; nothing is drawn");
        EXPECT_EQ(empty.nodes.size(), 1u);
        EXPECT_TRUE(empty.items.empty());
    }
    std::string crlf = header() + lws::camera();  // saved on Windows: LWSC\r is a scene
    for (size_t i = crlf.find('\n'); i != std::string::npos; i = crlf.find('\n', i + 2))
        crlf.replace(i, 1, "\r\n");
    Scene windows;
    EXPECT_TRUE(readScene(windows, crlf).empty());
}

TEST(SceneReader, UnreadableEntryIsReportedAndLeavesAnEmptyScene) {
    testsupport::MessageCapture capture;
    Archive::setDataPath("no-such-archive.rar");
    Scene scene;
    EXPECT_FALSE(scene.load("tunnel.lws"));
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_EQ(capture.messages()[0], "Scene could not be read: tunnel.lws");
    EXPECT_TRUE(scene.items.empty());
    Archive::setDataPath("data.rar");
}

// --- Motion ------------------------------------------------------------------------------

// An item on a square path (LightWave x then z, linear keys a second apart) turns to face
// each side, ignoring its heading channel; at rest after the last key it keeps facing the
// way it came.
TEST(SceneMotion, PathAlignmentFollowsTheCurve) {
    std::vector<lws::Channel> channels(9);
    channels[0].keys = {{0, 0}, {0, 1}, {4, 2}};
    channels[2].keys = {{0, 0}, {4, 1}, {4, 2}};
    channels[3].keys = {{1.0f, 0.0f}};  // heading channel: ignored
    channels[5].keys = {{1.0f, 0.0f}};  // bank: ignored
    Scene scene;
    readScene(scene, header() + "AddNullObject P\n" + lws::motion("ObjectMotion", channels) +
                         "PathAlignLookAhead 0.1\n" + lws::camera());
    const SceneItem& item = scene.items[0];
    const double pi = 3.14159265358979;
    ItemMotion m = scene.motion(item, 0.5f);  // along LightWave +z, OpenGL -z
    EXPECT_NEAR(m.heading, 0.0, 1e-5);
    EXPECT_EQ(m.bank, 0.0f);
    m = scene.motion(item, 1.5f);  // along +x
    EXPECT_NEAR(m.heading, -pi / 2, 1e-5);
    m = scene.motion(item, 2.05f);  // come to rest: still facing +x
    EXPECT_NEAR(m.heading, -pi / 2, 1e-5);
    EXPECT_NEAR(m.pitch, 0.0, 1e-5);

    // Without a look-ahead the channels turn it (LightWave's angles, mirrored).
    scene.items[0].pathLookAhead = 0.0f;
    m = scene.motion(scene.items[0], 0.5f);
    EXPECT_FLOAT_EQ(m.heading, -1.0f);
    EXPECT_FLOAT_EQ(m.bank, 1.0f);
    EXPECT_TRUE(m.scaled);

    // A path that never moves faces ahead.
    Scene still;
    readScene(still, header() + lws::null("S", 1, 2, 3) + "PathAlignLookAhead 1\n" + lws::camera());
    m = still.motion(still.items[0], 0.0f);
    EXPECT_EQ(m.heading, 0.0f);
    EXPECT_EQ(m.pitch, 0.0f);
}

TEST(SceneMotion, OnlyEnvelopesWithScaleChannelsScale) {
    Scene scene;
    readScene(scene, header() + "AddNullObject Six\n" +
                         lws::motion("ObjectMotion", std::vector<lws::Channel>(6)) +
                         lws::null("Nine") + lws::camera());
    EXPECT_FALSE(scene.motion(scene.items[0], 0.0f).scaled);
    const ItemMotion m = scene.motion(scene.items[1], 0.0f);
    EXPECT_TRUE(m.scaled);
    EXPECT_EQ(m.scale.y, 1.0f);
}

}  // namespace
