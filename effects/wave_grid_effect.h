// wave_grid_effect.h - a 64 x 64 liquid surface rippled by four wandering wave sources,
// sphere-mapped. Part of the library; the production does not show it.
//
// render() leaves its state behind (culling and lighting off, texturing and sphere mapping
// on, the model-view moved by (-32, 0, -32) so the grid is centred): callers bracket it with
// their own attribute and matrix pushes.
#pragma once

#include "effects/effect.h"
#include "math/vector3.h"

class WaveGridEffect : public Effect {
  public:
    static constexpr int kSide = 64;

    struct WaveSource {
        Vector3 position;  // only x and z are used
        float unused;
        float frequency;
        float damping;
    };

    void prepare() override;
    void render(float time, float delta) override;

    // The field of a frame: source positions and heights at that time, then the normals.
    void buildField(float time);
    // Unit normals of the surface in vertices, border rows and columns included.
    void buildNormals();

    Vector3* vertices = nullptr;  // kSide * kSide, row-major: index = kSide * row + column
    Vector3* normals = nullptr;   // same indexing
    WaveSource sources[4];
};

extern WaveGridEffect g_waveGrid;
