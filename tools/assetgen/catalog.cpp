#include "tools/assetgen/catalog.h"

#include <fstream>

std::vector<TextureAsset> allTextures() {
    std::vector<TextureAsset> all;
    for (auto family : {environmentMapAssets, spriteAssets, typographyAssets, backdropAssets}) {
        std::vector<TextureAsset> part = family();
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

std::vector<ObjectAsset> allObjects() {
    return objectAssets();
}

std::vector<SceneAsset> allScenes() {
    return sceneAssets();
}

std::string outputPath(const std::string& storedName) {
    std::string p = storedName;
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

namespace {

bool readLines(const std::string& path, std::vector<std::string>& out) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("//", 0) == 0) continue;  // notes for the reader of the source
        out.push_back(line);
    }
    return true;
}

}  // namespace

bool loadTextSources(const std::string& dir, TextSources& out) {
    std::vector<std::string> title;
    if (!readLines(dir + "/title.txt", title) || !readLines(dir + "/credits.txt", out.credits) ||
        !readLines(dir + "/greetings.txt", out.greetings))
        return false;
    for (const std::string& t : title)
        if (!t.empty()) {
            out.title = t;
            break;
        }
    std::vector<std::string> greetings;
    for (const std::string& g : out.greetings)
        if (!g.empty()) greetings.push_back(g);
    out.greetings = greetings;
    return !out.title.empty();
}
