// fill_bench.cpp - what one full-window pass of each kind costs on this OpenGL driver.
//
// The production's frames are mostly full-window passes (veils, flashes, letterbox pictures),
// so on a software renderer their cost bounds the frame rate. This measures each kind of pass
// at a window size, beside a plain clear as the reference.
//
//   bench_fill [WIDTHxHEIGHT]      (default 1024x768)
#include <GL/gl.h>
#include <GL/glu.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "display/demo_window.h"
#include "effects/overlay.h"
#include "math/random.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsPer(int passes, void (*pass)()) {
    glFinish();
    const auto start = Clock::now();
    for (int i = 0; i < passes; ++i) {
        pass();
        glFinish();  // one pass a frame; a software renderer would merge queued clears
    }
    glFinish();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / passes;
}

void clearPass() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
void quadPass() {
    drawOverlayQuad(0, 0, 640, 480, false);
}
void blendedQuadPass() {
    drawOverlayQuad(0, 0, 640, 480, true);
}
// The film-grain veil: a wrapped, slightly stretched texture window at a random offset.
void veilPass() {
    const float u = demoRand() / 32768.0f, v = demoRand() / 32768.0f;
    drawOverlayQuadUV(0, 0, 640, 480, u, v, 1 + u, 1 + v, true);
}

void setFilter(GLint minFilter) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

}  // namespace

int main(int argc, char** argv) {
    int width = 1024, height = 768;
    if (argc > 1 && std::sscanf(argv[1], "%dx%d", &width, &height) != 2) {
        std::fprintf(stderr, "usage: bench_fill [WIDTHxHEIGHT]\n");
        return 2;
    }
    g_demoWindow.width = width;
    g_demoWindow.height = height;
    if (!g_demoWindow.create("fill bench")) return 1;

    // A 256 x 256 picture of noise, mipmapped as the texture cache uploads pictures.
    std::vector<unsigned char> texels(256 * 256 * 4);
    for (unsigned char& t : texels) t = static_cast<unsigned char>(demoRand());
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 4, 256, 256, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());

    const int passes = 200;
    const double reference = millisecondsPer(passes, clearPass);
    std::printf("full-window passes at %dx%d, milliseconds each (ratio to a clear)\n", width,
                height);
    auto report = [&](const char* name, double ms) {
        std::printf("  %-36s %7.3f ms  %6.1fx\n", name, ms, ms / reference);
    };
    report("clear colour and depth (reference)", reference);
    glDisable(GL_TEXTURE_2D);
    report("flat colour", millisecondsPer(passes, quadPass));
    report("flat colour, blended", millisecondsPer(passes, blendedQuadPass));
    glEnable(GL_TEXTURE_2D);
    setFilter(GL_LINEAR);
    report("texture, linear", millisecondsPer(passes, quadPass));
    setFilter(GL_LINEAR_MIPMAP_NEAREST);
    report("texture, mipmapped", millisecondsPer(passes, quadPass));
    report("texture, mipmapped, blended", millisecondsPer(passes, blendedQuadPass));
    report("film-grain veil (wrapped window)", millisecondsPer(passes, veilPass));
    g_demoWindow.destroy();
    return 0;
}
