// main.cpp - the entry point of the production.
#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/demo_window.h"
#include "app/main_loop.h"
#include "demo/director.h"
#include "demo/startup.h"
#include "platform/platform.h"

namespace {

constexpr const char* kTitle = "Vexil Palisade 2.0";

void applyDisplayOptions(const LaunchOptions& options, DemoWindow& window) {
    if (options.windowGiven) {
        window.width = options.width;
        window.height = options.height;
    }
    if (options.depthGiven) window.colorBits = options.colorBits;
    if (options.fullscreen) window.fullscreen = true;
}

}  // namespace

int main(int argc, char** argv) {
    LaunchOptions options;
    std::string error;
    if (!parseCommandLine(argc, argv, options, error)) {
        std::fprintf(stderr, "palisade: %s\nTry 'palisade --help'.\n", error.c_str());
        return 2;
    }
    if (options.showHelp) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    if (options.showVersion) {
        std::printf("palisade %s\n", PALISADE_VERSION);
        return 0;
    }
    applyDisplayOptions(options, g_demoWindow);

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
