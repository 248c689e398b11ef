// The settings dialog on the offscreen driver, opened on purpose (the program itself does not
// open it there), answered with synthetic keys and clicks.
#include <IL/il.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/settings_dialog.h"
#include "archive/archive.h"
#include "display/demo_window.h"
#include "platform/dialog_host.h"
#include "platform/platform.h"

namespace {

// Where the 256 x 256 splash sits in the dialog: centred across, just below the top edge.
constexpr int kSplashX = 3;
constexpr int kSplashY = 3;
constexpr int kSide = 256;

struct Screen {
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
};

// Runs the dialog, posting one key per frame from the third frame on (the first frames
// settle the layout), then whatever `last` does. Gives up with the close box after 200
// frames so that a dialog that ignores its input cannot hang the test.
SettingsResult run(DemoWindow& window, std::vector<int> keys, bool closeBox = false,
                   Screen* screen = nullptr) {
    SettingsDialogOptions options;
    options.evenWhenHeadless = true;
    options.afterFrame = [&](platform::DialogHost* host, int frame) {
        if (frame == 2 && screen)
            platform::readDialogPixels(host, screen->rgb, screen->width, screen->height);
        const size_t k = frame >= 2 ? size_t(frame - 2) : keys.size() + 1;
        if (k < keys.size()) platform::postDialogKey(host, keys[k]);
        if ((k == keys.size() && closeBox) || frame > 200) platform::postDialogClose(host);
    };
    return runSettingsDialog(window, options);
}

// A window whose fields differ from every default, to see what OK writes.
DemoWindow& odd(DemoWindow& w) {
    w.width = 320;
    w.height = 200;
    w.colorBits = 24;
    return w;
}

std::vector<uint8_t> splashFromArchive() {
    size_t size = 0;
    unsigned char* data = Archive::loadEntry(&size, "splash.png");
    std::vector<uint8_t> rgb;
    if (!data) return rgb;
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    if (ilLoadL(IL_TYPE_UNKNOWN, data, ILuint(size)) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE) &&
        ilGetInteger(IL_IMAGE_WIDTH) == kSide && ilGetInteger(IL_IMAGE_HEIGHT) == kSide)
        rgb.assign(ilGetData(), ilGetData() + kSide * kSide * 3);
    ilDeleteImages(1, &image);
    ilDisable(IL_ORIGIN_SET);
    std::free(data);
    return rgb;
}

class SettingsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { Archive::setDataPath(PALISADE_DATA); }
    void TearDown() override { Archive::setDataPath("data.rar"); }
};

TEST_F(SettingsDialogTest, DrawsTheSplashAndEnterIsOkWithTheDefaults) {
    DemoWindow window;
    Screen screen;
    EXPECT_EQ(run(odd(window), {platform::KeyEnter}, false, &screen), SettingsResult::Ok);
    EXPECT_EQ(window.width, 640);
    EXPECT_EQ(window.height, 480);
    EXPECT_EQ(window.colorBits, 32);
    EXPECT_FALSE(window.fullscreen);

    // The splash, pixel for pixel where it should be: neither moved nor scaled.
    ASSERT_GE(screen.width, kSplashX + kSide);
    ASSERT_GE(screen.height, kSplashY + kSide);
    const std::vector<uint8_t> splash = splashFromArchive();
    ASSERT_EQ(splash.size(), size_t(kSide * kSide * 3));
    long worst = 0, sum = 0;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide * 3; ++x) {
            const int shown = screen.rgb[(size_t(kSplashY + y) * screen.width + kSplashX) * 3 + x];
            const long d = std::labs(long(shown) - splash[size_t(y) * kSide * 3 + x]);
            worst = std::max(worst, d);
            sum += d;
        }
    EXPECT_LE(worst, 8);
    EXPECT_LT(double(sum) / (kSide * kSide * 3), 1.0);
}

TEST_F(SettingsDialogTest, EscapeAndTheCloseBoxCancelAndChangeNothing) {
    for (const bool closeBox : {false, true}) {
        DemoWindow window;
        const std::vector<int> keys =
            closeBox ? std::vector<int>{platform::KeyTab, platform::KeyDown}
                     : std::vector<int>{platform::KeyTab, platform::KeyDown, platform::KeyEscape};
        EXPECT_EQ(run(odd(window), keys, closeBox), SettingsResult::Cancel) << closeBox;
        EXPECT_EQ(window.width, 320) << closeBox;
        EXPECT_EQ(window.colorBits, 24) << closeBox;
    }
}

TEST_F(SettingsDialogTest, KeyboardChoosesEveryControl) {
    using namespace platform;
    DemoWindow window;
    // List down twice, the box, the depth group up to 16, then Enter.
    EXPECT_EQ(run(window, {KeyTab, KeyDown, KeyDown, KeyTab, KeySpace, KeyTab, KeyUp, KeyEnter}),
              SettingsResult::Ok);
    EXPECT_EQ(window.width, 1024);
    EXPECT_EQ(window.height, 768);
    EXPECT_EQ(window.colorBits, 16);
    EXPECT_TRUE(window.fullscreen);
}

TEST_F(SettingsDialogTest, WithoutTheSplashTheDialogStillAnswers) {
    Archive::setDataPath("/nonexistent/data.rar");
    DemoWindow window;
    Screen screen;
    EXPECT_EQ(
        run(odd(window), {platform::KeyTab, platform::KeyDown, platform::KeyEnter}, false, &screen),
        SettingsResult::Ok);
    EXPECT_EQ(window.width, 800);
    // Where the splash would be, the dialog's plain ground.
    ASSERT_GT(screen.width, kSplashX + kSide / 2);
    const uint8_t* middle =
        &screen.rgb[(size_t(kSplashY + kSide / 2) * screen.width + kSplashX + kSide / 2) * 3];
    const uint8_t* corner = &screen.rgb[0];
    EXPECT_EQ(std::memcmp(middle, corner, 3), 0);
}

TEST_F(SettingsDialogTest, HeadlessDriverMeansNoDialog) {
    DemoWindow window;
    SettingsDialogOptions options;
    bool drawn = false;
    options.afterFrame = [&](platform::DialogHost*, int) { drawn = true; };
    EXPECT_EQ(runSettingsDialog(odd(window), options), SettingsResult::Unavailable);
    EXPECT_FALSE(drawn);
    EXPECT_EQ(window.width, 320);
}

}  // namespace
