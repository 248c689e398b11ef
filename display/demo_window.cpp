#include "display/demo_window.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <string>

DemoWindow g_demoWindow;

bool DemoWindow::startVideo() {
    return platform::initVideo();
}

bool DemoWindow::create(const char* windowTitle) {
    title = windowTitle;
    if (!startVideo()) {
        const std::string text =
            std::string("Cannot open the video driver: ") + platform::videoError();
        platform::showMessage(text.c_str());
        return false;
    }
    if (!setUpWindow()) {
        platform::showMessage("Failed to initialize window");
        return false;
    }
    return true;
}

bool DemoWindow::setUpWindow() {
    // The display mode changes before the window exists, as a full-screen window is sized
    // to it.
    if (fullscreen && !platform::changeDisplayMode(width, height, colorBits)) {
        platform::showMessage("Failed to change screenmode");
        return false;
    }
    platform::WindowDesc desc;
    desc.title = title;
    desc.width = width;
    desc.height = height;
    desc.colorBits = colorBits;
    desc.depthBits = depthBits;
    desc.fullscreen = fullscreen;
    window = platform::createWindow(desc);
    if (!window) {
        std::fprintf(stderr, "Failed to create window: %s\n", platform::videoError());
        platform::showMessage("Failed to create window");
        return false;
    }
    if (!platform::createContext(window)) {
        std::fprintf(stderr, "Failed to get a rendering context: %s\n", platform::videoError());
        platform::showMessage("Failed to get a rendering context");
        return false;
    }
    if (!platform::makeCurrent(window)) {
        platform::showMessage("Failed to make the rendering context current");
        return false;
    }
    platform::showWindow(window);
    resetProjection();
    return true;
}

void DemoWindow::destroy() {
    if (window) {
        platform::destroyWindow(window);
        window = nullptr;
    }
    if (fullscreen) platform::restoreDisplayMode();
}

void DemoWindow::swapBuffers() {
    platform::swapBuffers(window);
}

void DemoWindow::setTitle(const char* text) {
    platform::setWindowTitle(window, text);
}

void DemoWindow::resetProjection() {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, width * (1.0 / height), 1.0, 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
