// tunnel_scene_effect.h - plays the scene "tunnel.lws": rings of small cubes rolling round a
// tunnel that the camera flies down, unlit and untextured in the current colour.
#pragma once

#include "effects/effect.h"
#include "scene/scene.h"

class TunnelSceneEffect : public Effect {
  public:
    void prepare() override;
    void render(float time, float delta) override;

    Scene scene;
};

extern TunnelSceneEffect g_tunnelScene;
