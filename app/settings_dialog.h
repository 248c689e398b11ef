// settings_dialog.h - the "Settings" dialog that opens before the demo window.
//
// A small window of its own: the production's splash picture above, and below it the
// resolution list, the Fullscreen box, the 16/32 colour-depth buttons, OK and Cancel. OK
// (or Enter) writes the choices into the window object; Cancel, Escape and the close box
// leave it untouched and tell the caller to end the program.
#pragma once

#include <functional>

class DemoWindow;
namespace platform {
struct DialogHost;
}

enum class SettingsResult {
    Ok,
    Cancel,
    Unavailable,  // no dialog could be shown: the window keeps its defaults
};

struct SettingsDialogOptions {
    // Open even where the video driver shows nothing to a person (tests, screenshots); the
    // program itself goes on with the defaults there, as nobody could answer.
    bool evenWhenHeadless = false;
    // Called after each frame is drawn and before it is shown, with the frame's number from
    // 0: tests read the picture back and post input here.
    std::function<void(platform::DialogHost*, int frame)> afterFrame;
};

// Shows the dialog until it is answered. The splash is "splash.png" of the data archive; the
// dialog shows without it when it cannot be read.
SettingsResult runSettingsDialog(DemoWindow& window, const SettingsDialogOptions& options = {});
