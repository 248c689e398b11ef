// platform.h - the program's only view of the operating system.
//
// Everything that depends on the OS or on a windowing library sits behind these few calls:
// the window and its OpenGL context, the event queue, the message box, the high-resolution
// clock and GL entry-point lookup. The sound output has its own interface, platform/audio.h.
// The one backend today is SDL2 (platform_sdl.cpp); a native backend would be one more file
// implementing the functions declared here.
//
// Nothing here throws; operations that can fail return false or null.
#pragma once

#include <cstdint>

namespace platform {

// ---------------------------------------------------------------------------------------------
// Video, window and OpenGL context
// ---------------------------------------------------------------------------------------------

struct Window;  // opaque, owned by the backend

struct WindowDesc {
    const char* title = "";
    int width = 640;
    int height = 480;
    int colorBits = 32;  // 16 asks for a 5-6-5 colour buffer, anything else for 8-8-8
    int depthBits = 16;
    bool fullscreen = false;
};

// The buffer sizes in bits that createWindow asks the driver for; drivers may give more.
struct PixelFormat {
    int red, green, blue, alpha, depth, stencil;
};
PixelFormat pixelFormatFor(const WindowDesc& desc);

// Starts the video subsystem. Safe to call more than once.
bool initVideo();
// True where windows reach no person (SDL's offscreen and dummy drivers): nobody could answer
// a dialog or read a message box there.
bool videoIsHeadless();
// True where no display was found and SDL fell back to a headless driver by itself, without
// SDL_VIDEODRIVER naming one: a window would reach no person, and nobody asked for that.
bool displayMissing();
// Why the last video call failed, in SDL's words.
const char* videoError();

// Full screen only, before the window exists: checks that the display offers
// width x height (at colorBits where it can) and remembers the mode for createWindow. False
// where it has no such mode: a full-screen window then takes the desktop's mode.
bool changeDisplayMode(int width, int height, int colorBits);
// The desktop's mode on the first display; false where video cannot start.
bool desktopSize(int& width, int& height);
// Returns the display to the desktop mode and shows the cursor again. Safe to call
// when no mode was changed.
void restoreDisplayMode();

// Creates the window (not yet shown) with a double-buffered OpenGL-capable pixel format.
// Windowed: a client area of exactly width x height at the screen's top-left, not resizable.
// Full screen: borderless, cursor hidden, in the mode of changeDisplayMode, or where it found
// none in the desktop's mode: there the context (createContext) draws into a framebuffer of
// width x height, bound throughout, which swapBuffers shows scaled to fit with black bars.
Window* createWindow(const WindowDesc& desc);
// Creates the OpenGL compatibility context for the window.
bool createContext(Window* window);
bool makeCurrent(Window* window);
void showWindow(Window* window);
void swapBuffers(Window* window);
void setWindowTitle(Window* window, const char* text);
const char* windowTitle(Window* window);
// Releases the context and the window. Accepts null.
void destroyWindow(Window* window);

// Contexts created from now on share textures and display lists with the context current at
// their creation (tests keep their GL objects across windows of different sizes this way).
void setContextSharing(bool share);

// Entry point of an OpenGL function of the current context, or null.
void* glProcAddress(const char* name);

// ---------------------------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------------------------

enum class EventKind {
    Quit,            // the loop must end (posted by the program itself)
    CloseRequested,  // the user clicked the window's close box
    KeyDown,         // key holds the key
    Other,           // anything the program does not handle
};

enum Key : int {
    KeyUnknown = 0,
    KeyTab = 9,
    KeyEnter = 13,
    KeyEscape = 27,
    KeySpace = 32,
    KeyHome = 36,
    KeyLeft = 37,
    KeyUp = 38,
    KeyRight = 39,
    KeyDown = 40,
};

struct Event {
    EventKind kind = EventKind::Other;
    int key = KeyUnknown;
    bool repeat = false;  // KeyDown sent again because the key is held
};

// Takes at most one event from the queue. False when none is waiting.
bool pollEvent(Event& out);
// Appends an event to the queue (the program posts Quit this way; tests post anything).
void postEvent(const Event& event);

// ---------------------------------------------------------------------------------------------
// Message box
// ---------------------------------------------------------------------------------------------

// Shows text in a modal box with the caption "Error" and a warning icon. Where no display can
// show it (headless drivers, no window system), the same text goes to standard error.
void showMessage(const char* text);
// The same with format's one %s filled with text (null reads as empty).
void showMessageWith(const char* format, const char* text);

// Tests and tools can capture messages instead of showing them; null restores the default.
using MessageSink = void (*)(const char* text);
void setMessageSink(MessageSink sink);

// How many messages the program has shown (or handed to the sink) since it started: a run
// that must report success or failure (a capture, a tool) asks whether anything went wrong.
int messagesShown();

// ---------------------------------------------------------------------------------------------
// Clock
// ---------------------------------------------------------------------------------------------

// High-resolution counter and its ticks per second.
int64_t counter();
int64_t counterFrequency();

// Lockstep running: the counter stops following real time and advances only through
// advanceManualClock, so every reader of the clock sees exactly the same times on every run.
void useManualClock(int64_t frequency);
void advanceManualClock(int64_t ticks);
void useRealClock();
bool manualClockActive();

// Seconds from an earlier reading of counter() to now.
double secondsSince(int64_t counterStart);

}  // namespace platform
