// scene_check.h - a LightWave scene read the way the engine's scene reader walks it: the
// header at fixed lines, its keywords, one motion block after every item.
#pragma once

#include <string>
#include <vector>

struct SceneKey {
    float value, time;
    int shape;
};
struct SceneChannel {
    std::vector<SceneKey> keys;
    int pre = -1, post = -1;
};
struct SceneItemText {
    int type;  // 1 object layer, 2 light, 3 camera, 5 null
    std::string name;
    int layer = 0;
    unsigned id = 0, parent = 1;
    float lookAhead = 0;
    std::vector<unsigned> excluded;
};
struct SceneText {
    int firstFrame = -1, lastFrame = -1, fps = -1;
    std::vector<SceneItemText> items;
    std::vector<std::vector<SceneChannel>> envelopes;
};

// False with the reason when the text does not follow that layout.
bool parseScene(const std::string& text, SceneText& scene, std::string& error);
