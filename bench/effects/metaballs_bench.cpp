// The metaballs: the field of six balls and six walls, the walk and flood, and the extraction
// of the surface on the 32^3 grid, as one frame does it (the triangles are counted, not drawn).
#include "bench/effects/bench_case.h"
#include "effects/metaball_effect.h"

namespace {

float g_time = 0.0f;
long g_vertices = 0;

void countVertex(void*, const Vector3&, const Vector3&) {
    ++g_vertices;
}

void prepareMetaballs() {
    g_metaballs.prepare();
}

void metaballsFrame() {
    g_metaballs.buildField(g_time);
    g_metaballs.grid.polygonise(countVertex, nullptr);
    g_metaballs.grid.clearSources();
    g_time += 1.0f / 60.0f;
    bench::keep(&g_vertices);
}

}  // namespace

BENCH_CASE("metaballs: field, flood, surface on 32^3", prepareMetaballs, metaballsFrame);
