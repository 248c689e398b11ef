// dialog_sdl.cpp - SDL2 backend of the dialog host: an SDL window with a fixed-function OpenGL
// context, Dear ImGui's SDL2 platform backend and its OpenGL 2 renderer.
//
// Limits: one dialog at a time (ImGui's backends keep one global state each); the window is
// sized in pixels, without scaling for high-density displays.
// Depends on: SDL2, the system OpenGL library, Dear ImGui with its backends (libimgui-dev).
#include <GL/gl.h>
#include <SDL.h>
#include <imgui.h>

#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>

#include <algorithm>

#include "platform/dialog_host.h"
#include "platform/platform.h"

namespace platform {

struct DialogHost {
    SDL_Window* window = nullptr;
    SDL_GLContext gl = nullptr;
    ImGuiContext* imgui = nullptr;
    std::vector<GLuint> textures;
    // A key event held over to the next frame (see beginDialogFrame).
    SDL_Event heldKey{};
    bool keyHeld = false;
    // The context to make current again when the dialog closes.
    SDL_Window* previousWindow = nullptr;
    SDL_GLContext previousGl = nullptr;
};

namespace {

// How long an idle dialog waits for input before drawing again.
constexpr int kIdleWaitMs = 50;

void releaseHost(DialogHost* host) {
    if (host->imgui) {
        SDL_GL_MakeCurrent(host->window, host->gl);
        ImGui_ImplOpenGL2_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext(host->imgui);
    }
    if (host->gl) {
        if (!host->textures.empty())
            glDeleteTextures(static_cast<GLsizei>(host->textures.size()), host->textures.data());
        SDL_GL_MakeCurrent(host->window, nullptr);
        SDL_GL_DeleteContext(host->gl);
    }
    if (host->window) SDL_DestroyWindow(host->window);
    // What the dialog's window left in the queue is not the next window's business.
    SDL_FlushEvents(SDL_WINDOWEVENT, SDL_MOUSEWHEEL);
    if (host->previousGl) SDL_GL_MakeCurrent(host->previousWindow, host->previousGl);
    delete host;
}

bool isClose(const SDL_Event& e, Uint32 windowId) {
    return e.type == SDL_QUIT || (e.type == SDL_WINDOWEVENT && e.window.windowID == windowId &&
                                  e.window.event == SDL_WINDOWEVENT_CLOSE);
}

}  // namespace

DialogHost* openDialog(const DialogDesc& desc) {
    if (!initVideo()) return nullptr;
    if (videoIsHeadless() && !desc.evenWhenHeadless) return nullptr;

    DialogHost* host = new DialogHost;
    host->previousWindow = SDL_GL_GetCurrentWindow();
    host->previousGl = SDL_GL_GetCurrentContext();

    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    host->window = SDL_CreateWindow(desc.title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                    desc.width, desc.height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (host->window) host->gl = SDL_GL_CreateContext(host->window);
    if (!host->gl || SDL_GL_MakeCurrent(host->window, host->gl) != 0) {
        releaseHost(host);
        return nullptr;
    }

    host->imgui = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // nothing is kept between runs
    io.LogFilename = nullptr;
    if (!ImGui_ImplSDL2_InitForOpenGL(host->window, host->gl) || !ImGui_ImplOpenGL2_Init()) {
        releaseHost(host);
        return nullptr;
    }
    SDL_ShowWindow(host->window);
    SDL_RaiseWindow(host->window);
    return host;
}

bool beginDialogFrame(DialogHost* host) {
    if (!host->keyHeld && !SDL_PollEvent(nullptr)) SDL_WaitEventTimeout(nullptr, kIdleWaitMs);

    // ImGui sees only whether a key is down when the frame starts, so a press and its release
    // in one frame (a quick typist, synthetic input) would be lost, and so would a release
    // and the next press of the same key: a key's second change waits for the next frame.
    SDL_Scancode changed[16];
    int changedCount = 0;
    const Uint32 id = SDL_GetWindowID(host->window);
    bool open = true;
    SDL_Event e;
    while (true) {
        if (host->keyHeld) {
            e = host->heldKey;
            host->keyHeld = false;
        } else if (!SDL_PollEvent(&e)) {
            break;
        }
        if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) {
            const SDL_Scancode code = e.key.keysym.scancode;
            if (std::find(changed, changed + changedCount, code) != changed + changedCount ||
                changedCount == 16) {
                host->heldKey = e;
                host->keyHeld = true;
                break;
            }
            changed[changedCount++] = code;
        }
        if (isClose(e, id)) open = false;
        ImGui_ImplSDL2_ProcessEvent(&e);
    }
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    return open;
}

void renderDialogFrame(DialogHost* host) {
    ImGui::Render();
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(host->window, &w, &h);
    glViewport(0, 0, w, h);
    const ImVec4 back = ImGui::GetStyle().Colors[ImGuiCol_WindowBg];
    glClearColor(back.x, back.y, back.z, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
}

void presentDialogFrame(DialogHost* host) {
    SDL_GL_SwapWindow(host->window);
}

void closeDialog(DialogHost* host) {
    if (host) releaseHost(host);
}

void* dialogImage(DialogHost* host, const uint8_t* rgba, int width, int height) {
    if (!host || !rgba || width <= 0 || height <= 0) return nullptr;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    if (!texture) return nullptr;
    host->textures.push_back(texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    if (glGetError() != GL_NO_ERROR) return nullptr;
    return reinterpret_cast<void*>(static_cast<intptr_t>(texture));
}

bool readDialogPixels(DialogHost* host, std::vector<uint8_t>& rgb, int& width, int& height) {
    if (!host) return false;
    SDL_GL_GetDrawableSize(host->window, &width, &height);
    if (width <= 0 || height <= 0) return false;
    const size_t row = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> bottomUp(row * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    rgb.resize(bottomUp.size());
    for (int y = 0; y < height; ++y)
        std::copy_n(&bottomUp[row * (height - 1 - y)], row, &rgb[row * y]);
    return glGetError() == GL_NO_ERROR;
}

void postDialogKey(DialogHost* host, int key) {
    if (!host) return;
    SDL_Scancode code = SDL_SCANCODE_UNKNOWN;
    switch (key) {
        case KeyTab:
            code = SDL_SCANCODE_TAB;
            break;
        case KeyEnter:
            code = SDL_SCANCODE_RETURN;
            break;
        case KeyEscape:
            code = SDL_SCANCODE_ESCAPE;
            break;
        case KeySpace:
            code = SDL_SCANCODE_SPACE;
            break;
        case KeyLeft:
            code = SDL_SCANCODE_LEFT;
            break;
        case KeyUp:
            code = SDL_SCANCODE_UP;
            break;
        case KeyRight:
            code = SDL_SCANCODE_RIGHT;
            break;
        case KeyDown:
            code = SDL_SCANCODE_DOWN;
            break;
        default:
            return;
    }
    SDL_Event e{};
    e.key.windowID = SDL_GetWindowID(host->window);
    e.key.keysym.scancode = code;
    e.key.keysym.sym = SDL_GetKeyFromScancode(code);
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    SDL_PushEvent(&e);
    e.type = SDL_KEYUP;
    e.key.state = SDL_RELEASED;
    SDL_PushEvent(&e);
}

void postDialogClose(DialogHost* host) {
    if (!host) return;
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(host->window);
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
}

}  // namespace platform
