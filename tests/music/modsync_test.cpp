// The sync inspector, run as users run it.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tests/music/test_songs.h"

using namespace testsongs;

namespace {

using testsupport::ToolRun;

ToolRun modsync(const std::string& arguments) {
    return testsupport::runCommand(std::string(MODSYNC_PATH) + " " + arguments + " 2>/dev/null");
}

std::string writeModule(const xm::Module& m, const char* name) {
    const std::string path = ::testing::TempDir() + name;
    EXPECT_TRUE(xm::writeFile(m, path.c_str()));
    return path;
}

TEST(Modsync, CsvListsOrdersAndTriggersAsHeard) {
    xm::Module m = emptySong(2, 2, 2);
    m.patterns[0].at(0, 0) = note("C-4", 1);
    m.patterns[0].at(2, 1) =
        withEffect(note("C-4", 2), xm::kExtended, xm::extendedParam(xm::kNoteDelay, 3));
    m.patterns[0].at(3, 0) = note("D-4", 0);
    m.patterns[1].at(1, 1) = note("C-4", 2);
    const std::string path = writeModule(m, "modsync-csv.xm");

    const ToolRun all = modsync("--csv " + path);
    ASSERT_EQ(all.status, 0);
    EXPECT_EQ(all.out,
              "time,order,row,channel,instrument,event\n"
              "0.000000,0,0,,,order\n"
              "0.000000,0,0,0,0,trigger\n"
              "0.300000,0,2,1,1,trigger\n"
              "0.360000,0,3,0,0,trigger\n"
              "1.920000,1,0,,,order\n"
              "2.040000,1,1,1,1,trigger\n");

    const ToolRun one = modsync("--csv --instrument 1 " + path);
    ASSERT_EQ(one.status, 0);
    EXPECT_EQ(one.out,
              "time,order,row,channel,instrument,event\n"
              "0.000000,0,0,,,order\n"
              "0.300000,0,2,1,1,trigger\n"
              "1.920000,1,0,,,order\n"
              "2.040000,1,1,1,1,trigger\n");

    const ToolRun report = modsync(path);
    ASSERT_EQ(report.status, 0);
    EXPECT_NE(report.out.find("ends at 3.840 s"), std::string::npos) << report.out;
    EXPECT_NE(report.out.find("instrument 1 \"click\": 2 triggers"), std::string::npos)
        << report.out;
    std::remove(path.c_str());
}

TEST(Modsync, WritesTheSongAsItPlays) {
    const std::string path = writeModule(emptySong(1, 1), "modsync-wav.xm");
    const std::string wav = ::testing::TempDir() + "modsync-out.wav";
    ASSERT_EQ(modsync("--wav " + wav + " " + path).status, 0);
    std::ifstream in(wav, std::ios::binary | std::ios::ate);
    // 16 rows of 5292 frames, 4 bytes each, after a 44-byte header.
    EXPECT_EQ(static_cast<long>(in.tellg()), 44 + 16 * 5292 * 4);
    std::remove(wav.c_str());
    std::remove(path.c_str());
}

TEST(Modsync, RefusesWhatItCannotUse) {
    EXPECT_EQ(modsync("").status, 2);
    EXPECT_EQ(modsync("--bogus x.xm").status, 2);
    EXPECT_EQ(modsync("--instrument 300 x.xm").status, 2);
    EXPECT_EQ(modsync("a.xm b.xm").status, 2);
    EXPECT_EQ(modsync("/nonexistent/song.xm").status, 1);
    EXPECT_EQ(modsync(MODSYNC_PATH).status, 1) << "not a module";
    const ToolRun help = modsync("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--instrument N"), std::string::npos);
}

}  // namespace
