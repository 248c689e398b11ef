// The program itself as a user or a script runs it: two captures of one span give the same
// bytes; the effect viewer; bad input (docs/bad-input.md): what it says, does and leaves.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive_walker.h"
#include "demo/effect_catalog.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::readFile;

constexpr const char* kHeadless = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy";
const std::string kData = std::string(" --data ") + PALISADE_DATA;

// A run that does not end by itself is stopped after a minute (status 124).
testsupport::ToolRun palisade(const std::string& environment, const std::string& arguments) {
    return testsupport::runCommand(environment + " timeout 60 " + PALISADE_EXE + " " + arguments +
                                   " 2>&1");
}

std::vector<std::string> filesIn(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(directory)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Capture, TwoRunsOfTheSameSpanAreIdentical) {
    testsupport::TempDir temp;
    for (const char* dir : {"a", "b"}) {
        const auto run =
            palisade(kHeadless, kData + " --capture " + temp.file(dir) +
                                    " --window 160x120 --fps 25 --frames 6 --start-order 4");
        ASSERT_EQ(run.status, 0) << run.out;
    }
    const std::vector<std::string> names = filesIn(temp.file("a"));
    EXPECT_EQ(names.size(), 7u);  // six frames and the sound
    for (const std::string& name : names)
        EXPECT_EQ(readFile(temp.file("a/" + name)), readFile(temp.file("b/" + name))) << name;
    // Frames of the window's size: the width and height of the PNG's header, 160 and 120.
    const std::vector<uint8_t> png = readFile(temp.file("a/frame00000.png"));
    EXPECT_EQ(png.size() > 24 ? png[19] * 1000 + png[23] : 0, 160 * 1000 + 120);
    // The sound covers the six frames: 6 / 25 s of 16-bit stereo after a 44-byte header.
    EXPECT_EQ(readFile(temp.file("a/audio.wav")).size(), 44u + 44100 * 6 / 25 * 4);
}

// The list and the refusal come before the archive is looked for.
TEST(EffectViewer, ListsEveryEffectAndRefusesAnUnknownName) {
    const auto list = testsupport::runCommand(std::string(PALISADE_EXE) + " --effect list");
    const auto refused =
        palisade(kHeadless, "--data /none.rar --effect no-such --frames 1 --measure");
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.out.find("palisade: no effect named 'no-such'; the effects are:\n"), 0u)
        << refused.out;
    std::string lines;
    for (int i = 0; i < effectCount(); ++i) {
        char line[256];
        std::snprintf(line, sizeof line, "  %-18s %s\n", effectAt(i).name, effectAt(i).description);
        lines += line;
    }
    EXPECT_EQ(list.out, lines);
    EXPECT_NE(refused.out.find(lines), std::string::npos) << refused.out;
}

// One byte of an entry's packed data changed: the entry fails its check when read, and the
// rest of the archive reads as before.
std::vector<uint8_t> damaged(const std::string& entry) {
    std::vector<uint8_t> bytes = readFile(PALISADE_DATA);
    rar::MemorySource source(bytes.data(), bytes.size());
    rar::ArchiveWalker walker(source);
    rar::FileHeader header;
    if (!walker.open()) return {};
    while (walker.next(header) == rar::WalkStep::File)
        if (header.name == entry) bytes[header.dataStart + header.packedSize / 2] ^= 0x55;
    return bytes;
}

TEST(BadInput, OptionsArchivesAssetsDisplaysAndOutputPlaces) {
    testsupport::TempDir temp;
    std::ofstream(temp.file("plain")) << "a file, not a directory\n";
    std::vector<uint8_t> cut = readFile(PALISADE_DATA);
    cut.resize(cut.size() / 2);
    testsupport::writeFile(temp.file("cut.rar"), cut);
    testsupport::writeFile(temp.file("texture.rar"), damaged("textures\\noise.png"));
    const std::string noDisplay =
        "env -u SDL_VIDEODRIVER -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy";
    const std::string frames = " --window 64x48 --frames 1 --capture " + temp.file("frames");
    const std::string archive = "Error: Cannot read the data archive " + temp.path();
    const struct {
        std::string environment, arguments;
        int status;
        std::string said;
    } cases[] = {
        // Help and version go before the archive is looked for.
        {kHeadless, "--data /none.rar --help", 0, "Usage: palisade [OPTIONS]\n"},
        {kHeadless, "--data /none.rar --version", 0, "palisade " PALISADE_VERSION "\n"},
        {kHeadless, "--frame 3", 2, "palisade: unknown option --frame\nTry 'palisade --help'.\n"},
        {kHeadless, "--window 800 --help", 2, "palisade: --window: expected a size like 800x600\n"},
        {kHeadless, "--capture " + temp.file("frames"), 2,
         "palisade: a lockstep run needs --frames N or --duration S\n"},
        {kHeadless, "--no-dialog --data " + temp.file("nothere.rar"), 1,
         archive + "/nothere.rar: no such file\n"},
        {kHeadless, "--data " + temp.file("cut.rar") + frames, 1, archive + "/cut.rar: damaged\n"},
        {kHeadless, "--data " + temp.path() + frames, 1, archive + ": a directory\n"},
        {"SDL_VIDEODRIVER=no-such-driver SDL_AUDIODRIVER=dummy", kData + " --no-dialog", 1,
         "Error: Cannot open the video driver: no-such-driver not available\n"},
        {kHeadless, kData + " --start-order 99" + frames, 2,
         "palisade: --start-order 99: the song has 32 orders, 0 to 31\n"},
        {noDisplay, kData, 1,
         "Error: No display to show the production on (--capture, --video and --measure need "
         "none)\n"},
        {kHeadless, kData + " --frames 1 --capture " + temp.file("plain") + "/frames", 1,
         "palisade: cannot write into " + temp.file("plain") + "/frames: Not a directory\n"},
        {kHeadless, kData + " --frames 1 --video " + temp.file("plain") + "/clip.mp4", 1,
         "palisade: cannot write " + temp.file("plain") + "/clip.mp4: there is no directory " +
             temp.file("plain") + "\n"},
        {kHeadless, kData + " --frames 1 --video " + temp.file("a.avi"), 1,
         "palisade: cannot tell the video format of " + temp.file("a.avi")},
        // Ten seconds of the tube flight, which binds the texture on every frame: one message,
        // and every frame is written all the same.
        {kHeadless,
         "--data " + temp.file("texture.rar") + " --window 96x72 --fps 2 --frames 20 --capture " +
             temp.file("texture"),
         1, "palisade: 1 error message was shown during the run\n"},
        // Cleared frames only need no archive.
        {kHeadless, "--data /none.rar --measure --clear-only --frames 2 --window 66x48", 0,
         "2 frames at 66x48 in "},
        // Without a display a lockstep run needs none.
        {noDisplay, kData + " --window 64x48 --frames 1 --capture " + temp.file("unseen"), 0,
         "wrote 1 frames and audio.wav to " + temp.file("unseen")},
    };
    for (const auto& c : cases) {
        const auto run = palisade(c.environment, c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << ":\n" << run.out;
        EXPECT_NE(run.out.find(c.said), std::string::npos) << c.arguments << ":\n" << run.out;
    }
    EXPECT_FALSE(fs::exists(temp.file("frames"))) << "nothing is written before the checks";
    EXPECT_EQ(filesIn(temp.file("texture")).size(), 21u);
    EXPECT_EQ(filesIn(temp.file("unseen")).size(), 2u);
}

}  // namespace
