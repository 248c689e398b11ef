// lws_writer.h - LightWave scene files (format version 3): objects, null objects, lights
// and a camera, each with a motion envelope of nine channels, laid out with the fixed header
// lines the engine's scene reader counts on.
#pragma once

#include <string>
#include <vector>

#include "tools/assetgen/vec3.h"

enum class LwsShape { TCB = 0, Hermite = 1, Bezier = 2, Linear = 3, Stepped = 4 };
enum class LwsBehavior {
    Reset = 0,
    Constant = 1,
    Repeat = 2,
    Oscillate = 3,
    OffsetRepeat = 4,
    Linear = 5
};

struct LwsKey {
    float value, time;  // time in seconds
    LwsShape shape = LwsShape::TCB;
    float tension = 0, continuity = 0, bias = 0;
};

struct LwsChannel {
    std::vector<LwsKey> keys;
    LwsBehavior pre = LwsBehavior::Constant, post = LwsBehavior::Constant;
};

// Channels 0-2 position, 3 heading, 4 pitch, 5 bank (radians), 6-8 scale.
struct LwsMotion {
    LwsChannel channels[9];
    // Starts every channel with one key: position p, no turn, scale 1.
    static LwsMotion still(Vec3 position = {0, 0, 0});
};

enum class LwsItemType { Object, Null, Light, Camera };

struct LwsItem {
    LwsItemType type = LwsItemType::Null;
    std::string name;  // object file path for objects, a one-word name otherwise
    int layer = 1;     // objects: the layer, counted from 1
    LwsMotion motion = LwsMotion::still();
    int parent = -1;  // index into the scene's items; -1 for none
    float pathLookAhead = 0;
    std::vector<int> excludedLights;  // indices into the scene's items (lights)
    Vec3 lightColor = {1, 1, 1};
    float lightIntensity = 1;
    int lightType = 1;  // 0 distant, 1 point, 2 spot
};

struct LwsScene {
    int firstFrame = 1, lastFrame = 900, framesPerSecond = 30;
    std::vector<LwsItem> items;  // written objects first, then lights, then cameras
};

// The scene as text. Items are written grouped by kind (objects and nulls, lights, cameras)
// in their order within each kind; parents and exclusions name items by their ids.
std::string writeLws(const LwsScene& scene);
