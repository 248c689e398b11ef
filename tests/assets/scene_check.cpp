#include "tests/assets/scene_check.h"

#include <cstdio>
#include <sstream>

bool parseScene(const std::string& text, SceneText& s, std::string& error) {
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
        std::vector<SceneChannel> env(channels);
        for (SceneChannel& c : env) {
            int keys = 0;
            std::string a, b, count;
            if (!next(a) || !next(b) || !next(count) ||
                std::sscanf(count.c_str(), "%d", &keys) != 1)
                return error = "channel head", false;
            for (int k = 0; k < keys; ++k) {
                SceneKey key;
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
        SceneItemText* last = s.items.empty() ? nullptr : &s.items.back();
        if (w == "AddNullObject") {
            SceneItemText it{5, "", 0, 0x10000000u + objects++, 1, 0, {}};
            std::sscanf(line.c_str(), "AddNullObject %1023s", path);
            it.name = path;
            s.items.push_back(it);
        } else if (w == "LoadObjectLayer") {
            SceneItemText it{1, "", 0, 0x10000000u + objects++, 1, 0, {}};
            if (std::sscanf(line.c_str(), "LoadObjectLayer %d %1023s", &it.layer, path) != 2)
                return error = line, false;
            std::string p = path;
            size_t cut = p.find_last_of("/:");
            it.name = "lwos\\" + (cut == std::string::npos ? p : p.substr(cut + 1));
            it.layer -= 1;
            s.items.push_back(it);
        } else if (w == "AddLight") {
            s.items.push_back(SceneItemText{2, "", 0, 0x20000000u + lights++, 1, 0, {}});
        } else if (w == "AddCamera") {
            s.items.push_back(SceneItemText{3, "", 0, 0x30000000u + cameras++, 1, 0, {}});
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
