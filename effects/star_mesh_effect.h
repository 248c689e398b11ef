// star_mesh_effect.h - a named object drawn twice: its points as large red dots, then the whole
// object mirroring a texture that changes every ten seconds (taken from the texture table by
// slot). The production prepares it and names its object, but no part draws it.
#pragma once

#include "effects/effect.h"

class StarMeshEffect : public Effect {
  public:
    void prepare() override;
    // t picks the texture: slot t / 10 of the texture table, from slot 1 on (before that the
    // object keeps the texture bound before). The delta is not used.
    void render(float t, float delta) override;

    // The name is kept as given, not copied.
    void setObjectName(const char* name) { objectName = name; }

    const char* objectName = nullptr;
    BillboardFrame sprites;  // not used by the drawing
};

extern StarMeshEffect g_starMesh;
