// scene.cpp - loading a scene from the data archive, and drawing it through OpenGL.
#include "scene/scene.h"

#include <GL/gl.h>

#include <cstdlib>

#include "archive/archive.h"
#include "mesh/mesh_library.h"
#include "platform/platform.h"

namespace {

// Radians to degrees with the single-precision factors the program has always used.
float degrees(float radians) {
    return radians * 180.0f * 0.31830987f;
}

}  // namespace

bool Scene::load(const char* entryName) {
    size_t size = 0;
    unsigned char* data = Archive::loadEntry(&size, entryName);
    if (!data) {
        clear();
        name = entryName ? entryName : "";
        platform::showMessageWith("Scene could not be read: %s", entryName);
        return false;
    }
    std::vector<std::string> problems;
    read(entryName, reinterpret_cast<const char*>(data), size, &problems);
    std::free(data);
    // Each problem is a message of its own; a badly damaged file shows the first few.
    for (size_t i = 0; i < problems.size() && i < size_t(kMaxMessages); ++i)
        platform::showMessage(problems[i].c_str());
    if (problems.size() > size_t(kMaxMessages)) {
        const std::string more = name + ": " + std::to_string(problems.size() - kMaxMessages) +
                                 " more problems (lwsinfo lists them all)";
        platform::showMessage(more.c_str());
    }
    return true;
}

void Scene::applyMotion(const SceneItem& item, float time) const {
    const ItemMotion m = motion(item, time);
    glTranslatef(m.position.x, m.position.y, m.position.z);
    glRotatef(degrees(m.heading), 0.0f, 1.0f, 0.0f);
    glRotatef(degrees(m.pitch), 1.0f, 0.0f, 0.0f);
    glRotatef(degrees(m.bank), 0.0f, 0.0f, 1.0f);
    if (m.scaled) glScalef(m.scale.x, m.scale.y, m.scale.z);
}

void Scene::applyCameraMotion(int camera, float time) const {
    if (camera >= 0 && camera < int(cameras.size())) applyMotion(items[cameras[camera]], time);
}

void Scene::draw(float time, bool material) {
    if (nodes.empty()) return;
    // Forward, like any item: the scenes are keyed for the world moving in front of the eye.
    applyCameraMotion(0, time);
    // Lights first, so that every object is lit by where the lights are at this time.
    for (int pass : {2, 1}) {
        for (int child : nodes[0].children) {
            glPushMatrix();
            drawNode(child, time, pass, material);
            glPopMatrix();
        }
    }
}

void Scene::drawNode(int node, float time, int pass, bool material) {
    if (node <= 0 || node >= int(nodes.size())) return;
    SceneItem& item = items[nodes[node].item];
    applyMotion(item, time);
    if (item.type == kItemObject && pass == 1) {
        // The lights this object does not exclude, at the positions the light pass captured.
        glPushMatrix();
        for (int k = 0; k < kMaxGlLights; ++k) glDisable(GL_LIGHT0 + k);
        int k = 0;
        for (size_t i = 0; i < lights.size() && k < kMaxGlLights; ++i) {
            const SceneItem& light = items[lights[i]];
            if (item.excludes(i) || !light.inTree) continue;
            glLoadMatrixf(light.lightMatrix);
            const GLfloat diffuse[4] = {light.lightColor[0], light.lightColor[1],
                                        light.lightColor[2], 1.0f};
            const GLfloat origin[4] = {0.0f, 0.0f, 0.0f, 1.0f};
            glLightfv(GL_LIGHT0 + k, GL_DIFFUSE, diffuse);
            glLightfv(GL_LIGHT0 + k, GL_POSITION, origin);
            glEnable(GL_LIGHT0 + k);
            ++k;
        }
        glPopMatrix();
        g_meshLibrary.draw(item.name.c_str(), item.layer, false, material);
    } else if (item.type == kItemLight && pass == 2) {
        glGetFloatv(GL_MODELVIEW_MATRIX, item.lightMatrix);
    }
    for (int child : nodes[node].children) {
        glPushMatrix();
        drawNode(child, time, pass, material);
        glPopMatrix();
    }
}
