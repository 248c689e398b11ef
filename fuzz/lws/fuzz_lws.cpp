// fuzz_lws - the scene reader on arbitrary text, then what drawing does with what it accepts:
// every item's motion at times before, inside and after its keys, and a walk of the tree.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "scene/scene.h"

namespace {

// The parent tree as drawing walks it: every node once, never deeper than the limit.
int walk(const Scene& scene, int node, int depth) {
    if (depth > Scene::kMaxDepth + 1) std::abort();
    int seen = 1;
    for (int child : scene.nodes[node].children) seen += walk(scene, child, depth + 1);
    return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Scene scene;
    std::vector<std::string> problems;
    scene.read("fuzz.lws", reinterpret_cast<const char*>(data), size, &problems);
    if (scene.items.size() > size_t(Scene::kMaxItems)) std::abort();

    const float times[] = {-1000.5f, -0.25f, 0.0f, 0.5f, 3.75f, 12.0f, 1e6f};
    for (const SceneItem& item : scene.items) {
        for (float t : times) {
            const ItemMotion m = scene.motion(item, t);
            // Whatever the text says, OpenGL gets numbers.
            const float values[] = {m.position.x, m.position.y, m.position.z, m.heading, m.pitch,
                                    m.bank,       m.scale.x,    m.scale.y,    m.scale.z};
            for (float v : values)
                if (std::isnan(v)) std::abort();
        }
    }
    if (!scene.nodes.empty() && walk(scene, 0, 0) > int(scene.items.size()) + 1) std::abort();
    return 0;
}
