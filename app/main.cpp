// main.cpp - the entry point of the production.
#include "app/demo_window.h"
#include "app/main_loop.h"
#include "demo/director.h"
#include "demo/startup.h"
#include "platform/platform.h"

namespace {
constexpr const char* kTitle = "Vexil Palisade 2.0";
}

int main(int, char**) {
    if (!g_demoWindow.create(kTitle)) return 0;  // create() has shown its messages
    if (!initDemo()) {
        platform::showMessage("Failed to initialize demo");
        return 0;
    }
    MainLoop loop(g_demoWindow, Director::frame);
    loop.run();
    // The music stops before the window (and a full-screen display mode) goes away.
    shutdownDemo();
    g_demoWindow.destroy();
    return 0;
}
