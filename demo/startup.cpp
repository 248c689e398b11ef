#include "demo/startup.h"

#include <GL/gl.h>

#include <string>

#include "archive/archive.h"
#include "glext/extensions.h"
#include "mesh/mesh_library.h"
#include "music/music_player.h"
#include "platform/platform.h"
#include "texture/texture_cache.h"

namespace {

int loadCurrentExtensions() {
    return initExtensions();
}

// The state every part assumes unless it pushes its own.
void setGlobalGlState() {
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
}

}  // namespace

bool checkDataArchive() {
    const char* problem = Archive::check(Archive::dataPath());
    if (!problem) return true;
    const std::string text =
        std::string("Cannot read the data archive ") + Archive::dataPath() + ": " + problem;
    platform::showMessage(text.c_str());
    return false;
}

bool initDemo(ExtensionLoader loadExtensions) {
    // The checks come before any loading, so a machine that cannot run the demo learns it at
    // once.
    if ((loadExtensions ? loadExtensions : loadCurrentExtensions)() != 0) {
        platform::showMessage("Cannot load the OpenGL driver's extension functions");
        return false;
    }
    if (!g_extensions.ARB_multitexture) {
        platform::showMessage("ARB_multitexture not supported");
        return false;
    }
    if (!g_extensions.ARB_texture_cube_map) {
        platform::showMessage("ARB_texture_cube_map not supported");
        return false;
    }

    setGlobalGlState();
    sharedQuadric();
    initImageLibrary();

    // Every texture and object of the archive, in archive order, textures first.
    g_textureCache.loadDirectory("textures");
    g_meshLibrary.loadDirectory("lwos");

    // A music failure has shown its own message and leaves the demo silent; it does not
    // stop the start-up.
    g_musicPlayer.init(44100, 32);
    g_musicPlayer.open("Palisade_2.0_by_Quillon___Tinmoth.xm", false);
    g_musicPlayer.play();
    return true;
}

void shutdownDemo() {
    g_musicPlayer.close();
}
