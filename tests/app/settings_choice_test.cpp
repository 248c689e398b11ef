#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/settings_choice.h"
#include "display/demo_window.h"

namespace {

using K = SettingsKey;

TEST(SettingsChoice, OkWritesTheChoices) {
    const struct {
        SettingsChoice choice;
        int width, height, colorBits;
        bool fullscreen;
    } cases[] = {
        {{}, 640, 480, 32, false},                 // untouched
        {{2, true, true}, 1024, 768, 16, true},    // "1024*768", Fullscreen, "16"
        {{1, false, false}, 800, 600, 32, false},  // "800*600"
    };
    for (const auto& c : cases) {
        DemoWindow window;
        applySettings(c.choice, window);
        EXPECT_EQ(window.width, c.width);
        EXPECT_EQ(window.height, c.height);
        EXPECT_EQ(window.colorBits, c.colorBits);
        EXPECT_EQ(window.depthBits, 16);  // never offered
        EXPECT_EQ(window.fullscreen, c.fullscreen);
    }
}

TEST(SettingsChoice, IndexOutsideTheListAndAnUncheckedBoxChangeNothing) {
    for (const int index : {-1, 3, 1000}) {
        DemoWindow window;
        window.width = 320;
        window.height = 200;
        window.fullscreen = true;
        SettingsChoice choice;
        choice.resolution = index;
        applySettings(choice, window);
        EXPECT_EQ(window.width, 320) << index;
        EXPECT_EQ(window.height, 200) << index;
        EXPECT_TRUE(window.fullscreen) << index;
        EXPECT_EQ(window.colorBits, 32) << index;
    }
}

struct KeyCase {
    const char* name;
    const char* keys;         // t tab, b back-tab, u d l r arrows, s space, e enter, x escape
    SettingsOutcome outcome;  // of the last key
    int resolution;
    bool fullscreen;
    bool sixteenBits;
};

K keyFor(char c) {
    static const std::string letters = "tbudlrsex";
    const K keys[] = {K::Tab,   K::BackTab, K::Up,    K::Down,  K::Left,
                      K::Right, K::Space,   K::Enter, K::Escape};
    const size_t at = letters.find(c);
    EXPECT_NE(at, std::string::npos) << c;
    return at == std::string::npos ? K::Escape : keys[at];
}

TEST(SettingsKeyboard, KeysMoveFocusAndChangeControls) {
    using O = SettingsOutcome;
    const KeyCase cases[] = {
        {"enter at once is OK", "e", O::Ok, 0, false, false},
        {"escape is cancel", "tdx", O::Cancel, 1, false, false},
        {"arrows without focus do nothing", "dsu", O::Open, 0, false, false},
        {"list stops at its ends", "tdddr", O::Open, 2, false, false},
        {"list back up", "tddulu", O::Open, 0, false, false},
        {"space toggles the box", "ttsss", O::Open, 0, true, false},
        {"arrows flip the depth", "tttd", O::Open, 0, false, true},
        {"depth flips back", "tttlr", O::Open, 0, false, false},
        {"everything then enter", "tddtstue", O::Ok, 2, true, true},
        {"space on OK", "tttts", O::Ok, 0, false, false},
        {"enter on Cancel cancels", "be", O::Cancel, 0, false, false},
        {"tab wraps to the list", "btd", O::Open, 1, false, false},
        {"space on the list does nothing", "ts", O::Open, 0, false, false},
    };
    for (const KeyCase& c : cases) {
        SettingsDialogState state;
        SettingsOutcome outcome = SettingsOutcome::Open;
        for (const char* k = c.keys; *k; ++k) outcome = state.press(keyFor(*k));
        EXPECT_EQ(outcome, c.outcome) << c.name;
        EXPECT_EQ(state.choice.resolution, c.resolution) << c.name;
        EXPECT_EQ(state.choice.fullscreen, c.fullscreen) << c.name;
        EXPECT_EQ(state.choice.sixteenBits, c.sixteenBits) << c.name;
    }
}

TEST(SettingsKeyboard, OpenListTakesEnterAndEscapeForItself) {
    SettingsDialogState state;
    state.focus = SettingsControl::Resolution;
    state.listOpen = true;
    EXPECT_EQ(state.press(K::Down), SettingsOutcome::Open);
    EXPECT_EQ(state.press(K::Escape), SettingsOutcome::Open);
    EXPECT_FALSE(state.listOpen);
    state.listOpen = true;
    EXPECT_EQ(state.press(K::Enter), SettingsOutcome::Open);
    EXPECT_EQ(state.choice.resolution, 1);
    EXPECT_EQ(state.press(K::Enter), SettingsOutcome::Ok);
}

TEST(SettingsDialogWanted, OnlyWithoutDisplayOptionsOrLockstep) {
    const struct {
        std::vector<const char*> args;
        bool wanted;
    } cases[] = {
        {{}, true},
        {{"--data", "other.rar", "--start-order", "3"}, true},
        {{"--effect", "tube"}, true},
        {{"--no-dialog"}, false},
        {{"--window", "800x600"}, false},
        {{"--depth", "16"}, false},
        {{"--fullscreen"}, false},
        {{"--capture", "out", "--frames", "1"}, false},
        {{"--measure", "--frames", "1"}, false},
        {{"--measure", "--clear-only", "--frames", "1"}, false},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"palisade"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        LaunchOptions options;
        std::string error;
        ASSERT_TRUE(parseCommandLine(int(argv.size()), argv.data(), options, error)) << error;
        EXPECT_EQ(options.dialogWanted(), c.wanted) << (c.args.empty() ? "none" : c.args[0]);
    }
}

}  // namespace
