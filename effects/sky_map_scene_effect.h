// sky_map_scene_effect.h - plays the scene "cransscene.lws" lit by its own lights, with a
// second image ("textures\skymap.png") on texture unit 1, projected from object space and
// scrolling with time, added onto the lit colours like a passing sky reflection.
#pragma once

#include "effects/effect.h"
#include "scene/scene.h"

class SkyMapSceneEffect : public Effect {
  public:
    void prepare() override;
    void render(float time, float delta) override;

    Scene scene;

  private:
    unsigned skyTexture_ = 0;  // OpenGL name of the sky map, 0 when it is not loaded
};

extern SkyMapSceneEffect g_skyMapScene;
