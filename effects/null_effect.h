// null_effect.h - the effect that draws nothing: a stand-in that leaves no trace.
#pragma once

#include "effects/effect.h"

class NullEffect : public Effect {
  public:
    void prepare() override {}
    // Touches only enable bits, and restores them.
    void render(float time, float delta) override;
};

extern NullEffect g_null;
