// object_grid_effect.h - a small cube on every point of a named object, sphere-mapped with a
// picture that changes every five seconds. Part of the library; the production does not show
// it.
#pragma once

#include "effects/effect.h"

class Mesh;

class ObjectGridEffect : public Effect {
  public:
    // Looks the object up; when it was not loaded nothing is drawn.
    void prepare() override;
    void render(float time, float delta) override;

    Mesh* object = nullptr;
};

extern ObjectGridEffect g_objectGrid;
