// The scene effects: every item's motion evaluated for both passes of a frame, as drawing
// does, on the production's scenes from the data.rar beside the executable.
#include <unistd.h>

#include <string>

#include "archive/archive.h"
#include "bench/effects/bench_case.h"
#include "scene/scene.h"

namespace {

Scene g_tunnel, g_sky;
float g_time = 0.0f;

void loadScenes() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string archive = "data.rar";
    if (n > 0) {
        const std::string exe(path, size_t(n));
        archive = exe.substr(0, exe.rfind('/') + 1) + "data.rar";
    }
    Archive::setDataPath(archive.c_str());
    g_tunnel.load("tunnel.lws");
    g_sky.load("cransscene.lws");
}

void motionFrame(const Scene& scene) {
    for (int pass = 0; pass < 2; ++pass) {
        for (const SceneItem& item : scene.items) {
            const ItemMotion m = scene.motion(item, g_time);
            bench::keep(&m);
        }
    }
}

void tunnelFrame() {
    motionFrame(g_tunnel);
    g_time += 1.0f / 60.0f;
}

void skyFrame() {
    motionFrame(g_sky);
    g_time += 1.0f / 60.0f;
}

}  // namespace

BENCH_CASE("scene-tunnel: motion of 52 items, both passes", loadScenes, tunnelFrame);
BENCH_CASE("scene-sky: motion of 22 items, both passes", loadScenes, skyFrame);
