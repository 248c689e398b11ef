// bench_main.cpp - runs the effect cases of bench_case.h.
//
// The reference is a fixed amount of plain arithmetic (transforming 10,000 points by a 4 x 4
// matrix, which is about what one frame of a vertex-heavy effect must at least cost); each case
// is printed in milliseconds per frame and as a multiple of that reference.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/effects/bench_case.h"
#include "math/matrix4.h"
#include "math/vector3.h"

namespace bench {

namespace {

struct Case {
    const char* name;
    CaseFunction prepare;
    CaseFunction frame;
};

std::vector<Case>& cases() {
    static std::vector<Case> all;
    return all;
}

volatile const void* g_sink = nullptr;

// Milliseconds per call of frame, over at least `seconds` of calls.
double millisecondsPerFrame(CaseFunction frame, double seconds) {
    using Clock = std::chrono::steady_clock;
    frame();  // warm up
    int calls = 0;
    const auto start = Clock::now();
    double elapsed = 0.0;
    do {
        frame();
        ++calls;
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < seconds);
    return 1000.0 * elapsed / calls;
}

std::vector<Vector3> g_points;
Matrix4 g_matrix;

void referenceFrame() {
    for (Vector3& p : g_points) g_matrix.transformPoint(p);
    keep(g_points.data());
}

}  // namespace

int addCase(const char* name, CaseFunction prepare, CaseFunction frame) {
    cases().push_back({name, prepare, frame});
    return static_cast<int>(cases().size());
}

void keep(const void* data) {
    g_sink = data;
}

}  // namespace bench

int main(int argc, char** argv) {
    using namespace bench;
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf(
            "Usage: bench_effects [CASE...]\n"
            "Processor work per frame of each effect (target under 2 ms), beside a\n"
            "reference measured in the same run. Cases:\n");
        for (const Case& c : cases()) std::printf("  %s\n", c.name);
        return 0;
    }
    g_points.assign(10000, Vector3(0.5f, 0.25f, -1.0f));
    g_matrix.setIdentity();
    g_matrix.rotateX(0.1f);
    const double reference = millisecondsPerFrame(referenceFrame, 0.5);
    std::printf("%-44s %10s %10s\n", "case", "ms/frame", "x ref");
    std::printf("%-44s %10.3f %10.2f\n", "reference: 10,000 points x one matrix", reference, 1.0);
    int unknown = 0;
    for (int i = 1; i < argc; ++i) {
        bool found = false;
        for (const Case& c : cases()) found = found || std::strcmp(c.name, argv[i]) == 0;
        if (!found) {
            std::fprintf(stderr, "bench_effects: no case named '%s' (--help lists them)\n",
                         argv[i]);
            ++unknown;
        }
    }
    if (unknown) return 2;
    for (const Case& c : cases()) {
        bool wanted = argc == 1;
        for (int i = 1; i < argc; ++i) wanted = wanted || std::strcmp(c.name, argv[i]) == 0;
        if (!wanted) continue;
        if (c.prepare) c.prepare();
        const double ms = millisecondsPerFrame(c.frame, 1.0);
        std::printf("%-44s %10.3f %10.2f\n", c.name, ms, ms / reference);
    }
    return 0;
}
