// The program itself given bad input, one kind at a time, as docs/bad-input.md lists them:
// what it says, the status it ends with, and what it leaves behind. Each damaged asset sits in
// an otherwise good copy of the build's data.rar, packed again with rarpack.
#include <signal.h>
#include <sys/resource.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive_walker.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kModule = "Palisade_2.0_by_Quillon___Tinmoth.xm";
constexpr const char* kHeadless = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ";

using testsupport::countOf;
using testsupport::readFile;
using testsupport::writeFile;
using Bytes = std::vector<uint8_t>;

// Status 124: still running after `seconds`, and stopped.
testsupport::ToolRun palisade(const std::string& environment, const std::string& arguments,
                              int seconds = 60) {
    return testsupport::runCommand(environment + " timeout " + std::to_string(seconds) + " " +
                                   PALISADE_EXE + " " + arguments + " 2>&1");
}

// A frame or sound file that was cut off: a PNG must end with its IEND chunk.
bool wholePng(const std::string& path) {
    const Bytes bytes = readFile(path);
    return bytes.size() > 12 && std::string(bytes.end() - 8, bytes.end() - 4) == "IEND";
}

// The build's archive unpacked once; each case packs a copy in which one file is changed.
class BadInput : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        temp_ = new testsupport::TempDir;
        const auto unpacked = testsupport::runCommand(std::string(RARPACK) + " x " + PALISADE_DATA +
                                                      " " + tree() + " 2>&1");
        ASSERT_EQ(unpacked.status, 0) << unpacked.out;
    }
    static void TearDownTestSuite() {
        delete temp_;
        temp_ = nullptr;
    }
    static std::string tree() { return temp_->file("tree"); }

    // data.rar with `entry` (a path under the unpacked tree) replaced by `bytes`.
    static std::string archiveWith(const std::string& name, const std::string& entry,
                                   const Bytes& bytes) {
        const fs::path copy = temp_->file(name);
        // Links to the unpacked files: rarpack stores a link to a file as the file.
        std::error_code error;
        fs::create_directories(copy, error);
        for (const auto& file : fs::recursive_directory_iterator(tree(), error)) {
            const fs::path to = copy / fs::relative(file.path(), tree(), error);
            if (file.is_directory())
                fs::create_directories(to, error);
            else
                fs::create_symlink(file.path(), to, error);
        }
        fs::remove(copy / entry, error);
        writeFile((copy / entry).string(), bytes);
        const std::string archive = temp_->file(name + ".rar");
        const auto packed = testsupport::runCommand(std::string(RARPACK) + " a -m0 " + archive +
                                                    " " + copy.string() + " 2>&1");
        EXPECT_EQ(packed.status, 0) << packed.out;
        return archive;
    }
    static Bytes original(const std::string& entry) { return readFile(tree() + "/" + entry); }
    static Bytes cut(Bytes bytes, size_t size) {
        bytes.resize(size);
        return bytes;
    }

    static testsupport::TempDir* temp_;
};

testsupport::TempDir* BadInput::temp_ = nullptr;

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

TEST_F(BadInput, DamagedAssetsInAGoodArchive) {
    // data.rar with one block header's size below the least a header has: the walk through
    // the archive cannot go on, so the archive as a whole is refused.
    Bytes header = readFile(PALISADE_DATA);
    {
        rar::MemorySource source(header.data(), header.size());
        rar::ArchiveWalker walker(source);
        rar::FileHeader entry;
        ASSERT_TRUE(walker.open());
        ASSERT_EQ(walker.next(entry), rar::WalkStep::File);
        ASSERT_EQ(walker.next(entry), rar::WalkStep::File);
        header[entry.blockStart + 5] = 3;  // header size, low byte
        header[entry.blockStart + 6] = 0;
    }
    const std::string badHeader = temp_->file("header.rar");
    writeFile(badHeader, header);

    struct Case {
        std::string what, archive, arguments;
        int status;
        bool goesOn;                    // the run goes on and writes every frame and the sound
        std::vector<std::string> said;  // each said exactly once
    };
    const std::string lockstep = " --window 96x72 --fps 2 --frames 2 --start-order ";
    const std::vector<Case> cases = {
        {"bad block header",
         badHeader,
         lockstep + "0",
         1,
         false,
         {"Error: Cannot read the data archive " + badHeader + ": damaged"}},
        {"texture that is no picture",
         archiveWith("texture", "textures/noise.png", text("scribbled over\n")),
         lockstep + "0",
         1,
         true,
         {"Error: Texture could not be decoded: textures\\noise.png",
          "palisade: 1 error message was shown during the run"}},
        {"object that is no IFF file",
         archiveWith("form", "lwos/star.lwo", text("RIFF....")),
         lockstep + "0",
         2,
         false,
         {}},
        // The spike ball is loaded twice, by the start-up and by its own effect: one message.
        {"object cut short",
         archiveWith("object", "lwos/spikeball.lwo", cut(original("lwos/spikeball.lwo"), 3000)),
         lockstep + "16",
         1,
         true,
         {"Error: Object lwos\\spikeball.lwo is damaged and was not loaded: PNTS chunk",
          "palisade: 1 error message was shown during the run"}},
        {"scene that is no scene",
         archiveWith("scene", "tunnel.lws", text("\x89PNG\r\n\x1a\n<binary>\n")),
         "--effect scene-tunnel --window 96x72 --frames 2",
         1,
         true,
         {"Error: tunnel.lws:1: not a LightWave scene: the text does not begin with LWSC; "
          "nothing is drawn"}},
        {"music module cut short",
         archiveWith("music", kModule, cut(original(kModule), original(kModule).size() / 2)),
         lockstep + "8",
         1,
         true,
         {"Failed to open fmusic module: the module is cut short: it ends at byte ",
          "Error: Failed to open fmusic module"}},
    };

    // Two at a time: a run is mostly start-up on one core.
    std::vector<testsupport::ToolRun> runs(cases.size());
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i; (i = next++) < cases.size();) {
            runs[i] = palisade(kHeadless, "--data " + cases[i].archive + " --capture " +
                                              temp_->file("frames" + std::to_string(i)) + " " +
                                              cases[i].arguments);
        }
    };
    std::thread helper(worker);
    worker();
    helper.join();

    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const testsupport::ToolRun& run = runs[i];
        EXPECT_EQ(run.status, c.status) << c.what << ":\n" << run.out;
        for (const std::string& said : c.said)
            EXPECT_EQ(countOf(run.out, said), 1u) << c.what << ": " << said << "\n" << run.out;
        const fs::path frames = temp_->file("frames" + std::to_string(i));
        if (c.goesOn) {
            EXPECT_TRUE(fs::exists(frames / "frame00001.png")) << c.what;
            EXPECT_TRUE(fs::exists(frames / "audio.wav")) << c.what;
        } else {
            EXPECT_FALSE(fs::exists(frames)) << c.what << ": stopped before writing anything";
        }
    }
    // The object that is no IFF file ends the program without a word.
    EXPECT_EQ(runs[2].out, "") << runs[2].out;
}

TEST_F(BadInput, OptionsDisplaysAndCaptureDirectories) {
    testsupport::TempDir temp;
    std::ofstream(temp.file("plain")) << "a file, not a directory\n";
    const std::string data = std::string(" --data ") + PALISADE_DATA;
    const std::string noDisplay =
        "env -u SDL_VIDEODRIVER -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy";
    const struct {
        std::string what, environment, arguments;
        int status;
        std::string said;
    } cases[] = {
        {"wrong option", kHeadless, "--frame 3", 2,
         "palisade: unknown option --frame\nTry 'palisade --help'."},
        {"no video driver", "SDL_VIDEODRIVER=no-such-driver SDL_AUDIODRIVER=dummy",
         data + " --no-dialog", 1, "Error: Failed to register window class"},
        {"no display", noDisplay, data, 1,
         "Error: No display to show the production on (--capture, --video and --measure need "
         "none)"},
        {"capture below a file", kHeadless,
         data + " --frames 1 --capture " + temp.file("plain") + "/frames", 1,
         "palisade: cannot write into " + temp.file("plain") + "/frames: Not a directory"},
        {"video below a file", kHeadless,
         data + " --frames 1 --video " + temp.file("plain") + "/clip.mp4", 1,
         "palisade: cannot write " + temp.file("plain") + "/clip.mp4: there is no directory " +
             temp.file("plain")},
        {"video of no known format", kHeadless, data + " --frames 1 --video " + temp.file("a.avi"),
         1, "palisade: cannot tell the video format of " + temp.file("a.avi")},
    };
    for (const auto& c : cases) {
        const auto run = palisade(c.environment, c.arguments);
        EXPECT_EQ(run.status, c.status) << c.what << ":\n" << run.out;
        EXPECT_NE(run.out.find(c.said), std::string::npos) << c.what << ":\n" << run.out;
    }
    // Without a sound card the production plays on, silent, until it is stopped.
    const auto silent = palisade("SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=no-such-driver",
                                 data + " --window 64x48", 6);
    EXPECT_EQ(silent.status, 124) << silent.out;
    EXPECT_NE(silent.out.find("No audio output ("), std::string::npos) << silent.out;
    EXPECT_NE(silent.out.find("); the music plays silently."), std::string::npos) << silent.out;
    // Without a display a lockstep run needs none.
    const auto run =
        palisade(noDisplay, data + " --window 64x48 --frames 1 --capture " + temp.file("unseen"));
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(fs::exists(temp.file("unseen") + "/frame00000.png"));
    EXPECT_FALSE(fs::exists(temp.file("a.avi")));
}

// A disk that fills up during a capture, played by a file-size limit: the run says which file
// could not be written and ends with status 1, and no cut-off file is left.
TEST_F(BadInput, AFullDiskLeavesNoCutOffFile) {
    testsupport::TempDir temp;
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldSignal = signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
    struct Run {
        std::string dir, window;
        testsupport::ToolRun run;
    } runs[] = {{temp.file("frame"), "320x240", {}}, {temp.file("sound"), "64x48", {}}};
    for (Run& r : runs) {
        // A 320x240 frame is larger than the limit; a 64x48 one is not, but the sound grows
        // past it after a few frames.
        rlimit limit = before;
        limit.rlim_cur = 16384;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        r.run =
            palisade(kHeadless, std::string("--data ") + PALISADE_DATA + " --window " + r.window +
                                    " --start-order 4 --frames 20 --capture " + r.dir);
        setrlimit(RLIMIT_FSIZE, &before);
    }
    signal(SIGXFSZ, oldSignal);

    EXPECT_EQ(runs[0].run.status, 1) << runs[0].run.out;
    EXPECT_NE(runs[0].run.out.find("palisade: cannot write " + runs[0].dir +
                                   "/frame00000.png: File too large"),
              std::string::npos)
        << runs[0].run.out;
    EXPECT_FALSE(fs::exists(runs[0].dir + "/frame00000.png"));

    EXPECT_EQ(runs[1].run.status, 1) << runs[1].run.out;
    EXPECT_NE(runs[1].run.out.find("palisade: cannot write " + runs[1].dir + "/audio.wav: "),
              std::string::npos)
        << runs[1].run.out;
    EXPECT_FALSE(fs::exists(runs[1].dir + "/audio.wav"));
    int frames = 0;
    for (const auto& entry : fs::directory_iterator(runs[1].dir)) {
        EXPECT_TRUE(wholePng(entry.path().string())) << entry.path();
        ++frames;
    }
    EXPECT_GT(frames, 0);
    EXPECT_LT(frames, 20);
}

}  // namespace
