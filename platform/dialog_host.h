// dialog_host.h - a small window of its own in which the program draws a dialog with Dear ImGui.
//
// The host owns the window, its OpenGL context, the ImGui context and ImGui's platform and
// renderer backends. The dialog's own code (the settings dialog of the entry point) only
// makes ImGui calls between beginDialogFrame and renderDialogFrame, and reads the keyboard
// through ImGui, so it never sees the windowing library. The backend today is SDL2 with
// fixed-function OpenGL (dialog_sdl.cpp); a native backend would be one more file.
//
// Nothing here throws; operations that can fail return false or null.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

struct DialogHost;  // opaque, owned by the backend

struct DialogDesc {
    const char* title = "";
    int width = 256;  // client area in pixels
    int height = 256;
    // Open even where no person can see the window (videoIsHeadless): tests and screenshots.
    bool evenWhenHeadless = false;
};

// Opens the window centred on the screen, not resizable, in front of other windows, with an
// ImGui context of its own (no settings file). Null where no window can be made, and where
// the video driver shows nothing to a person unless evenWhenHeadless.
DialogHost* openDialog(const DialogDesc& desc);
// Hands the queued input to ImGui and starts an ImGui frame. Waits a little for input when
// none is queued, so an idle dialog does not spin. False when the user asked to close the
// window (its close box, or the session ending); the frame is started all the same.
bool beginDialogFrame(DialogHost* host);
// Ends the ImGui frame and draws it into the back buffer.
void renderDialogFrame(DialogHost* host);
// Shows the back buffer.
void presentDialogFrame(DialogHost* host);
// Closes the window and restores the OpenGL context that was current at openDialog.
// Accepts null.
void closeDialog(DialogHost* host);

// A picture for ImGui::Image: 8-bit RGBA rows, top row first. Null on failure. Released with
// the host.
void* dialogImage(DialogHost* host, const uint8_t* rgba, int width, int height);

// The back buffer as 8-bit RGB rows, top row first (read it after renderDialogFrame).
bool readDialogPixels(DialogHost* host, std::vector<uint8_t>& rgb, int& width, int& height);

// Synthetic input, as if the user had typed or clicked: a key of platform::Key pressed and
// released, or a click on the window's close box.
void postDialogKey(DialogHost* host, int key);
void postDialogClose(DialogHost* host);

}  // namespace platform
