// The opening's tubes: sixteen tubes of 48 rings rebuilt on the processor every frame.
#include "bench/effects/bench_case.h"
#include "effects/tube_effect.h"

namespace {

float g_time = 0.0f;

void tubeFrame() {
    for (int i = 0; i < TubeEffect::kTubes; ++i) g_tube.buildTube(g_time + 0.1f * i);
    g_time += 1.0f / 60.0f;
    bench::keep(g_tube.ringPoints);
}

}  // namespace

BENCH_CASE("tube: 16 tubes x 48 rings", nullptr, tubeFrame);
