#include "effects/sky_map_scene_effect.h"

#include "glext/extensions.h"
#include "texture/texture_cache.h"

SkyMapSceneEffect g_skyMapScene;

namespace {

constexpr const char* kSkyMap = "textures\\skymap.png";

// One repeat of the sky map every 100 units of object space, in x and y.
const GLfloat kPlaneS[4] = {0.01f, 0.0f, 0.0f, 0.0f};
const GLfloat kPlaneT[4] = {0.0f, 0.01f, 0.0f, 0.0f};

}  // namespace

void SkyMapSceneEffect::prepare() {
    if (glext::glActiveTextureARB) {
        glext::glActiveTextureARB(GL_TEXTURE1_ARB);
        g_textureCache.bind(kSkyMap);  // reports a missing image once, here
        glext::glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    skyTexture_ = g_textureCache.find(kSkyMap);
    scene.load("cransscene.lws");
}

void SkyMapSceneEffect::render(float time, float) {
    // Unit 1's set-up lives only while the scene is drawn, so no other drawing gets the sky
    // added; its scroll follows the time, not the number of frames drawn.
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_LIGHTING_BIT | GL_POLYGON_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);

    const bool multitexture = glext::glActiveTextureARB != nullptr;
    if (multitexture) {
        glext::glActiveTextureARB(GL_TEXTURE1_ARB);
        glBindTexture(GL_TEXTURE_2D, skyTexture_);
        glEnable(GL_TEXTURE_2D);
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
        glTexGenfv(GL_S, GL_OBJECT_PLANE, kPlaneS);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
        glTexGenfv(GL_T, GL_OBJECT_PLANE, kPlaneT);
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
        glTexEnvf(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_ADD);
        glMatrixMode(GL_TEXTURE);
        glPushMatrix();
        glLoadIdentity();
        glTranslatef(0.01f * time, 0.0f, 0.0f);
        glMatrixMode(GL_MODELVIEW);
        glext::glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    // Items are scaled by their envelopes: without this a scaled object's normals would
    // dim or brighten it with its size.
    glEnable(GL_NORMALIZE);

    scene.draw(time);

    if (multitexture) {
        glext::glActiveTextureARB(GL_TEXTURE1_ARB);
        glMatrixMode(GL_TEXTURE);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glext::glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    glPopAttrib();
}
