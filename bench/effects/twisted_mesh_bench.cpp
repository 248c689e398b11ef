// The twisting meshes: every point and normal turned by its own rotation each frame, on
// stand-ins with the production objects' point counts (the torus knot's 540 rings of 18, the
// spike ball's core and 37 spikes), so no archive is needed.
#include <array>
#include <cmath>
#include <memory>

#include "bench/effects/bench_case.h"
#include "effects/twist_torus.h"
#include "effects/spike_ball_effect.h"

namespace {

// A closed tube of rings x sides points around a circle of radius 1, triangulated, with the
// radial direction as every corner normal; the points whose index is a multiple of tipEvery
// (when given) pushed out to distance 2.95.
void makeTube(Mesh& mesh, int rings, int sides, int tipEvery = 0) {
    auto layer = std::make_unique<MeshLayer>();
    for (int r = 0; r < rings; ++r) {
        const float a = 6.2831853f * r / rings;
        for (int s = 0; s < sides; ++s) {
            const float b = 6.2831853f * s / sides;
            Vector3 p((1.0f + 0.3f * std::cos(b)) * std::cos(a), 0.3f * std::sin(b),
                      (1.0f + 0.3f * std::cos(b)) * std::sin(a));
            const int i = r * sides + s;
            if (tipEvery > 0 && i % tipEvery == 0) p *= static_cast<float>(2.95 / p.length());
            layer->points.push_back(p);
        }
    }
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < sides; ++s) {
            const uint32_t a = r * sides + s, b = r * sides + (s + 1) % sides;
            const uint32_t c = ((r + 1) % rings) * sides + s;
            const uint32_t d = ((r + 1) % rings) * sides + (s + 1) % sides;
            for (const auto& t : {std::array<uint32_t, 3>{a, b, c}, {b, d, c}}) {
                MeshPolygon polygon{};
                for (int k = 0; k < 3; ++k) {
                    polygon.points[k] = t[k];
                    polygon.cornerNormals[k] = layer->points[t[k]];
                    polygon.cornerNormals[k].normalize();
                }
                layer->polygons.push_back(polygon);
            }
        }
    }
    mesh.layers[0] = std::move(layer);
}

float g_time = 0.0f;

void prepareTwistTorus() {
    makeTube(g_twistTorus.shape.mesh, 540, 18);
    g_twistTorus.shape.useLoadedMesh();
}
void twistTorusFrame() {
    g_twistTorus.shape.twist(g_time, 1.4f);
    g_time += 1.0f / 60.0f;
    bench::keep(g_twistTorus.shape.points);
}

void prepareSpikeBall() {
    makeTube(g_spikeBall.shape.mesh, 127, 17, 59);  // 2,159 points, 37 beyond 2.54
    g_spikeBall.useLoadedMesh();
}
void spikeBallFrame() {
    g_spikeBall.shape.twist(0.6f * g_time, 0.6f);
    g_time += 1.0f / 60.0f;
    bench::keep(g_spikeBall.shape.points);
}

}  // namespace

BENCH_CASE("twist-torus: 9,720 points and normals", prepareTwistTorus, twistTorusFrame);
BENCH_CASE("spike-ball: 2,159 points and normals", prepareSpikeBall, spikeBallFrame);
