#include "effects/object_grid_effect.h"

#include <GL/gl.h>

#include <cmath>

#include "effects/sphere_map.h"
#include "mesh/mesh_library.h"
#include "texture/texture_cache.h"

ObjectGridEffect g_objectGrid;

namespace {

constexpr float kCubeScale = 0.1f;

}  // namespace

void ObjectGridEffect::prepare() {
    object = g_meshLibrary.find("lwos\\test-objrestatte.lwo");
}

void ObjectGridEffect::render(float time, float) {
    const MeshLayer* layer = object ? object->layer(0) : nullptr;
    if (!layer) return;
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    g_textureCache.bindSlot(static_cast<int>(std::fmod(0.2f * time, 30.0f)));
    enableSphereMapping();
    for (const Vector3& p : layer->points) {
        glPushMatrix();
        glTranslatef(p.x, p.y, p.z);
        glScalef(kCubeScale, kCubeScale, kCubeScale);
        g_meshLibrary.draw("lwos\\cube-s.lwo", 0);
        glPopMatrix();
    }
    glPopAttrib();
}
