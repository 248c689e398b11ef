// platform_sdl.cpp - SDL2 backend of the platform layer.
//
// Platform: anything SDL2 runs on (X11, Wayland, KMS, and headless through the offscreen
// driver, which gives an EGL context on Mesa's llvmpipe).
// Limits: one window; full screen uses an SDL display mode of the first display; a 16-bit
// colour request asks for at least 5-6-5, so the driver may give more.
// Depends on: SDL2 (video and events), the system OpenGL library.
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/backend.h"
#include "platform/platform.h"
#include "platform/scaled_frame.h"

namespace platform {

namespace {

// A swap on a surface that nobody shows (the offscreen driver's pbuffer) returns at once and
// waits for nothing, so a real-time loop would queue frame after frame for the renderer and
// its memory would grow by the queued work. A fence after each frame, waited on after the
// next swap, keeps at most one frame in flight whatever the driver; a display that throttles
// its swaps has finished that frame by then, so the wait costs it nothing.
struct FrameFence {
    PFNGLFENCESYNCPROC fenceSync = nullptr;
    PFNGLCLIENTWAITSYNCPROC clientWaitSync = nullptr;
    PFNGLDELETESYNCPROC deleteSync = nullptr;
    GLsync previous = nullptr;

    // With the window's context current.
    void load() {
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        int major = 0, minor = 0;
        const bool core32 = version && std::sscanf(version, "%d.%d", &major, &minor) == 2 &&
                            (major > 3 || (major == 3 && minor >= 2));
        if (!core32 && !SDL_GL_ExtensionSupported("GL_ARB_sync")) return;
        fenceSync = reinterpret_cast<PFNGLFENCESYNCPROC>(SDL_GL_GetProcAddress("glFenceSync"));
        clientWaitSync =
            reinterpret_cast<PFNGLCLIENTWAITSYNCPROC>(SDL_GL_GetProcAddress("glClientWaitSync"));
        deleteSync = reinterpret_cast<PFNGLDELETESYNCPROC>(SDL_GL_GetProcAddress("glDeleteSync"));
        if (!fenceSync || !clientWaitSync || !deleteSync) fenceSync = nullptr;
    }
    bool available() const { return fenceSync != nullptr; }

    // After the swap of a frame: waits until the frame before it is drawn (a second at most).
    void afterSwap() {
        GLsync current = fenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
        if (previous) {
            clientWaitSync(previous, GL_SYNC_FLUSH_COMMANDS_BIT, 1000000000ull);
            deleteSync(previous);
        }
        previous = current;
    }
    void release() {
        if (previous) deleteSync(previous);
        previous = nullptr;
    }
};

}  // namespace

struct Window {
    SDL_Window* sdl = nullptr;
    SDL_GLContext gl = nullptr;
    FrameFence fence;
    // Full screen in the desktop's mode: the picture's size and buffers, and the framebuffer
    // it is drawn into.
    bool onDesktop = false;
    WindowDesc picture;
    ScaledFrame scaled;
};

// ---------------------------------------------------------------------------------------------
// Video, window and context
// ---------------------------------------------------------------------------------------------

namespace {

// Event type of the events the program posts itself (Quit, and whatever tests inject).
Uint32 g_programEventType = static_cast<Uint32>(-1);

// Full-screen mode chosen by changeDisplayMode, applied when the window is created.
bool g_modeChosen = false;
SDL_DisplayMode g_fullscreenMode;
bool g_cursorHidden = false;
bool g_shareContexts = false;

}  // namespace

bool initVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    // The close box is the program's business: it should not also produce SDL's own quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    // An event the program posts while handling another must be the next one taken, as the
    // loop relies on for its quit request; SDL's poll sentinel would delay it by one poll.
    SDL_SetHint(SDL_HINT_POLL_SENTINEL, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
    if (g_programEventType == static_cast<Uint32>(-1)) g_programEventType = SDL_RegisterEvents(1);
    // The screen saver and monitor power-down stay off while the program runs.
    SDL_DisableScreenSaver();
    return g_programEventType != static_cast<Uint32>(-1);
}

bool changeDisplayMode(int width, int height, int colorBits) {
    if (!initVideo()) return false;
    // The size must be exact; the depth is matched where the display offers it, since many
    // displays today have no 16-bit modes at all.
    bool found = false;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
        if (mode.w != width || mode.h != height) continue;
        const bool depthMatches = static_cast<int>(SDL_BITSPERPIXEL(mode.format)) == colorBits ||
                                  (colorBits == 32 && SDL_BITSPERPIXEL(mode.format) == 24);
        if (!found || depthMatches) g_fullscreenMode = mode;
        found = true;
        if (depthMatches) break;
    }
    if (!found) return false;
    g_modeChosen = true;
    return true;
}

bool desktopSize(int& width, int& height) {
    SDL_DisplayMode mode;
    if (!initVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
    width = mode.w;
    height = mode.h;
    return true;
}

void restoreDisplayMode() {
    // SDL returns the display to the desktop mode when the full-screen window goes away;
    // what is left to undo here is the cursor.
    g_modeChosen = false;
    if (g_cursorHidden && SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(SDL_ENABLE);
    g_cursorHidden = false;
}

Window* createWindow(const WindowDesc& desc) {
    if (!initVideo()) return nullptr;
    const PixelFormat format = pixelFormatFor(desc);
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, format.red);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, format.green);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, format.blue);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, format.alpha);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, format.depth);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, format.stencil);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, g_shareContexts ? 1 : 0);

    // Full screen in the chosen mode where changeDisplayMode found one, else in the desktop's.
    const bool onDesktop = desc.fullscreen && !g_modeChosen;
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (desc.fullscreen) flags |= SDL_WINDOW_BORDERLESS;
    flags |= onDesktop         ? SDL_WINDOW_FULLSCREEN_DESKTOP
             : desc.fullscreen ? SDL_WINDOW_FULLSCREEN
                               : 0;
    // In the desktop's mode the window is the desktop's size from the start, so that it
    // covers the screen even where no window manager makes it full screen.
    int width = desc.width, height = desc.height;
    if (onDesktop) desktopSize(width, height);
    SDL_Window* sdl = SDL_CreateWindow(desc.title, 0, 0, width, height, flags);
    if (!sdl) return nullptr;
    if (desc.fullscreen && g_modeChosen) SDL_SetWindowDisplayMode(sdl, &g_fullscreenMode);
    if (desc.fullscreen) {
        SDL_ShowCursor(SDL_DISABLE);
        g_cursorHidden = true;
    }

    Window* window = new Window;
    window->sdl = sdl;
    window->onDesktop = onDesktop;
    window->picture = desc;
    return window;
}

bool createContext(Window* window) {
    if (!window) return false;
    window->gl = SDL_GL_CreateContext(window->sdl);  // and makes it current
    if (!window->gl) return false;
    window->fence.load();
    // The window takes the desktop's size only once it is shown, so the picture goes through
    // its own framebuffer whatever the size is now.
    const WindowDesc& picture = window->picture;
    if (window->onDesktop && !window->scaled.create(picture.width, picture.height,
                                                    picture.colorBits, picture.depthBits)) {
        SDL_SetError("the driver cannot draw a %dx%d picture off screen to scale it", picture.width,
                     picture.height);
        return false;
    }
    return true;
}

bool makeCurrent(Window* window) {
    return window && window->gl && SDL_GL_MakeCurrent(window->sdl, window->gl) == 0;
}

void showWindow(Window* window) {
    if (window) SDL_ShowWindow(window->sdl);
}

void swapBuffers(Window* window) {
    if (!window) return;
    if (window->scaled.active()) {
        int width = 0, height = 0;
        SDL_GL_GetDrawableSize(window->sdl, &width, &height);
        window->scaled.present(width, height);
    }
    SDL_GL_SwapWindow(window->sdl);
    window->scaled.bind();
    if (window->fence.available()) {
        window->fence.afterSwap();
    } else if (videoIsHeadless()) {
        glFinish();  // no fences: the one way left to keep the queue from growing
    }
}

void setWindowTitle(Window* window, const char* text) {
    if (window) SDL_SetWindowTitle(window->sdl, text);
}

const char* windowTitle(Window* window) {
    return window ? SDL_GetWindowTitle(window->sdl) : "";
}

void destroyWindow(Window* window) {
    if (!window) return;
    if (window->gl) {
        if (SDL_GL_MakeCurrent(window->sdl, window->gl) == 0) {
            window->fence.release();
            window->scaled.release();
        }
        SDL_GL_MakeCurrent(window->sdl, nullptr);
        SDL_GL_DeleteContext(window->gl);
    }
    SDL_DestroyWindow(window->sdl);
    delete window;
}

void setContextSharing(bool share) {
    g_shareContexts = share;
}

void* glProcAddress(const char* name) {
    return SDL_GL_GetProcAddress(name);
}

// ---------------------------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------------------------

namespace {

int keyOf(SDL_Keycode sym) {
    switch (sym) {
        case SDLK_ESCAPE:
            return KeyEscape;
        case SDLK_TAB:
            return KeyTab;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return KeyEnter;
        case SDLK_SPACE:
            return KeySpace;
        case SDLK_HOME:
            return KeyHome;
        case SDLK_LEFT:
            return KeyLeft;
        case SDLK_UP:
            return KeyUp;
        case SDLK_RIGHT:
            return KeyRight;
        case SDLK_DOWN:
            return KeyDown;
        default:
            return KeyUnknown;
    }
}

}  // namespace

bool pollEvent(Event& out) {
    SDL_Event e;
    if (!SDL_PollEvent(&e)) return false;
    out = Event{};
    if (e.type == g_programEventType) {
        out.kind = static_cast<EventKind>(e.user.code);
        out.key = static_cast<int>(reinterpret_cast<intptr_t>(e.user.data1));
        out.repeat = e.user.data2 != nullptr;
    } else if (e.type == SDL_QUIT) {
        out.kind = EventKind::CloseRequested;  // the session or a signal asks us to stop
    } else if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) {
        out.kind = EventKind::CloseRequested;
    } else if (e.type == SDL_KEYDOWN) {
        out.kind = EventKind::KeyDown;
        out.key = keyOf(e.key.keysym.sym);
        out.repeat = e.key.repeat != 0;
    }
    return true;
}

void postEvent(const Event& event) {
    if (!initVideo()) return;
    SDL_Event e{};
    e.type = g_programEventType;
    e.user.code = static_cast<Sint32>(event.kind);
    e.user.data1 = reinterpret_cast<void*>(static_cast<intptr_t>(event.key));
    e.user.data2 = reinterpret_cast<void*>(static_cast<intptr_t>(event.repeat));
    SDL_PushEvent(&e);
}

// ---------------------------------------------------------------------------------------------
// Message box
// ---------------------------------------------------------------------------------------------

bool videoIsHeadless() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) driver = std::getenv("SDL_VIDEODRIVER");
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool displayMissing() {
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    return initVideo() && videoIsHeadless() && !(asked && *asked);
}

const char* videoError() {
    return SDL_GetError();
}

void showMessageBox(const char* text) {
    if (!videoIsHeadless()) {
        // The box waits for its button in a loop of its own, where the program's handling of
        // an interrupt or a termination request (a quit event) is never looked at: while it is
        // up, those signals end the program as they would any other.
        struct sigaction fallBack = {};
        struct sigaction previousInt = {};
        struct sigaction previousTerm = {};
        fallBack.sa_handler = SIG_DFL;
        sigemptyset(&fallBack.sa_mask);
        sigaction(SIGINT, &fallBack, &previousInt);
        sigaction(SIGTERM, &fallBack, &previousTerm);
        const bool shown =
            SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, "Error", text, nullptr) == 0;
        sigaction(SIGINT, &previousInt, nullptr);
        sigaction(SIGTERM, &previousTerm, nullptr);
        if (shown) return;
    }
    std::fprintf(stderr, "Error: %s\n", text);
}

// ---------------------------------------------------------------------------------------------
// Clock (real counter; the manual clock is in clock.cpp)
// ---------------------------------------------------------------------------------------------

int64_t realCounter() {
    return static_cast<int64_t>(SDL_GetPerformanceCounter());
}
int64_t realCounterFrequency() {
    return static_cast<int64_t>(SDL_GetPerformanceFrequency());
}

}  // namespace platform
