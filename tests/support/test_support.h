// test_support.h - what many test binaries share: captured messages and the offscreen GL
// context with pixel read-back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace testsupport {

// Collects every message the program would show, from construction to destruction.
class MessageCapture {
  public:
    MessageCapture();
    ~MessageCapture();
    const std::vector<std::string>& messages() const;
    void clear();
};

// A fresh directory under the system's temporary directory, removed with everything in it
// when the object goes. Tests write their files only in one of these.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;

  private:
    std::string path_;
};

// Runs a shell command and collects its standard output (redirect standard error in the
// command to take it too). status is the exit status, -1 when it did not exit normally.
struct ToolRun {
    int status;
    std::string out;
};
ToolRun runCommand(const std::string& command);

// A whole file's bytes; empty when it cannot be read.
std::vector<uint8_t> readFile(const std::string& path);
// Writes the bytes over the file; false when it cannot.
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
// How often part occurs in text, overlaps included.
size_t countOf(const std::string& text, const std::string& part);

// Makes (or resizes) the one offscreen OpenGL context of this test binary through the
// program's own window object, g_demoWindow. False when no context can be had.
bool ensureGlContext(int width = 640, int height = 480);

struct Rgba {
    uint8_t r, g, b, a;
};

// Pixels of the back buffer, rows bottom-up as OpenGL reads them.
std::vector<uint8_t> readPixels(int x, int y, int width, int height);
// One pixel, with y counted from the top of the window like the overlay space.
Rgba pixelFromTop(int x, int yFromTop);

// Base for GL tests: fails the test when there is no context.
class GlTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(ensureGlContext()) << "no offscreen OpenGL context"; }
};

}  // namespace testsupport
