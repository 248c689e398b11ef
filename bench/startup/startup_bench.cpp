// startup_bench - time from process start to the first frame on screen, with its split.
//
//   startup_bench [ARCHIVE]     (default: data.rar in the working directory)
//   startup_bench --make-synthetic ARCHIVE
//
// The second form writes an archive of content like the production's (JPEG and PNG textures
// of 256 and 512 pixels, objects of a few thousand triangles) for runs before the production's
// own archive exists.
//
// Runs the production's own start-up (window, initDemo, one director frame, buffer swap) and
// prints where the time went: archive reads, image decoding, mipmaps, objects. The reference
// measured in the same run is one plain read of the archive file: the least any start-up
// that reads every asset must spend.
#include <GL/gl.h>
#include <IL/il.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "archive/archive.h"
#include "archive/archive_writer.h"
#include "demo/director.h"
#include "demo/startup.h"
#include "display/demo_window.h"
#include "mesh/lwo_chunks.h"
#include "mesh/mesh_library.h"
#include "platform/platform.h"
#include "scene/scene.h"
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

// ---------------------------------------------------------------------------------------------
// Synthetic content
// ---------------------------------------------------------------------------------------------

// An image with gradients and noise, so that it compresses like a picture and not like a
// flat colour; encoded by DevIL as JPEG or PNG.
std::vector<uint8_t> syntheticImage(int size, ILenum type, unsigned seed) {
    std::vector<uint8_t> pixels(size_t(size) * size * 4);
    unsigned x = seed * 2654435761u + 1;
    for (int j = 0; j < size; ++j) {
        for (int i = 0; i < size; ++i) {
            x = x * 214013u + 2531011u;
            const int noise = int(x >> 16 & 31);
            uint8_t* p = &pixels[(size_t(j) * size + i) * 4];
            p[0] = uint8_t((i * 255 / size + noise) & 255);
            p[1] = uint8_t((j * 255 / size + noise) & 255);
            p[2] = uint8_t(128 + 100 * std::sin((i + j + seed) * 0.05));
            p[3] = uint8_t(255 - (i + j) * 127 / size);
        }
    }
    ILuint image;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(size, size, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, pixels.data());
    if (type == IL_JPG) ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
    std::vector<uint8_t> file(pixels.size() * 2 + 65536);
    file.resize(ilSaveL(type, file.data(), ILuint(file.size())));
    ilDeleteImages(1, &image);
    return file;
}

// A torus of rings x segments quads, each split into two triangles, with one smooth surface.
std::vector<uint8_t> syntheticTorus(int rings, int segments) {
    std::vector<lwo::Point> points;
    for (int r = 0; r < rings; ++r) {
        const double a = 2 * M_PI * r / rings;
        for (int s = 0; s < segments; ++s) {
            const double b = 2 * M_PI * s / segments;
            const double radius = 2 + 0.6 * std::cos(b);
            points.push_back({float(radius * std::cos(a)), float(0.6 * std::sin(b)),
                              float(radius * std::sin(a))});
        }
    }
    std::vector<lwo::Tri> triangles;
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const auto at = [&](int i, int j) {
                return uint16_t((i % rings) * segments + j % segments);
            };
            triangles.push_back({at(r, s), at(r + 1, s), at(r + 1, s + 1)});
            triangles.push_back({at(r, s), at(r + 1, s + 1), at(r, s + 1)});
        }
    }
    lwo::Bytes c;
    c.chunk("TAGS", lwo::Bytes().s0("Torus"));
    c.chunk("LAYR", lwo::layr(0, "Layer 1", 0));
    c.chunk("PNTS", lwo::pnts(points));
    c.chunk("POLS", lwo::pols(triangles));
    c.chunk("SURF", lwo::surf("Torus", lwo::Bytes().sub("SMAN", lwo::Bytes().f4(1.5f))));
    return lwo::file(c);
}

int makeSynthetic(const char* path) {
    ilInit();
    std::vector<uint8_t> bytes;
    rar::VectorSink sink(bytes);
    rar::ArchiveWriter writer(sink, rar::PackOptions());
    if (!writer.begin()) return 1;
    const uint32_t time = rar::dosDateTime(2004, 4, 1, 12, 0, 0);
    int textures = 0, objects = 0;
    const auto add = [&](const std::string& name, const std::vector<uint8_t>& data) {
        return writer.add(name.c_str(), data.data(), data.size(), time, 0x20);
    };
    for (int i = 0; i < 40; ++i, ++textures) {
        const bool png = i % 5 == 4;
        const int size = i % 4 == 3 ? 512 : 256;
        const std::string name =
            "textures\\synthetic" + std::to_string(i) + (png ? ".png" : ".jpg");
        if (!add(name, syntheticImage(size, png ? IL_PNG : IL_JPG, unsigned(i)))) return 1;
    }
    for (int i = 0; i < 12; ++i, ++objects) {
        const std::string name = "lwos\\torus" + std::to_string(i) + ".lwo";
        if (!add(name, syntheticTorus(24 + 4 * i, 16 + 2 * i))) return 1;
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) return 1;
    std::printf("%s: %d textures, %d objects, %zu bytes\n", path, textures, objects, bytes.size());
    return 0;
}

void row(const char* what, double s) {
    std::printf("  %-28s %8.1f ms\n", what, s * 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
    const double beforeMain = secondsBeforeMain();
    const int64_t mainStart = platform::counter();
    const bool help = argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"));
    const bool synthetic = argc == 3 && !std::strcmp(argv[1], "--make-synthetic");
    if (help || argc > 3 || (argc == 3 && !synthetic)) {
        std::printf(
            "usage: startup_bench [ARCHIVE]\n"
            "       startup_bench --make-synthetic ARCHIVE\n"
            "Times the production's start-up from process start to the first frame, reading\n"
            "ARCHIVE (default data.rar) as the data archive. Run headless with\n"
            "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy. The second form writes an\n"
            "archive of content like the production's, for runs without it.\n");
        return help ? 0 : 1;
    }
    if (synthetic) return makeSynthetic(argv[2]);
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

    // The scene effects load their scenes when they are prepared, not at start-up; timed
    // here against the same budget.
    const int64_t scenesStart = platform::counter();
    Scene tunnel, sky;
    tunnel.load("tunnel.lws");
    sky.load("cransscene.lws");
    const double sceneSeconds = seconds(scenesStart, platform::counter());

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
    std::printf(
        "both scenes (%zu and %zu items), loaded after the first frame: %.1f ms, ratio to "
        "target %.4f\n",
        tunnel.items.size(), sky.items.size(), sceneSeconds * 1000.0,
        sceneSeconds / kTargetSeconds);
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
