// startup_bench - time from process start to the first frame on screen, with its split.
//
//   startup_bench [ARCHIVE]     (default: data.rar in the working directory)
//
// Runs the production's own start-up (window, initDemo, one director frame, buffer swap) and
// prints where the time went: archive reads, image decoding, mipmaps, objects. The reference
// measured in the same run is one plain read of the archive file: the least any start-up
// that reads every asset must spend.
#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include <unistd.h>

#include "app/demo_window.h"
#include "archive/archive.h"
#include "demo/director.h"
#include "demo/startup.h"
#include "mesh/mesh_library.h"
#include "platform/platform.h"
#include "texture/texture_cache.h"

namespace {

constexpr double kTargetSeconds = 1.0;

// How long the process ran before main, from its start time in /proc (clock-tick resolution).
double secondsBeforeMain() {
    FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f) return 0.0;
    char text[1024] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    text[n] = '\0';
    // Field 22 is the start time; fields after the command name, which ends with ')'.
    const char* p = std::strrchr(text, ')');
    if (!p) return 0.0;
    unsigned long long start = 0;
    int field = 2;
    for (; *p && field < 22; ++p) {
        if (*p == ' ') ++field;
    }
    if (std::sscanf(p, "%llu", &start) != 1) return 0.0;
    timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double age = now.tv_sec + now.tv_nsec * 1e-9 - double(start) / sysconf(_SC_CLK_TCK);
    return age > 0.0 ? age : 0.0;
}

double seconds(int64_t from, int64_t to) {
    return double(to - from) / double(platform::counterFrequency());
}

// One plain read of the whole file; -1 when it cannot be read.
double plainReadSeconds(const char* path, size_t& bytes) {
    const int64_t start = platform::counter();
    FILE* f = std::fopen(path, "rb");
    if (!f) return -1.0;
    std::vector<char> buffer(1 << 20);
    bytes = 0;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) bytes += n;
    std::fclose(f);
    return seconds(start, platform::counter());
}

void row(const char* what, double s) {
    std::printf("  %-28s %8.1f ms\n", what, s * 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
    const double beforeMain = secondsBeforeMain();
    const int64_t mainStart = platform::counter();
    if (argc > 2 ||
        (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")))) {
        std::printf(
            "usage: startup_bench [ARCHIVE]\n"
            "Times the production's start-up from process start to the first frame, reading\n"
            "ARCHIVE (default data.rar) as the data archive. Run headless with\n"
            "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy.\n");
        return argc == 2 ? 0 : 1;
    }
    const char* archive = argc == 2 ? argv[1] : "data.rar";
    Archive::setDataPath(archive);

    if (!g_demoWindow.create("startup bench")) return 1;
    const int64_t windowDone = platform::counter();
    if (!initDemo()) return 1;
    const int64_t initDone = platform::counter();
    Director::frame(0.0f, 0.0f);
    g_demoWindow.swapBuffers();
    glFinish();
    const int64_t firstFrame = platform::counter();

    const double total = beforeMain + seconds(mainStart, firstFrame);
    const TextureCache& textures = g_textureCache;
    const MeshLibrary& meshes = g_meshLibrary;
    const double loads = textures.archiveSeconds + textures.decodeSeconds + textures.mipmapSeconds +
                         meshes.archiveSeconds + meshes.buildSeconds;

    size_t bytes = 0;
    const double reference = plainReadSeconds(archive, bytes);

    std::printf("start-up of %s: %d textures, %d objects\n", archive, textures.count(),
                meshes.count());
    row("process start to main", beforeMain);
    row("window and context", seconds(mainStart, windowDone));
    row("archive reads, textures", textures.archiveSeconds);
    row("image decoding", textures.decodeSeconds);
    row("mipmaps and upload", textures.mipmapSeconds);
    row("archive reads, objects", meshes.archiveSeconds);
    row("objects (parse, lists)", meshes.buildSeconds);
    row("rest of initDemo", seconds(windowDone, initDone) - loads);
    row("first frame and swap", seconds(initDone, firstFrame));
    row("total to first frame", total);
    std::printf("ratio total / %.0f s target: %.2f\n", kTargetSeconds, total / kTargetSeconds);
    if (reference > 0.0) {
        std::printf("reference: plain read of the archive's %zu bytes: %.1f ms\n", bytes,
                    reference * 1000.0);
        std::printf("ratio total / plain read: %.1f\n", total / reference);
    } else {
        std::printf("reference: %s cannot be read\n", archive);
    }

    g_demoWindow.destroy();
    return 0;
}
