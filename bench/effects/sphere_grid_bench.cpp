// The rippling spheres: 48 x 48 points, each with two neighbours for its normal, rebuilt on the
// processor every frame.
#include "bench/effects/bench_case.h"
#include "effects/arrow_shock_effect.h"
#include "effects/shockwave_effect.h"

namespace {

float g_time = 0.0f;

void shockwaveFrame() {
    g_shockwave.buildGrid(g_time);
    g_time += 1.0f / 60.0f;
    bench::keep(g_shockwave.grid.normals);
}

void arrowShockFrame() {
    g_arrowShock.buildGrid(g_time);
    g_time += 1.0f / 60.0f;
    bench::keep(g_arrowShock.grid.normals);
}

}  // namespace

BENCH_CASE("shockwave: 48 x 48 sphere grid with normals", nullptr, shockwaveFrame);
BENCH_CASE("arrow-shock: 48 x 48 grid, 4 arrows, normals", nullptr, arrowShockFrame);
