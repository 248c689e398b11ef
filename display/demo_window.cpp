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
    const char* failed = setUpWindow();
    if (failed) {
        // One message: what failed, and the driver's reason.
        const std::string text =
            std::string("Failed to initialize window: ") + failed + ": " + platform::videoError();
        platform::showMessage(text.c_str());
        return false;
    }
    return true;
}

const char* DemoWindow::setUpWindow() {
    // The display mode changes before the window exists, as a full-screen window is sized
    // to it. A size the display has no mode for plays in the desktop's mode, scaled.
    int desktopWidth = 0, desktopHeight = 0;
    if (fullscreen && !platform::changeDisplayMode(width, height, colorBits) &&
        platform::desktopSize(desktopWidth, desktopHeight)) {
        std::fprintf(stderr,
                     "palisade: the display has no %dx%d mode; full screen in the desktop's "
                     "%dx%d, the picture drawn at %dx%d and scaled to fit\n",
                     width, height, desktopWidth, desktopHeight, width, height);
    }
    platform::WindowDesc desc;
    desc.title = title;
    desc.width = width;
    desc.height = height;
    desc.colorBits = colorBits;
    desc.depthBits = depthBits;
    desc.fullscreen = fullscreen;
    window = platform::createWindow(desc);
    if (!window) return "cannot create the window";
    if (!platform::createContext(window)) return "cannot get an OpenGL context";
    if (!platform::makeCurrent(window)) return "cannot make the OpenGL context current";
    platform::showWindow(window);
    resetProjection();
    return nullptr;
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
