// Runs the production itself, in lockstep and in real time, as a user or a script would.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive_walker.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

using testsupport::countOf;
using testsupport::readFile;
using testsupport::writeFile;

testsupport::ToolRun runWithData(const std::string& data, const std::string& arguments) {
    // A real-time run that does not stop by itself is ended (status 124).
    return testsupport::runCommand(
        std::string("SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 60 ") + PALISADE_EXE +
        " --data '" + data + "' " + arguments + " 2>&1");
}

int runPalisade(const std::string& arguments) {
    return runWithData(PALISADE_DATA, arguments).status;
}

size_t filesIn(const fs::path& directory) {
    std::error_code missing;
    return static_cast<size_t>(std::distance(fs::directory_iterator(directory, missing), {}));
}

// The production's archive with one byte of an entry's data changed: the entry fails its
// check when read, the rest of the archive reads as before.
std::vector<uint8_t> withDamagedEntry(const char* name) {
    std::vector<uint8_t> bytes = readFile(PALISADE_DATA);
    rar::MemorySource source(bytes.data(), bytes.size());
    rar::ArchiveWalker walker(source);
    rar::FileHeader header;
    if (!walker.open()) return {};
    while (walker.next(header) == rar::WalkStep::File) {
        if (std::string(header.name) != name) continue;
        bytes[header.dataStart + header.packedSize / 2] ^= 0x55;
        return bytes;
    }
    return {};
}

TEST(Capture, TwoRunsOfTheSameSpanAreIdentical) {
    testsupport::TempDir temp;
    const std::string span = " --window 160x120 --fps 25 --frames 6 --start-order 4";
    ASSERT_EQ(runPalisade("--capture " + temp.file("a") + span), 0);
    ASSERT_EQ(runPalisade("--capture " + temp.file("b") + span), 0);

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(temp.file("a")))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names.size(), 7u);  // six frames and the sound
    for (const std::string& name : names) {
        const auto a = readFile(temp.file("a/" + name));
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, readFile(temp.file("b/" + name))) << name;
    }
    // The sound covers the six frames: 6 / 25 s of 16-bit stereo after a 44-byte header.
    EXPECT_EQ(readFile(temp.file("a/audio.wav")).size(), 44u + 44100 * 6 / 25 * 4);
}

TEST(Capture, RefusesALockstepRunWithoutALength) {
    EXPECT_EQ(runPalisade("--capture /tmp/palisade_never_written"), 2);
    EXPECT_FALSE(fs::exists("/tmp/palisade_never_written"));
}

TEST(Capture, ASecondCaptureIntoTheSameDirectoryReplacesTheFirst) {
    testsupport::TempDir temp;
    const std::string dir = temp.file("again");
    const std::string span = " --window 96x72 --fps 10 --start-order 4 --frames ";
    ASSERT_EQ(runPalisade("--capture " + dir + span + "4"), 0);
    fs::resize_file(fs::path(dir) / "frame00001.png", 10);
    std::ofstream(fs::path(dir) / "notes.txt") << "mine";
    const auto again = runWithData(PALISADE_DATA, "--capture " + dir + span + "3");
    ASSERT_EQ(again.status, 0) << again.out;
    EXPECT_EQ(filesIn(dir), 5u) << "three frames, the sound and the user's own file";
    EXPECT_GT(fs::file_size(fs::path(dir) / "frame00001.png"), 10u);
    EXPECT_FALSE(fs::exists(fs::path(dir) / "frame00003.png")) << "left over from the first";
    EXPECT_EQ(fs::file_size(fs::path(dir) / "audio.wav"), 44u + 44100 * 3 / 10 * 4);
}

TEST(Capture, AnArchiveThatCannotBeReadStopsTheProgramWithItsNameAndReason) {
    testsupport::TempDir temp;
    std::ofstream(temp.file("text.rar")) << "This is not an archive at all.\n";
    std::vector<uint8_t> cut = readFile(PALISADE_DATA);
    cut.resize(cut.size() / 2);
    writeFile(temp.file("cut.rar"), cut);
    const struct {
        std::string path, reason;
    } cases[] = {{temp.file("nothere.rar"), "no such file"},
                 {temp.file("text.rar"), "not a RAR archive"},
                 {temp.file("cut.rar"), "damaged"},
                 {temp.path(), "a directory"}};
    for (const auto& c : cases) {
        for (const std::string& mode :
             {std::string("--no-dialog"), "--capture " + temp.file("x") + " --frames 1"}) {
            const auto run = runWithData(c.path, mode);
            EXPECT_EQ(run.status, 1) << c.path << " " << mode;
            EXPECT_NE(run.out.find("Cannot read the data archive " + c.path + ": " + c.reason),
                      std::string::npos)
                << run.out;
        }
    }
    EXPECT_FALSE(fs::exists(temp.file("x"))) << "nothing is written before the check";
}

TEST(Capture, ADamagedTextureIsReportedOnceAndTheRunEndsWithStatusOne) {
    testsupport::TempDir temp;
    const std::vector<uint8_t> damaged = withDamagedEntry("textures\\noise.png");
    ASSERT_FALSE(damaged.empty());
    const std::string archive = temp.file("damaged.rar");
    writeFile(archive, damaged);
    // Ten seconds of the tube flight, which binds the texture on every frame.
    const std::string dir = temp.file("frames");
    const auto run =
        runWithData(archive, "--capture " + dir + " --window 96x72 --fps 2 --frames 20");
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_EQ(countOf(run.out, "noise.png"), 1u) << run.out;
    EXPECT_EQ(filesIn(dir), 21u) << "the frames are written all the same";
}

// Resident size of a process in MB.
double residentMegabytes(pid_t pid) {
    std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

TEST(RealTime, WithoutADisplayTheMemoryStaysFlat) {
    // A swap that shows nothing returns at once; frames must not pile up for the renderer.
    // The cleared frames of order 8 are the quickest to queue.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const char* argv[] = {PALISADE_EXE,    "--no-dialog", "--data", PALISADE_DATA,
                          "--start-order", "8",           nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, PALISADE_EXE, nullptr, nullptr, const_cast<char**>(argv), environ),
              0);
    std::vector<double> samples;  // one a second
    for (int second = 0; second < 12; ++second) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        samples.push_back(residentMegabytes(pid));
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    std::string trace;
    for (double mb : samples) trace += " " + std::to_string(static_cast<int>(mb));
    // Over the last six seconds, start-up long done: the size may take a step, but it does not
    // grow second after second (queued frames made it grow by 15 MB or more every second).
    std::vector<double> growth;
    for (size_t i = samples.size() - 6; i < samples.size(); ++i)
        growth.push_back(samples[i] - samples[i - 1]);
    std::sort(growth.begin(), growth.end());
    EXPECT_GT(samples.back(), 20.0) << trace;
    EXPECT_LT((growth[2] + growth[3]) / 2, 3.0) << "resident MB each second:" << trace;
}

}  // namespace
