// palisade --effect: the list names every effect of the catalog, an unknown name is refused
// with the list, and every effect draws from the production's archive without a message.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "demo/effect_catalog.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

testsupport::ToolRun runPalisade(const std::string& arguments) {
    return testsupport::runCommand(std::string("SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ") +
                                   PALISADE_EXE + " --data " + PALISADE_DATA + " " + arguments +
                                   " 2>&1");
}

TEST(EffectViewer, ListNamesEveryEffect) {
    const testsupport::ToolRun run = runPalisade("--effect list");
    EXPECT_EQ(run.status, 0);
    ASSERT_GT(effectCount(), 0);
    for (int i = 0; i < effectCount(); ++i)
        EXPECT_NE(run.out.find(std::string("  ") + effectAt(i).name + " "), std::string::npos)
            << effectAt(i).name;
}

TEST(EffectViewer, RefusesAnUnknownNameWithTheList) {
    const testsupport::ToolRun run = runPalisade("--effect no-such-effect --frames 1 --measure");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("no effect named 'no-such-effect'"), std::string::npos) << run.out;
    for (int i = 0; i < effectCount(); ++i)
        EXPECT_NE(run.out.find(effectAt(i).name), std::string::npos) << effectAt(i).name;
}

TEST(EffectViewer, EveryEffectDrawsWithItsAssets) {
    testsupport::TempDir temp;
    for (int i = 0; i < effectCount(); ++i) {
        const std::string name = effectAt(i).name;
        const testsupport::ToolRun run = runPalisade(
            "--effect " + name + " --window 160x120 --frames 2 --capture " + temp.file(name));
        EXPECT_EQ(run.status, 0) << name;
        EXPECT_EQ(run.out.find("not found"), std::string::npos) << name << ": " << run.out;
        EXPECT_TRUE(fs::exists(temp.file(name + "/frame00001.png"))) << name;
    }
}

}  // namespace
