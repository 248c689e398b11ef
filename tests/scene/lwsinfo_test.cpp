#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/scene/scene_text.h"
#include "tests/support/test_support.h"

namespace {

testsupport::ToolRun lwsinfo(const std::string& arguments) {
    return testsupport::runCommand(std::string(LWSINFO) + " " + arguments + " 2>&1");
}

TEST(LwsInfo, PrintsItemsMotionAndTreeAndExitsWithItsStatus) {
    const testsupport::TempDir dir;
    std::vector<lws::Channel> channels(9);
    channels[3].keys = {{0.0f, 0.0f}, {6.0f, 2.0f}};
    channels[3].pre = channels[3].post = 4;
    std::ofstream(dir.file("ok.lws"), std::ios::binary)
        << lws::header() + "AddNullObject Hub\n" + lws::motion("ObjectMotion", channels) +
               "LoadObjectLayer 1 Objects/Ship.lwo\n" + lws::still("ObjectMotion") +
               "ParentItem 10000000\nExcludeLight 20000000\nPathAlignLookAhead 0.5\n" +
               lws::light("Sun") + lws::camera();
    testsupport::ToolRun run = lwsinfo(dir.file("ok.lws"));
    EXPECT_EQ(run.status, 0) << run.out;
    for (const char* expected : {
             "frames 1 to 60 at 30 fps",
             "4 items: 1 object layers, 1 null objects, 1 lights, 1 cameras; 4 motion blocks",
             "item 1: object 'lwos\\Ship.lwo', id 10000001, parent 10000000 'Hub'",
             "  excludes light 0\n  heading and pitch along its path, 0.5 s ahead",
             "keys x:1 y:1 z:1 heading:2 pitch:1",
             "    heading from 0 to 2 s, before offset-repeat, after offset-repeat",
             "  colour (1, 1, 1)",
             "tree:\n  null 'Hub'\n    object 'lwos\\Ship.lwo'\n  light 'Sun'\n",
         }) {
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
    }

    std::ofstream(dir.file("bad.lws")) << lws::header() + "ParentItem 1\n" + lws::null("A");
    run = lwsinfo(dir.file("bad.lws"));
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.out.find("bad.lws:13: ParentItem before any item"), std::string::npos) << run.out;
    EXPECT_EQ(lwsinfo("--data no-such.rar x.lws").status, 4);
    EXPECT_EQ(lwsinfo("/no/such/file.lws").status, 4);
    EXPECT_EQ(lwsinfo("--data only-two").status, 4);
    EXPECT_NE(lwsinfo("--help").out.find("usage: lwsinfo"), std::string::npos);
}

}  // namespace
