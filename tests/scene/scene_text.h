// scene_text.h - LightWave scene text for the tests, laid out as LightWave writes it.
#pragma once

#include <string>
#include <vector>

namespace lws {

// The eleven header lines at their fixed places, and a blank line.
inline std::string header() {
    return "LWSC\n3\n\nFirstFrame 1\nLastFrame 60\nFrameStep 1\nPreviewFirstFrame 1\n"
           "PreviewLastFrame 60\nPreviewFrameStep 1\nCurrentFrame 1\nFramesPerSecond 30\n\n";
}

// One channel: keys as "value time" pairs of the given shape, and its behaviours.
struct Channel {
    std::vector<std::pair<float, float>> keys = {{0.0f, 0.0f}};
    int shape = 3;
    int pre = 1, post = 1;
};

// A motion block of the given channels.
inline std::string motion(const std::string& keyword, const std::vector<Channel>& channels) {
    std::string out = keyword + "\nNumChannels " + std::to_string(channels.size()) + "\n";
    for (const Channel& c : channels) {
        out += "Channel\n{ Envelope\n  " + std::to_string(c.keys.size()) + "\n";
        for (auto [value, time] : c.keys) {
            out += "  Key " + std::to_string(value) + " " + std::to_string(time) + " " +
                   std::to_string(c.shape) + " 0 0 0 0 0 0\n";
        }
        out += "  Behaviors " + std::to_string(c.pre) + " " + std::to_string(c.post) + "\n}\n";
    }
    return out;
}

// Nine channels holding still at (x, y, z), no turn, heading h (radians), scale 1.
inline std::string still(const std::string& keyword, float x = 0, float y = 0, float z = 0,
                         float h = 0) {
    const float values[9] = {x, y, z, h, 0, 0, 1, 1, 1};
    std::vector<Channel> channels(9);
    for (int c = 0; c < 9; ++c) channels[c].keys = {{values[c], 0.0f}};
    return motion(keyword, channels);
}

inline std::string null(const std::string& name, float x = 0, float y = 0, float z = 0) {
    return "AddNullObject " + name + "\n" + still("ObjectMotion", x, y, z);
}
inline std::string camera(float x = 0, float y = 0, float z = 0) {
    return "AddCamera 30000000\nCameraName Camera\n" + still("CameraMotion", x, y, z);
}
inline std::string light(const std::string& name, float x = 0, float y = 0, float z = 0) {
    return "AddLight\nLightName " + name + "\n" + still("LightMotion", x, y, z) +
           "LightColor 1 1 1\n";
}

}  // namespace lws
