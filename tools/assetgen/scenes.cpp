// scenes.cpp - the two LightWave scenes of the engine's scene effects.
//
// The engine applies the camera's motion to the world as it stands (not inverted): the
// camera's position moves the world and its turn spins the world about its own origin. The
// scenes are keyed for that: the camera key places the world's origin in front of the eye.
#include <cmath>

#include "tools/assetgen/catalog.h"
#include "tools/assetgen/lws_writer.h"

namespace {

constexpr float kPi = 3.14159265358979f;

enum Channel { PosX, PosY, PosZ, Heading, Pitch, Bank, ScaleX, ScaleY, ScaleZ };

// A value turning at a steady rate for ever: one linear span repeated with its offset.
LwsChannel spin(float start, float perSecond, float period = 4) {
    LwsChannel c;
    c.keys = {{start, 0, LwsShape::Linear}, {start + perSecond * period, period, LwsShape::Linear}};
    c.pre = c.post = LwsBehavior::OffsetRepeat;
    return c;
}

// A smooth swing through the given values at even times, repeating.
LwsChannel swing(std::initializer_list<float> values, float step, float tension = 0) {
    LwsChannel c;
    float t = 0;
    for (float v : values) {
        c.keys.push_back({v, t, LwsShape::TCB, tension, 0, 0});
        t += step;
    }
    c.pre = c.post = LwsBehavior::Repeat;
    return c;
}

// A value that holds and jumps: stepped keys.
LwsChannel pulse(float rest, float high, float period) {
    LwsChannel c;
    c.keys = {{rest, 0, LwsShape::Stepped},
              {high, period * 0.85f, LwsShape::Stepped},
              {rest, period, LwsShape::Stepped}};
    c.pre = c.post = LwsBehavior::Repeat;
    return c;
}

LwsItem light(const char* name, Vec3 position, Vec3 color) {
    LwsItem l;
    l.type = LwsItemType::Light;
    l.name = name;
    l.motion = LwsMotion::still(position);
    l.lightColor = color;
    return l;
}

LwsItem object(const char* path, Vec3 position, int parent = -1) {
    LwsItem o;
    o.type = LwsItemType::Object;
    o.name = path;
    o.motion = LwsMotion::still(position);
    o.parent = parent;
    return o;
}

int add(LwsScene& s, const LwsItem& item) {
    s.items.push_back(item);
    return int(s.items.size() - 1);
}

// A wreath ("krans") of twelve stars turning like a wheel around the emblem, four arrows
// chasing round it along their path, three coloured lights, an orbiting camera.
std::string makeCransScene() {
    LwsScene s;
    int key = add(s, light("Key", {-30, 25, -30}, {1.0f, 0.86f, 0.62f}));
    int fill = add(s, light("Fill", {35, 5, -20}, {0.35f, 0.55f, 1.0f}));
    int rim = add(s, light("Rim", {0, 10, 40}, {0.2f, 0.9f, 0.85f}));
    (void)key, (void)fill;

    LwsItem wreath;
    wreath.type = LwsItemType::Null;
    wreath.name = "Wreath";
    wreath.motion.channels[Bank] = spin(0, 0.25f);
    int w = add(s, wreath);
    for (int i = 0; i < 12; ++i) {
        float a = i * 2 * kPi / 12;
        LwsItem star = object("lwos/star.lwo", {12 * std::cos(a), 12 * std::sin(a), 0}, w);
        star.motion.channels[Heading] = spin(a, i % 2 ? 1.5f : -1.5f);
        float k = 0.7f + 0.1f * (i % 3);
        for (int c = ScaleX; c <= ScaleZ; ++c)
            star.motion.channels[c] = pulse(k, k * 1.35f, 2 + 0.25f * (i % 4));
        if (i % 3 == 0) star.excludedLights.push_back(rim);
        add(s, star);
    }
    LwsItem logo = object("lwos/c-logo.lwo", {0, 0, 0});
    logo.motion.channels[Pitch] =
        LwsChannel{{{-kPi / 2, 0}}, LwsBehavior::Constant, LwsBehavior::Constant};
    logo.motion.channels[Heading] = swing({-0.35f, 0.35f, -0.35f}, 3);
    logo.motion.channels[PosY] = swing({0, 0.8f, 0}, 1.5f, 0.3f);
    for (int c = ScaleX; c <= ScaleZ; ++c) logo.motion.channels[c].keys[0].value = 2.6f;
    add(s, logo);
    for (int i = 0; i < 4; ++i) {
        // Keys round a circle of radius 17; the arrow turns along its path.
        LwsItem arrow = object("lwos/arrow.lwo", {0, 0, 0});
        arrow.pathLookAhead = 0.1f;
        float period = 8, phase = i * kPi / 2;
        for (int c = PosX; c <= PosZ; ++c) arrow.motion.channels[c].keys.clear();
        for (int k = 0; k <= 8; ++k) {
            float a = phase + k * 2 * kPi / 8, t = k * period / 8;
            arrow.motion.channels[PosX].keys.push_back({17 * std::cos(a), t});
            arrow.motion.channels[PosY].keys.push_back({4 * std::sin(2 * a), t});
            arrow.motion.channels[PosZ].keys.push_back({17 * std::sin(a), t});
        }
        for (int c = PosX; c <= PosZ; ++c)
            arrow.motion.channels[c].pre = arrow.motion.channels[c].post = LwsBehavior::Repeat;
        add(s, arrow);
    }
    LwsItem camera;
    camera.type = LwsItemType::Camera;
    camera.name = "Camera";
    camera.motion = LwsMotion::still({0, -2, 48});
    camera.motion.channels[Heading] = swing({-0.5f, 0.5f, -0.5f}, 6);
    camera.motion.channels[Heading].pre = camera.motion.channels[Heading].post =
        LwsBehavior::Oscillate;
    camera.motion.channels[Pitch] = swing({-0.25f, 0.1f, -0.25f}, 5, -0.2f);
    add(s, camera);
    return writeLws(s);
}

// A tunnel of eight rings of small cubes, each ring rolling its own way and throbbing on
// stepped keys; an arrow weaves ahead along its path; the camera flies down the axis.
std::string makeTunnel() {
    LwsScene s;
    add(s, light("Head", {0, 0, 0}, {1.0f, 0.95f, 0.85f}));
    int side = add(s, light("Side", {10, 10, 60}, {0.3f, 0.8f, 1.0f}));
    for (int r = 0; r < 8; ++r) {
        LwsItem ring;
        ring.type = LwsItemType::Null;
        ring.name = "Ring" + std::to_string(r);
        ring.motion = LwsMotion::still({0, 0, 20.0f * r + 20});
        ring.motion.channels[Bank] = spin(r * 0.3f, r % 2 ? 0.6f : -0.6f);
        for (int c = ScaleX; c <= ScaleZ; ++c)
            ring.motion.channels[c] = pulse(1, 1.25f, 1 + 0.125f * r);
        int ringIndex = add(s, ring);
        for (int k = 0; k < 5; ++k) {
            float a = k * 2 * kPi / 5;
            LwsItem cube =
                object("lwos/cube-s.lwo", {7 * std::cos(a), 7 * std::sin(a), 0}, ringIndex);
            cube.motion.channels[Heading] = spin(a, 1.2f);
            cube.motion.channels[Pitch] = spin(0, 0.7f);
            add(s, cube);
        }
    }
    LwsItem arrow = object("lwos/arrow.lwo", {0, 0, 0});
    arrow.pathLookAhead = 0.2f;
    arrow.excludedLights.push_back(side);
    for (int c = PosX; c <= PosZ; ++c) arrow.motion.channels[c].keys.clear();
    for (int k = 0; k <= 6; ++k) {
        float t = k * 2.0f;
        arrow.motion.channels[PosX].keys.push_back({2.5f * std::sin(k * 1.7f), t});
        arrow.motion.channels[PosY].keys.push_back({2.0f * std::cos(k * 1.3f), t});
        arrow.motion.channels[PosZ].keys.push_back({30 + 18.0f * k, t, LwsShape::TCB, 0, 0.3f});
    }
    for (int c = PosX; c <= PosZ; ++c) arrow.motion.channels[c].post = LwsBehavior::Repeat;
    add(s, arrow);
    LwsItem camera;
    camera.type = LwsItemType::Camera;
    camera.name = "Camera";
    camera.motion = LwsMotion::still({0, 0, 0});
    camera.motion.channels[PosZ].keys = {{0, 0, LwsShape::Linear}, {-160, 12, LwsShape::Linear}};
    camera.motion.channels[PosZ].post = LwsBehavior::Repeat;
    camera.motion.channels[PosX] = swing({0, 1.5f, 0, -1.5f, 0}, 3);
    camera.motion.channels[Bank] = swing({0, 0.3f, 0, -0.3f, 0}, 3);
    add(s, camera);
    return writeLws(s);
}

}  // namespace

std::vector<SceneAsset> sceneAssets() {
    return {
        {"cransscene.lws",
         "a wreath of twelve stars round the emblem, four arrows on a circular path, three lights, "
         "orbiting camera",
         makeCransScene},
        {"tunnel.lws",
         "eight rolling rings of small cubes, an arrow weaving ahead, the camera flying down the "
         "axis",
         makeTunnel},
    };
}
