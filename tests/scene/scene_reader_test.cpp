#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "archive/archive.h"
#include "scene/scene.h"
#include "tests/scene/scene_text.h"
#include "tests/support/archive_file.h"
#include "tests/support/test_support.h"

namespace {

using lws::header;

std::vector<std::string> readScene(Scene& scene, const std::string& text) {
    std::vector<std::string> problems;
    scene.read("test.lws", text.data(), text.size(), &problems);
    return problems;
}

// Type, id, parent, layer and name of every item, in file order.
std::vector<std::string> summaries(const Scene& scene) {
    std::vector<std::string> out;
    for (const SceneItem& i : scene.items) {
        char text[200];
        std::snprintf(text, sizeof text, "%d %08X %08X %d %s", i.type, i.id, i.parentId, i.layer,
                      i.name.c_str());
        out.push_back(text);
    }
    return out;
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
    // Object names keep their letter case (the library ignores it) and end at a space.
    EXPECT_EQ(summaries(scene), (std::vector<std::string>{
                                    "1 10000000 00000001 1 lwos\\Ship.lwo",
                                    "5 10000001 10000000 0 Pivot",
                                    "1 10000002 00000001 0 lwos\\Big",
                                    "2 20000000 00000001 0 Key",
                                    "2 20000001 10000001 0 Fill",
                                    "3 30000000 00000001 0 Camera",
                                }));
    for (size_t i = 0; i < scene.items.size(); ++i) {
        EXPECT_EQ(scene.items[i].index, i);
        EXPECT_EQ(scene.items[i].envelope, int(i));
        EXPECT_TRUE(scene.items[i].inTree);
    }
    EXPECT_EQ(scene.lights, (std::vector<int>{3, 4}));
    EXPECT_EQ(scene.cameras, std::vector<int>{5});
    EXPECT_EQ(scene.items[0].excludedLights, 2u);  // light 1 only
    EXPECT_FLOAT_EQ(scene.items[1].pathLookAhead, 0.25f);
    EXPECT_EQ(scene.items[3].lightType, 2);
    const float* colour = scene.items[4].lightColor;
    EXPECT_EQ(std::vector<float>(colour, colour + 4), (std::vector<float>{0.5f, 0.25f, 1, 1}));

    // Root: the ship, the second object, the key light and the camera; the null hangs from
    // the ship and the fill light from the null.
    auto itemsOf = [&](int node) {
        std::vector<int> items;
        for (int child : scene.nodes[node].children) items.push_back(scene.nodes[child].item);
        return items;
    };
    EXPECT_EQ(itemsOf(0), (std::vector<int>{0, 2, 3, 5}));
    const int shipNode = scene.nodes[0].children[0];
    EXPECT_EQ(itemsOf(shipNode), std::vector<int>{1});
    EXPECT_EQ(itemsOf(scene.nodes[shipNode].children[0]), std::vector<int>{4});

    const ItemMotion m = scene.motion(scene.items[0], 0.0f);
    EXPECT_EQ(m.position.x + 10 * m.position.y, 21.0f);
    EXPECT_EQ(m.position.z, -3.0f);  // mirrored like the meshes
}

// Every field of a key line and of the behaviours, in their order.
TEST(SceneReader, MotionBlockFields) {
    Scene scene;
    readScene(scene, header() +
                         "AddNullObject A\nObjectMotion\nNumChannels 2\nChannel 0\n{ Envelope\n"
                         "  2\n  Key 1.5 0.5 3 0.25 -0.5 0.75 4 5 6\n"
                         "  Key -2 1.25 0 0 0 0 0 0 0\n  Behaviors 2 4\n}\n"
                         "Channel 1\n{ Envelope\n  1\n  Key 7 0 0 0 0 0 0 0 0\n"
                         "  Behaviors 0 3\n}\n" +
                         lws::camera());
    ASSERT_EQ(scene.envelopes.size(), 2u);
    const std::vector<EnvelopeChannel>& c = scene.envelopes[0].channels;
    ASSERT_EQ(c.size(), 2u);
    ASSERT_EQ(c[0].keys.size(), 2u);
    const EnvelopeKey& k = c[0].keys[0];
    EXPECT_EQ(std::vector<float>({k.value, k.time, k.p[0], k.p[1], k.p[2], k.p[3], k.p[4], k.p[5]}),
              (std::vector<float>{1.5f, 0.5f, 0.25f, -0.5f, 0.75f, 4, 5, 6}));
    EXPECT_EQ(k.shape, 3);
    EXPECT_EQ(c[0].keys[1].value, -2.0f);
    EXPECT_EQ(c[0].keys[1].time, 1.25f);
    EXPECT_EQ(c[0].pre * 10 + c[0].post, 24);
    EXPECT_EQ(c[1].keys[0].value, 7.0f);
    EXPECT_EQ(c[1].pre * 10 + c[1].post, 3);
}

// Lines may end in CR LF, blank lines are skipped, a last line needs no feed and the text ends
// at a NUL; the header is read at fixed lines; a block of no channels keeps items and motion
// blocks in step; text that does not start with LWSC is no scene.
TEST(SceneReader, TextLayout) {
    std::string text = header() + "\n   \n" + lws::null("A") + "\r\n\r\nAddNullObject B\n" +
                       "ObjectMotion\nNumChannels 0\n" + lws::null("C", 4) + lws::camera() +
                       "AddNullObject Last" + std::string("\0AddNullObject Ghost\n", 21);
    for (size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 2))
        text.replace(i, 1, "\r\n");
    Scene scene;
    EXPECT_EQ(readScene(scene, text).size(), 1u);  // the last item has no motion block
    EXPECT_EQ(scene.lastFrame, 60);
    EXPECT_EQ(summaries(scene).back(), "5 10000003 00000001 0 Last");
    ASSERT_EQ(scene.items.size(), 5u);
    EXPECT_EQ(scene.envelopes.size(), 4u);
    EXPECT_EQ(scene.motion(scene.items[2], 1.0f).position.x, 4.0f);

    EXPECT_EQ(readScene(scene, "\x89PNG\r\n\x1a\n" + lws::camera()).size(), 1u);
    EXPECT_TRUE(scene.items.empty());
}

// The header is read by its keywords wherever they stand and ends at the first item; a line
// it does not use, or a format it does not know, is said with its line, never dropped.
TEST(SceneReader, HeaderByKeywordWithWhatItLeavesOutSaid) {
    const std::string items =
        "LoadObjectLayer 1 lwos/x.lwo\n" + lws::still("ObjectMotion") + lws::camera();
    const struct {
        std::string head;
        int first, last, fps;
        size_t items;
        std::vector<std::string> problems;
    } cases[] = {
        {lws::header(), 1, 60, 30, 2, {}},  // as LightWave writes it
        {"LWSC\n3\n\n", 0, 0, 0, 2, {}},    // no header lines: the items are not swallowed
        {"LWSC\n3\n\n\nFirstFrame 5\nLastFrame 9\n", 5, 9, 0, 2, {}},  // a line late
        {"LWSC\nFramesPerSecond 25\n", 0, 0, 25, 2, {}},               // no version line
        {"LWSC\n3\nRenderRangeType 0\nLastFrame x\n",
         0,
         0,
         0,
         2,
         {"test.lws:3: header line RenderRangeType is not used",
          "test.lws:4: LastFrame without a whole number; ignored"}},
        {"LWSC\n5\n\nFirstFrame 1\n", 1, 0, 0, 2, {}},  // a later format it knows
        {"LWSC\n7\n\nFirstFrame 1\n",
         1,
         0,
         0,
         2,
         {"test.lws:2: scene format 7: this reader knows formats 3 to 5; items and motion may be "
          "read wrong"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.head);
        Scene scene;
        EXPECT_EQ(readScene(scene, c.head + items), c.problems);
        EXPECT_EQ(scene.firstFrame, c.first);
        EXPECT_EQ(scene.lastFrame, c.last);
        EXPECT_EQ(scene.framesPerSecond, c.fps);
        EXPECT_EQ(scene.items.size(), c.items);
    }
}

// Later formats write an object's id before its path (which may hold spaces) or name, and a
// look-ahead for every item; only the heading and pitch controllers turn an item along its
// path. What the reader does not follow is said.
TEST(SceneReader, LaterFormatsIdsAndPathControllers) {
    const std::string moving = lws::motion("ObjectMotion", [] {
        std::vector<lws::Channel> channels(9);
        channels[0].keys = {{0, 0}, {1, 1}};  // along +x
        for (int k = 3; k < 6; ++k) channels[k].keys = {{0.5f, 0.0f}};
        return channels;
    }());
    const std::string text =
        "LWSC\n5\n\nFramesPerSecond 25\n\n"
        "LoadObjectLayer 1 10000000 Objects/My Ship.lwo\n" +
        moving +
        "PathAlignLookAhead 0.033\nHController 0\nPController 0\n"
        "AddNullObject 10000001 Pivot\n" +
        moving +
        "PathAlignLookAhead 0.2\nHController 1\n"
        "AddNullObject 10000001 Late\n" +
        moving +
        "HController 1\nPController 1\n"
        "LoadObjectLayer 2 10000009 Objects/x.lwo\n" +
        moving + "PController 2\n" + lws::camera();
    Scene scene;
    EXPECT_EQ(readScene(scene, text),
              (std::vector<std::string>{
                  "test.lws:127: AddNullObject id 10000001 does not follow the objects before it; "
                  "the item is 10000002",
                  "test.lws:187: LoadObjectLayer id 10000009 does not follow the objects before "
                  "it; the item is 10000003",
                  "test.lws:245: PController 2 (inverse kinematics) is not followed; the item "
                  "keeps its keyed pitch"}));
    EXPECT_EQ(summaries(scene), (std::vector<std::string>{
                                    "1 10000000 00000001 0 lwos\\My Ship.lwo",
                                    "5 10000001 00000001 0 Pivot",
                                    "5 10000002 00000001 0 Late",
                                    "1 10000003 00000001 1 lwos\\x.lwo",
                                    "3 30000000 00000001 0 Camera",
                                }));
    const struct {
        float lookAhead;
        double heading, pitch, bank;
    } expected[] = {
        {0.0f, -0.5, -0.5, 0.5},        // keys only, though a look-ahead is written
        {0.2f, -1.5707963, -0.5, 0.5},  // heading along +x; pitch and bank keyed
        {0.04f, -1.5707963, 0.0, 0.5},  // no look-ahead written: one frame at 25
        {0.0f, -0.5, -0.5, 0.5},
    };
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(scene.items[i].pathLookAhead, expected[i].lookAhead);
        const ItemMotion m = scene.motion(scene.items[i], 0.5f);
        EXPECT_NEAR(m.heading, expected[i].heading, 1e-5);
        EXPECT_NEAR(m.pitch, expected[i].pitch, 1e-5);
        EXPECT_NEAR(m.bank, expected[i].bank, 1e-5);
    }
}

// Damage is left out, each piece reported once, and what stays is safe to draw.
TEST(SceneReader, DamageIsLeftOut) {
    std::string many;
    for (int i = 0; i < 70; ++i) many += lws::null("N");
    Scene scene;
    EXPECT_EQ(readScene(scene, header() + many + lws::camera()).size(), 2u);  // and no camera
    EXPECT_EQ(scene.items.size(), 64u);
    EXPECT_EQ(scene.envelopes.size(), 64u);
    // A parent cycle hangs from nothing: only the camera is drawn.
    readScene(scene, header() + lws::null("A") + "ParentItem 10000001\n" + lws::null("B") +
                         "ParentItem 10000000\n" + lws::camera());
    EXPECT_EQ(scene.nodes[0].children.size(), 1u);
    // Keys must go forward in time; a second motion block and exclusions of lights the scene
    // does not have are ignored.
    const std::string keys =
        "ObjectMotion\nNumChannels 1\nChannel 0\n{ Envelope\n  2\n"
        "  Key 1 1 3 0 0 0 0 0 0\n  Key 5 1 3 0 0 0 0 0 0\n"
        "  Behaviors 1 1\n}\n";
    const auto problems =
        readScene(scene, header() + "AddNullObject A\n" + keys + lws::still("ObjectMotion", 7) +
                             "ExcludeLight 20000005\n" + lws::camera());
    EXPECT_EQ(problems.size(), 4u);  // and the block's one channel of nine
    EXPECT_EQ(scene.envelopes[0].channels[0].keys.size(), 1u);
    EXPECT_EQ(scene.motion(scene.items[0], 0).position.x, 1.0f);
    EXPECT_EQ(scene.items[0].excludedLights, 0u);
    // A key shape no format defines is said; the key stays.
    std::vector<lws::Channel> unknown(1);
    unknown[0].shape = 9;
    EXPECT_EQ(readScene(scene, header() + "AddNullObject A\n" +
                                   lws::motion("ObjectMotion", unknown) + lws::camera())[0],
              "test.lws:19: key shape 9 is not one of 0 to 5; the span to it reads 0");
}

// Loading from the archive shows each problem as a message of its own, the first eight of a
// badly damaged file and a count of the rest; an entry that cannot be read leaves no scene.
TEST(SceneLoad, ShowsEightProblemsAndCountsTheRest) {
    std::string text = header();
    for (int i = 0; i < 10; ++i)  // ten lights that are not there, and no camera
        text += lws::null("N") + "ExcludeLight 20000005\n";
    testsupport::TempDir dir;
    ASSERT_TRUE(testsupport::writeArchive(dir.file("data.rar"),
                                          {{"broken.lws", {text.begin(), text.end()}}}));
    Archive::setDataPath(dir.file("data.rar").c_str());
    testsupport::MessageCapture capture;
    Scene scene;
    EXPECT_TRUE(scene.load("broken.lws"));
    ASSERT_EQ(capture.messages().size(), 9u);
    EXPECT_EQ(capture.messages()[0].rfind("broken.lws:", 0), 0u) << capture.messages()[0];
    EXPECT_EQ(capture.messages()[8], "broken.lws: 3 more problems (lwsinfo lists them all)");
    EXPECT_EQ(scene.items.size(), 10u);

    capture.clear();
    EXPECT_FALSE(scene.load("gone.lws"));
    EXPECT_EQ(capture.messages(), std::vector<std::string>{"Scene could not be read: gone.lws"});
    EXPECT_TRUE(scene.items.empty());
}

// --- Motion ------------------------------------------------------------------------------

// An item moving in a straight line (linear keys from the origin at 0 s to a LightWave point
// at 1 s) turns to face along it, looking 0.25 s ahead, whatever its angle channels say.
// OpenGL's direction is the point with z negated; heading = asin(x) + pi where that z is
// positive, -asin(x) otherwise, of the horizontal part made unit; pitch = asin(y) of the unit
// direction.
TEST(SceneMotion, PathAlignmentFacesAlongThePath) {
    const double pi = 3.14159265358979, r = std::sqrt(0.5);
    const struct {
        float x, y, z, time;
        double heading, pitch;
    } cases[] = {
        {0, 0, 1, 0.5f, 0, 0},                   // along OpenGL's -z: no turn
        {0, 0, -1, 0.5f, pi, 0},                 // towards the viewer: half a turn
        {1, 0, 0, 0.5f, -pi / 2, 0},             // +x: no z, so -asin(1)
        {1, 0, -1, 0.5f, std::asin(r) + pi, 0},  // OpenGL (1, 0, 1): 5/4 pi
        {1, 0, 1, 0.5f, -std::asin(r), 0},       // OpenGL (1, 0, -1): -pi/4
        {0, 1, 1, 0.5f, 0, std::asin(r)},        // climbing at 45 degrees
        {0, -3, 4, 0.5f, 0, std::asin(-0.6)},    // falling: (0, -3, -4) / 5
        {1, 0, 0, 1.1f, -pi / 2, 0},             // at rest after the last key: the way it came
        {0, 0, 0, 0.5f, 0, 0},                   // never moves: faces ahead
    };
    for (const auto& c : cases) {
        std::vector<lws::Channel> channels(9);
        channels[0].keys = {{0, 0}, {c.x, 1}};
        channels[1].keys = {{0, 0}, {c.y, 1}};
        channels[2].keys = {{0, 0}, {c.z, 1}};
        for (int k = 3; k < 6; ++k) channels[k].keys = {{1.0f, 0.0f}};  // ignored
        Scene scene;
        readScene(scene, header() + "AddNullObject P\n" + lws::motion("ObjectMotion", channels) +
                             "PathAlignLookAhead 0.25\n" + lws::camera());
        const ItemMotion m = scene.motion(scene.items[0], c.time);
        SCOPED_TRACE(testing::Message() << c.x << " " << c.y << " " << c.z << " at " << c.time);
        EXPECT_NEAR(m.heading, c.heading, 1e-5);
        EXPECT_NEAR(m.pitch, c.pitch, 1e-5);
        EXPECT_EQ(m.bank, 0.0f);
    }
}

// Only an envelope with more than six channels scales; a scale it lacks reads as 1. (The
// angles' signs and the scale's place are checked on the matrix where the scene is drawn.)
TEST(SceneMotion, OnlyEnvelopesWithScaleChannelsScale) {
    std::vector<lws::Channel> seven(7);
    seven[6].keys = {{5.0f, 0.0f}};
    Scene scene;
    readScene(scene, header() + "AddNullObject Six\n" +
                         lws::motion("ObjectMotion", std::vector<lws::Channel>(6)) +
                         "AddNullObject Seven\n" + lws::motion("ObjectMotion", seven) +
                         lws::camera());
    EXPECT_FALSE(scene.motion(scene.items[0], 0.0f).scaled);
    const ItemMotion m = scene.motion(scene.items[1], 0.0f);
    EXPECT_TRUE(m.scaled);
    EXPECT_EQ(m.scale.x, 5.0f);
    EXPECT_EQ(m.scale.z, 1.0f);
}

}  // namespace
