// metaball_effect.h - six blobs drifting inside a box and melting into its walls, wrapped in
// clouds of spinning stars.
//
// Every frame the blob surface is extracted afresh from a field of six balls and the box's
// six wall planes on a 32-point grid (MarchingGrid) and drawn sphere-mapped; the grid is
// centred on the caller's origin, one grid unit per world unit.
#pragma once

#include "effects/effect.h"
#include "effects/marching_grid.h"
#include "math/vector3.h"

class MetaballEffect : public Effect {
  public:
    static constexpr int kBalls = 6;
    static constexpr int kGridSize = 32;
    static constexpr float kThreshold = 0.12f;

    void prepare() override;
    void render(float time, float delta) override;

    // The field of a frame: the six balls at that time (also kept in balls[]) and the walls.
    // render() polygonises it and clears the sources again.
    void buildField(float time);

    struct BallRecord {
        Vector3 position;  // each axis in [-0.8, 0.8]
        float strength;
    };

    MarchingGrid grid;
    BallRecord balls[kBalls];
    BillboardFrame frame;  // only opens the sprite state

  private:
    void drawStars(float time) const;
};

extern MetaballEffect g_metaballs;
