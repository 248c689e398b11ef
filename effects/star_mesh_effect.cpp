#include "effects/star_mesh_effect.h"

#include <GL/gl.h>

#include "effects/sphere_map.h"
#include "mesh/mesh_library.h"
#include "texture/texture_cache.h"

StarMeshEffect g_starMesh;

void StarMeshEffect::prepare() {}

void StarMeshEffect::render(float t, float) {
    // A missing object is reported by the library's draw below; the points are skipped.
    const Mesh* mesh = objectName ? g_meshLibrary.find(objectName) : nullptr;
    const MeshLayer* layer = mesh ? mesh->layer(0) : nullptr;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glColor3f(1.0f, 0.0f, 0.0f);
    glPointSize(32.0f);
    glDepthMask(GL_FALSE);
    if (layer) {
        glBegin(GL_POINTS);
        for (const Vector3& p : layer->points) glVertex3fv(&p.x);
        glEnd();
    }
    glDepthMask(GL_TRUE);

    // Truncated towards zero; a time past the table (or not a number) binds nothing.
    const float slot = 0.1f * t;
    if (slot >= 1.0f && slot < TextureCache::kSlots)
        g_textureCache.bindSlot(static_cast<int>(slot));
    glEnable(GL_TEXTURE_2D);
    glColor3f(1.0f, 1.0f, 1.0f);
    enableSphereMapping();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (objectName) g_meshLibrary.draw(objectName, Mesh::kAllLayers);
    glPopAttrib();
}
