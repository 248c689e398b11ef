// The sync inspector, run as users run it.
#include <gtest/gtest.h>

#include <string>

#include "tests/music/test_songs.h"
#include "tests/support/test_support.h"

using namespace testsongs;

namespace {

testsupport::ToolRun modsync(const std::string& arguments) {
    return testsupport::runCommand(std::string(MODSYNC_PATH) + " " + arguments + " 2>/dev/null");
}

TEST(Modsync, ListsOrdersAndTriggersAsHeard) {
    xm::Module m = emptySong(2, 2, 2);
    m.patterns[0].at(0, 0) = note("C-4", 1);
    m.patterns[0].at(2, 1) =
        withEffect(note("C-4", 2), xm::kExtended, xm::extendedParam(xm::kNoteDelay, 3));
    m.patterns[0].at(3, 0) = note("D-4", 0);
    m.patterns[1].at(1, 0) = note("C-4", 2);
    testsupport::TempDir temp;
    const std::string path = temp.file("song.xm");
    ASSERT_TRUE(xm::writeFile(m, path.c_str()));

    // Rows of 0.12 s: row 2 and 3 ticks of 0.02 s is 0.30 s; order 1 at 16 rows, 1.92 s.
    const testsupport::ToolRun all = modsync("--csv " + path);
    ASSERT_EQ(all.status, 0);
    EXPECT_EQ(all.out,
              "time,order,row,channel,instrument,event\n"
              "0.000000,0,0,,,order\n"
              "0.000000,0,0,0,0,trigger\n"
              "0.300000,0,2,1,1,trigger\n"
              "0.360000,0,3,0,0,trigger\n"
              "1.920000,1,0,,,order\n"
              "2.040000,1,1,0,1,trigger\n");
    const testsupport::ToolRun one = modsync("--csv --instrument 1 " + path);
    ASSERT_EQ(one.status, 0);
    EXPECT_EQ(one.out,
              "time,order,row,channel,instrument,event\n"
              "0.000000,0,0,,,order\n"
              "0.300000,0,2,1,1,trigger\n"
              "1.920000,1,0,,,order\n"
              "2.040000,1,1,0,1,trigger\n");

    // The song as it plays: 32 rows of 5292 frames, 4 bytes each, after a 44-byte header.
    const std::string wav = temp.file("song.wav");
    ASSERT_EQ(modsync("--wav " + wav + " " + path).status, 0);
    EXPECT_EQ(testsupport::readFile(wav).size(), 44u + 32 * 5292 * 4);
}

TEST(Modsync, RefusesWhatItCannotUse) {
    EXPECT_EQ(modsync("").status, 2);
    EXPECT_EQ(modsync("--instrument 300 x.xm").status, 2);
    EXPECT_EQ(modsync("a.xm b.xm").status, 2);
    EXPECT_EQ(modsync("/nonexistent/song.xm").status, 1);
    EXPECT_EQ(modsync(MODSYNC_PATH).status, 1) << "not a module";
    EXPECT_NE(modsync("--help").out.find("--instrument N"), std::string::npos);
}

}  // namespace
