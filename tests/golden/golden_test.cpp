// The production's pictures against reference frames kept in tests/golden/.
//
// frames.txt names each reference frame: the palisade options of a lockstep capture and the
// frame of it to keep. The program is run as a user would run it, the frames are halved as
// the references are, and each is compared within the tolerance of frame_compare.h. A frame
// out of tolerance leaves NAME-expected.png, NAME-actual.png and NAME-difference.png in the
// build's golden-failures/ folder.
//
//   test_golden                 the test (ctest runs it)
//   test_golden --refresh [--all] [NAME...]
//                               captures again and writes the references that changed beyond
//                               the tolerance (all of them with --all, only NAMEs when given),
//                               prints what changed by how much and writes a contact sheet of
//                               the changes (reference, new frame, difference) to look at
//                               before committing (make goldens)
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/golden/frame_compare.h"
#include "tests/support/test_support.h"

namespace {

using golden::Picture;

constexpr const char* kWindow = "352x264";  // 4:3, and the 256-pixel feedback corner fits
constexpr const char* kMesaVendor = "/usr/share/glvnd/egl_vendor.d/50_mesa.json";

struct Frame {
    std::string name;
    int index = 0;
    std::string options;
};

// A lockstep capture of one set of options, long enough for every frame taken from it.
struct Capture {
    std::string options;
    int frames = 0;
    std::string dir;
    testsupport::ToolRun run;
};

std::vector<Frame> readFrameList(std::string* error) {
    std::vector<Frame> frames;
    std::ifstream in(std::string(GOLDEN_DIR) + "/frames.txt");
    if (!in) *error = std::string("cannot read ") + GOLDEN_DIR + "/frames.txt";
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Frame frame;
        if (!(fields >> frame.name >> frame.index) ||
            !std::getline(fields >> std::ws, frame.options)) {
            *error = "frames.txt:" + std::to_string(number) + ": expected NAME FRAME OPTIONS";
            return {};
        }
        frames.push_back(frame);
    }
    return frames;
}

std::string framePath(const Capture& capture, int index) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame%05d.png", index);
    return capture.dir + name;
}

// Runs every capture the frames need, as many at a time as there are processors.
std::vector<Capture> captureAll(const std::vector<Frame>& frames, const std::string& root) {
    std::vector<Capture> captures;
    for (const Frame& frame : frames) {
        auto same = [&](const Capture& c) { return c.options == frame.options; };
        auto it = std::find_if(captures.begin(), captures.end(), same);
        if (it == captures.end()) {
            captures.push_back(
                {frame.options, 0, root + "/" + std::to_string(captures.size()), {}});
            it = captures.end() - 1;
        }
        it->frames = std::max(it->frames, frame.index + 1);
    }
    // The references are Mesa's llvmpipe pictures: a graphics card's driver draws others.
    std::string renderer =
        "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1 "
        "GALLIUM_DRIVER=${GALLIUM_DRIVER:-llvmpipe} ";
    struct stat mesa;
    if (stat(kMesaVendor, &mesa) == 0)
        renderer += std::string("__EGL_VENDOR_LIBRARY_FILENAMES=") + kMesaVendor + " ";
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i; (i = next++) < captures.size();) {
            Capture& c = captures[i];
            c.run =
                testsupport::runCommand(renderer + PALISADE_EXE + " --data " + PALISADE_DATA +
                                        " --window " + kWindow + " " + c.options + " --frames " +
                                        std::to_string(c.frames) + " --capture " + c.dir + " 2>&1");
        }
    };
    std::vector<std::thread> workers(std::max(1u, std::thread::hardware_concurrency()) - 1);
    for (std::thread& t : workers) t = std::thread(worker);
    worker();
    for (std::thread& t : workers) t.join();
    return captures;
}

const Capture& captureOf(const std::vector<Capture>& captures, const Frame& frame) {
    return *std::find_if(captures.begin(), captures.end(),
                         [&](const Capture& c) { return c.options == frame.options; });
}

std::string referencePath(const Frame& frame) {
    return std::string(GOLDEN_DIR) + "/" + frame.name + ".png";
}

// A capture's frame as the references keep it, or why there is none.
Picture capturedFrame(const Capture& capture, const Frame& frame, std::string* error) {
    if (capture.run.status != 0) {
        *error = "palisade " + capture.options + " ended with status " +
                 std::to_string(capture.run.status) + ":\n" + capture.run.out;
        return {};
    }
    const Picture full = golden::loadPng(framePath(capture, frame.index));
    if (full.empty()) *error = "no frame " + framePath(capture, frame.index);
    return full.empty() ? full : golden::halve(full);
}

TEST(GoldenFrames, MatchTheReferences) {
    std::string error;
    const std::vector<Frame> frames = readFrameList(&error);
    ASSERT_TRUE(error.empty()) << error;
    testsupport::TempDir temp;
    const std::vector<Capture> captures = captureAll(frames, temp.path());
    const std::string out = std::string(GOLDEN_OUT) + "/golden-failures";
    for (const Frame& frame : frames) {
        const Picture actual = capturedFrame(captureOf(captures, frame), frame, &error);
        if (actual.empty()) {
            ADD_FAILURE() << frame.name << ": " << error;
            continue;
        }
        const Picture expected = golden::loadPng(referencePath(frame));
        const golden::Difference difference = golden::compare(expected, actual);
        if (golden::withinTolerance(difference)) continue;
        mkdir(out.c_str(), 0755);
        const std::string stem = out + "/" + frame.name;
        golden::savePng(stem + "-expected.png", expected);
        golden::savePng(stem + "-actual.png", actual);
        golden::savePng(stem + "-difference.png", golden::differencePicture(expected, actual));
        ADD_FAILURE() << frame.name << " (palisade " << frame.options << ", frame " << frame.index
                      << "): "
                      << (expected.empty() ? "no reference " + referencePath(frame)
                                           : golden::describe(difference))
                      << "\n  see " << stem << "-{expected,actual,difference}.png";
    }
}

// A jump into the middle of a part draws what a run from the top draws at the same song time:
// the part's own clock (the credits' fade) follows the song, not the frame it was reached at.
// The cloud fountains carry their particles from frame to frame, so the frames are held to the
// mean of the tolerance only, against the closest frame of a run from the part's first order
// among those where the credits show (from 30 s into the part on; orders 30 and 31 are later).
TEST(Jumps, APartReachedByAJumpDrawsWhatARunFromItsStartDraws) {
    testsupport::TempDir temp;
    const Capture top = captureAll({{"top", 89, "--start-order 26 --fps 2"}}, temp.file("top"))[0];
    ASSERT_EQ(top.run.status, 0) << top.run.out;
    for (int order : {30, 31}) {
        SCOPED_TRACE("order " + std::to_string(order));
        const std::string dir = temp.file("jump" + std::to_string(order));
        const Capture jump = captureAll(
            {{"jump", 1, "--start-order " + std::to_string(order) + " --fps 2"}}, dir)[0];
        ASSERT_EQ(jump.run.status, 0) << jump.run.out;
        const Picture jumped = golden::loadPng(framePath(jump, 1));
        ASSERT_FALSE(jumped.empty());
        double closest = 1e9;
        for (int k = 60; k < top.frames; ++k)
            closest =
                std::min(closest, golden::compare(golden::loadPng(framePath(top, k)), jumped).mean);
        EXPECT_LE(closest, golden::kMeanLimit);
    }
}

// make goldens: captures again, rewrites what changed and shows it.
int refresh(const std::vector<std::string>& args) {
    std::string error;
    std::vector<Frame> frames = readFrameList(&error);
    if (!error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const bool all = std::find(args.begin(), args.end(), "--all") != args.end();
    std::vector<std::string> names;
    for (const std::string& a : args)
        if (a != "--all") names.push_back(a);
    if (!names.empty()) {
        frames.erase(std::remove_if(frames.begin(), frames.end(),
                                    [&](const Frame& f) {
                                        return std::find(names.begin(), names.end(), f.name) ==
                                               names.end();
                                    }),
                     frames.end());
    }
    testsupport::TempDir temp;
    const std::vector<Capture> captures = captureAll(frames, temp.path());
    std::vector<std::vector<Picture>> sheet;
    int changed = 0, failed = 0;
    for (const Frame& frame : frames) {
        const Picture actual = capturedFrame(captureOf(captures, frame), frame, &error);
        if (actual.empty()) {
            std::printf("%-22s FAILED: %s\n", frame.name.c_str(), error.c_str());
            ++failed;
            continue;
        }
        const Picture expected = golden::loadPng(referencePath(frame));
        const golden::Difference d = golden::compare(expected, actual);
        const bool same = expected.rgb == actual.rgb && expected.width == actual.width;
        const char* verdict = expected.empty()             ? "new"
                              : same                       ? "unchanged"
                              : golden::withinTolerance(d) ? "within tolerance"
                                                           : "CHANGED";
        const bool write = expected.empty() || (!same && (all || !golden::withinTolerance(d)));
        std::printf("%-22s %-16s %s%s\n", frame.name.c_str(), verdict,
                    expected.empty() || same ? "" : golden::describe(d).c_str(),
                    write ? "  (written)" : "");
        if (!write) continue;
        if (!golden::savePng(referencePath(frame), actual)) {
            std::printf("%-22s cannot write %s\n", frame.name.c_str(),
                        referencePath(frame).c_str());
            ++failed;
            continue;
        }
        ++changed;
        sheet.push_back({expected.empty() ? Picture{actual.width, actual.height,
                                                    std::vector<uint8_t>(actual.rgb.size(), 0)}
                                          : expected,
                         actual, golden::differencePicture(expected, actual)});
    }
    const std::string sheetPath = std::string(GOLDEN_OUT) + "/golden-changes.png";
    if (!sheet.empty() && golden::savePng(sheetPath, golden::contactSheet(sheet)))
        std::printf(
            "\n%d references written; look at them before committing (each row: old, "
            "new, difference):\n  %s\n",
            changed, sheetPath.c_str());
    else
        std::printf("\nno reference written\n");
    return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--refresh")
        return refresh(std::vector<std::string>(argv + 2, argv + argc));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
