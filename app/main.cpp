// main.cpp - the entry point of the production.
#include <chrono>
#include <cstdio>
#include <string>

#include <GL/gl.h>

#include "app/command_line.h"
#include "app/data_location.h"
#include "app/lockstep_run.h"
#include "app/main_loop.h"
#include "app/playback_controls.h"
#include "app/settings_dialog.h"
#include "app/video_export.h"
#include "archive/archive.h"
#include "demo/director.h"
#include "demo/effect_catalog.h"
#include "demo/startup.h"
#include "display/demo_window.h"
#include "music/music_player.h"
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

// The reference of a frame-rate measurement: the frame is only cleared.
bool clearFrame(void*, float, float) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return true;
}

bool directorFrame(void*, float time, float frameTime) {
    return Director::frame(time, frameTime);
}

bool effectFrame(void* entry, float time, float frameTime) {
    drawEffectFrame(*static_cast<const EffectEntry*>(entry), time, frameTime);
    return true;
}

void listEffects(FILE* out) {
    for (int i = 0; i < effectCount(); ++i)
        std::fprintf(out, "  %-18s %s\n", effectAt(i).name, effectAt(i).description);
}

// Puts the song at the start of an order; the time it starts at, or -1 after a message.
double seekToStartOrder(int order) {
    const double seconds = g_musicPlayer.seekToOrder(order);
    if (seconds < 0)
        std::fprintf(stderr, "palisade: the song has no order %d; starting from the top\n", order);
    return seconds < 0 ? 0.0 : seconds;
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
    const EffectEntry* effect = nullptr;
    if (options.effect == "list") {
        listEffects(stdout);
        return 0;
    }
    if (!options.effect.empty() && !(effect = findEffect(options.effect.c_str()))) {
        std::fprintf(stderr, "palisade: no effect named '%s'; the effects are:\n",
                     options.effect.c_str());
        listEffects(stderr);
        return 2;
    }
    if (!options.clearOnly) {
        const DataLocation data = locateData(options.dataPath, PALISADE_INSTALLED_DATA);
        if (data.path.empty()) {
            platform::showMessage(dataNotFoundMessage(data).c_str());
            return 1;
        }
        Archive::setDataPath(data.path.c_str());
        if (!checkDataArchive()) return 1;
    }
    std::string videoProblem;
    if (!options.videoPath.empty() && !canWriteVideo(options.videoPath, videoProblem)) {
        std::fprintf(stderr, "palisade: %s\n", videoProblem.c_str());
        return 1;
    }
    // Without any display SDL falls back to its offscreen driver by itself: a real-time run
    // would then play on unseen until it is killed. Lockstep runs need no display.
    if (!options.lockstep() && platform::displayMissing()) {
        platform::showMessage(
            "No display to show the production on (--capture, --video and --measure need none)");
        return 1;
    }
    // Cancel ends the program before any window exists; a dialog that cannot open leaves
    // the defaults.
    if (options.dialogWanted() && runSettingsDialog(g_demoWindow) == SettingsResult::Cancel)
        return 0;
    applyDisplayOptions(options, g_demoWindow);
    if (options.lockstep()) {
        // Every clock follows the frames from here on, and the music is mixed in step.
        beginLockstepClock(options.fps);
        g_demoWindow.frameClock.reset();
        g_musicPlayer.useLockstep(true);
    }

    if (!g_demoWindow.create(kTitle)) return 1;  // create() has shown its messages
    if (options.clearOnly) {
        const int status = runLockstep(options, g_demoWindow, clearFrame, nullptr, 0.0);
        g_demoWindow.destroy();
        return status;
    }
    if (!initDemo()) {
        platform::showMessage("Failed to initialize demo");
        return 1;
    }
    const int orders = g_musicPlayer.orderCount();
    if (options.startOrder >= 0 && orders >= 0 && options.startOrder >= orders) {
        std::fprintf(stderr,
                     "palisade: --start-order %d: the song has %d orders, 0 to %d\n"
                     "Try 'palisade --help'.\n",
                     options.startOrder, orders, orders - 1);
        shutdownDemo();
        g_demoWindow.destroy();
        return 2;
    }
    const double startSeconds =
        options.startOrder >= 0 ? seekToStartOrder(options.startOrder) : 0.0;

    // One effect alone, or the production.
    const FrameFunction draw = effect ? effectFrame : directorFrame;
    void* const user = const_cast<EffectEntry*>(effect);
    int status = 0;
    if (options.lockstep()) {
        status = runLockstep(options, g_demoWindow, draw, user, startSeconds);
    } else {
        MainLoop loop(g_demoWindow, draw, user);
        PlaybackControls controls(g_demoWindow.frameClock, g_musicPlayer, options.loop);
        loop.setControls(&controls);
        KeyScript keys(options.keys);
        loop.start(startSeconds);
        const auto started = std::chrono::steady_clock::now();
        do {
            keys.postDue(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        } while (loop.iterate());
    }
    // The music stops before the window (and a full-screen display mode) goes away.
    shutdownDemo();
    g_demoWindow.destroy();
    return status;
}
