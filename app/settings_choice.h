// settings_choice.h - what the settings dialog's controls mean, apart from drawing them.
//
// The dialog offers three window sizes in a drop-down list, a Fullscreen box and the colour
// depth as two radio buttons, 16 and 32. OK writes the choices into the window object; the
// keyboard works the way a desktop dialog's does. Both are plain state, tested without a
// display; settings_dialog.cpp draws them.
#pragma once

class DemoWindow;

// One entry of the resolution list.
struct Resolution {
    const char* text;
    int width;
    int height;
};
constexpr int kResolutionCount = 3;
// The entry at a list index; index must be 0 to kResolutionCount - 1.
const Resolution& resolutionAt(int index);

// The controls' state. Every run starts from these defaults.
struct SettingsChoice {
    int resolution = 0;        // index in the list: "640*480"
    bool fullscreen = false;   // the Fullscreen box
    bool sixteenBits = false;  // the "16" button; "32" otherwise
};

// What OK does: a checked box sets full screen (an unchecked one leaves the window as it
// is), an index in the list sets the size (any other leaves it), and the buttons set 16 or
// 32 bits of colour.
void applySettings(const SettingsChoice& choice, DemoWindow& window);

// The controls that take the keyboard, in tab order. The two depth buttons are one group,
// one stop.
enum class SettingsControl { None, Resolution, Fullscreen, Depth, Ok, Cancel };

enum class SettingsKey { Tab, BackTab, Up, Down, Left, Right, Space, Enter, Escape };

enum class SettingsOutcome { Open, Ok, Cancel };

// The dialog's keyboard. The resolution list has the focus at first, so the arrows choose at
// once; Tab and Shift+Tab move it around the controls. The arrows change the list's entry
// (without wrapping) and the depth buttons; space toggles the box and presses the focused
// button. Enter is OK unless Cancel has the focus, Escape is Cancel. While the list is dropped
// down, Enter and Escape only close it.
struct SettingsDialogState {
    SettingsChoice choice;
    SettingsControl focus = SettingsControl::Resolution;
    bool listOpen = false;

    SettingsOutcome press(SettingsKey key);
};
