#include "tests/support/test_support.h"

#include <GL/gl.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "display/demo_window.h"
#include "platform/platform.h"

namespace testsupport {

namespace {
std::vector<std::string> g_messages;
void collect(const char* text) {
    g_messages.emplace_back(text);
}
}  // namespace

MessageCapture::MessageCapture() {
    g_messages.clear();
    platform::setMessageSink(collect);
}
MessageCapture::~MessageCapture() {
    platform::setMessageSink(nullptr);
}
const std::vector<std::string>& MessageCapture::messages() const {
    return g_messages;
}
void MessageCapture::clear() {
    g_messages.clear();
}

namespace {
// A small window whose context lives as long as the test binary: every test window's context
// shares its textures and display lists, so GL objects survive a change of window size.
platform::Window* g_rootWindow = nullptr;

bool makeRootContext() {
    if (g_rootWindow) return platform::makeCurrent(g_rootWindow);
    platform::WindowDesc desc;
    desc.title = "palisade test root";
    desc.width = 16;
    desc.height = 16;
    g_rootWindow = platform::createWindow(desc);
    if (!g_rootWindow || !platform::createContext(g_rootWindow)) return false;
    platform::setContextSharing(true);
    return platform::makeCurrent(g_rootWindow);
}
}  // namespace

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "palisade_test_XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const {
    return path_ + "/" + name;
}

ToolRun runCommand(const std::string& command) {
    ToolRun run{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return static_cast<bool>(out);
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

bool ensureGlContext(int width, int height) {
    DemoWindow& w = g_demoWindow;
    if (w.window && w.width == width && w.height == height) return true;
    w.destroy();
    if (!makeRootContext()) return false;
    w.width = width;
    w.height = height;
    w.fullscreen = false;
    return w.create("palisade test");
}

std::vector<uint8_t> readPixels(int x, int y, int width, int height) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

Rgba pixelFromTop(int x, int yFromTop) {
    const std::vector<uint8_t> p = readPixels(x, g_demoWindow.height - 1 - yFromTop, 1, 1);
    return Rgba{p[0], p[1], p[2], p[3]};
}

}  // namespace testsupport
