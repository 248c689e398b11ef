// The settings dialog: what OK writes, the keyboard's state, and the dialog itself on the
// offscreen driver, opened on purpose (the program itself does not open it there) and
// answered with synthetic keys and the close box.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/settings_choice.h"
#include "app/settings_dialog.h"
#include "archive/archive.h"
#include "display/demo_window.h"
#include "platform/dialog_host.h"
#include "platform/platform.h"

namespace {

// Where the 256 x 256 splash sits in the dialog: centred across, just below the top edge.
constexpr int kSplashX = 3, kSplashY = 3, kSide = 256;

std::string describe(const DemoWindow& w) {
    return std::to_string(w.width) + "x" + std::to_string(w.height) + "x" +
           std::to_string(w.colorBits) + (w.fullscreen ? " full" : "");
}

// What OK writes into a window whose fields all differ from the dialog's choices.
TEST(SettingsChoice, OkWritesTheChoices) {
    const struct {
        SettingsChoice choice;
        bool wasFullscreen;
        const char* window;
    } cases[] = {
        {{}, false, "640x480x32"},                     // untouched
        {{2, true, true}, false, "1024x768x16 full"},  // "1024*768", Fullscreen, "16"
        {{0, false, true}, true, "640x480x16 full"},   // an unchecked box changes nothing
        {{-1, false, false}, false, "320x200x32"},     // no entry: the size stays
        {{3, true, false}, false, "320x200x32 full"},
    };
    for (const auto& c : cases) {
        DemoWindow window;
        window.width = 320;
        window.height = 200;
        window.colorBits = 24;
        window.fullscreen = c.wasFullscreen;
        applySettings(c.choice, window);
        EXPECT_EQ(describe(window), c.window) << c.choice.resolution;
    }
}

// The dialog's keyboard without the dialog: where Shift+Tab takes the focus (the dialog's own
// test cannot type it), and the dropped-down list keeping Enter and Escape for itself.
TEST(SettingsChoice, BackTabGoesRoundTheOtherWayAndAnOpenListTakesEnterAndEscape) {
    using K = SettingsKey;
    using C = SettingsControl;
    const struct {
        std::vector<K> keys;
        C focus;
    } cases[] = {{{}, C::Resolution},  // the list has the focus at first
                 {{K::BackTab}, C::Cancel},
                 {{K::Tab, K::BackTab}, C::Resolution},
                 {{K::BackTab, K::BackTab}, C::Ok},
                 {{K::Tab, K::Tab, K::Tab, K::BackTab}, C::Depth},
                 {{K::BackTab, K::Tab}, C::Resolution}};
    for (const auto& c : cases) {
        SettingsDialogState state;
        for (const K key : c.keys) state.press(key);
        EXPECT_EQ(state.focus, c.focus) << c.keys.size();
    }
    SettingsDialogState state;
    state.focus = C::Resolution;
    state.listOpen = true;
    EXPECT_EQ(state.press(K::Down), SettingsOutcome::Open);
    EXPECT_EQ(state.press(K::Escape), SettingsOutcome::Open);
    EXPECT_FALSE(state.listOpen);
    state.listOpen = true;
    EXPECT_EQ(state.press(K::Enter), SettingsOutcome::Open);
    EXPECT_EQ(state.choice.resolution, 1);
    EXPECT_EQ(state.press(K::Enter), SettingsOutcome::Ok);
    state.listOpen = true;
    state.focus = C::Depth;  // Down still moves the open list; Tab closes it
    state.press(K::Down);
    state.press(K::Tab);
    EXPECT_FALSE(state.listOpen);
    EXPECT_EQ(state.choice.resolution, 2);
}

struct Screen {
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
};

// Runs the dialog over a window whose fields all differ from the dialog's choices, typing a
// key a frame from the third frame on (the first ones settle the layout): t Tab, u d l r the
// arrows, s space, e Enter, x Escape, c the close box. Gives up with the close box after 200
// frames, so that a dialog that ignores its input cannot hang the test.
SettingsResult run(DemoWindow& window, const std::string& keys, Screen* screen = nullptr) {
    window.width = 320;
    window.height = 200;
    window.colorBits = 24;
    const std::string letters = "tudlrsex";
    const int codes[] = {platform::KeyTab,   platform::KeyUp,    platform::KeyDown,
                         platform::KeyLeft,  platform::KeyRight, platform::KeySpace,
                         platform::KeyEnter, platform::KeyEscape};
    SettingsDialogOptions options;
    options.evenWhenHeadless = true;
    options.afterFrame = [&](platform::DialogHost* host, int frame) {
        if (frame == 2 && screen)
            platform::readDialogPixels(host, screen->rgb, screen->width, screen->height);
        const char key = frame >= 2 && size_t(frame - 2) < keys.size() ? keys[frame - 2] : 0;
        if (key && key != 'c') platform::postDialogKey(host, codes[letters.find(key)]);
        if (key == 'c' || frame > 200) platform::postDialogClose(host);
    };
    return runSettingsDialog(window, options);
}

class SettingsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { Archive::setDataPath(PALISADE_DATA); }
    void TearDown() override { Archive::setDataPath("data.rar"); }
};

// The keyboard as a person uses it, ending with the dialog answered: what the window is then
// (it was 320 x 200 at 24 bits, which only OK changes).
TEST_F(SettingsDialogTest, TheKeyboardChoosesAndAnswers) {
    const struct {
        const char* keys;
        SettingsResult result;
        const char* window;
    } cases[] = {
        {"e", SettingsResult::Ok, "640x480x32"},
        {"dx", SettingsResult::Cancel, "320x200x24"},
        {"dc", SettingsResult::Cancel, "320x200x24"},
        {"de", SettingsResult::Ok, "800x600x32"},  // the list has the focus at first
        {"se", SettingsResult::Ok, "640x480x32"},  // space on the list
        {"dddre", SettingsResult::Ok, "1024x768x32"},
        {"ddulue", SettingsResult::Ok, "640x480x32"},
        {"tssse", SettingsResult::Ok, "640x480x32 full"},
        {"ttde", SettingsResult::Ok, "640x480x16"},
        {"ttlre", SettingsResult::Ok, "640x480x32"},
        {"ddtstue", SettingsResult::Ok, "1024x768x16 full"},
        {"ttts", SettingsResult::Ok, "640x480x32"},  // space on OK
        {"tttts", SettingsResult::Cancel, "320x200x24"},
        {"tttte", SettingsResult::Cancel, "320x200x24"},  // Enter on Cancel
        {"tttttre", SettingsResult::Ok, "800x600x32"},    // Tab goes round to the list
    };
    for (const auto& c : cases) {
        DemoWindow window;
        EXPECT_EQ(run(window, c.keys), c.result) << c.keys;
        EXPECT_EQ(describe(window), c.window) << c.keys;
    }
}

// The dialog with the archive's splash and without it (an archive that cannot be read) differ
// exactly where the 256 x 256 splash sits: neither moved nor scaled.
TEST_F(SettingsDialogTest, ShowsTheSplashUnscaledBelowTheTopEdge) {
    DemoWindow window;
    Screen with, without;
    ASSERT_EQ(run(window, "e", &with), SettingsResult::Ok);
    Archive::setDataPath("/nonexistent/data.rar");
    ASSERT_EQ(run(window, "e", &without), SettingsResult::Ok);
    ASSERT_EQ(with.rgb.size(), without.rgb.size());
    int left = with.width, top = with.height, right = -1, bottom = -1;
    for (int y = 0; y < with.height; ++y)
        for (int x = 0; x < with.width; ++x) {
            const size_t at = (size_t(y) * with.width + x) * 3;
            if (std::memcmp(&with.rgb[at], &without.rgb[at], 3) == 0) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    EXPECT_EQ(left, kSplashX);
    EXPECT_EQ(top, kSplashY);
    EXPECT_EQ(right, kSplashX + kSide - 1);
    EXPECT_EQ(bottom, kSplashY + kSide - 1);
}

}  // namespace
