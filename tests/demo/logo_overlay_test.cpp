// The analyser's peaks and the bars far into a part's time; the overlay's pictures (bars,
// logo, flash) are guarded by the reference frames.
#include <GL/gl.h>
#include <IL/il.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "demo/logo_overlay.h"
#include "tests/support/test_support.h"
#include "tests/texture/test_images.h"
#include "texture/texture_cache.h"

namespace {

TEST(AnalyserPeaks, FallAtTwoHundredPixelsASecondAndJumpToTheLevel) {
    std::vector<float> silence(512, 0.0f);
    LogoOverlay overlay;
    overlay.prepare();
    overlay.barPeak[3] = 100.0f;
    overlay.updatePeaks(silence.data(), 0.1f);
    EXPECT_FLOAT_EQ(overlay.barPeak[3], 80.0f);
    overlay.updatePeaks(silence.data(), 1.0f);
    EXPECT_FLOAT_EQ(overlay.barPeak[3], 0.0f);  // silence's level 0 wins below the floor
    EXPECT_FLOAT_EQ(overlay.barPeak[0], 0.0f);

    std::vector<float> loud(512, 0.0f);
    loud[6] = loud[7] = 1.0f;  // both bands of bar 3 at full scale
    overlay.updatePeaks(loud.data(), 0.0f);
    EXPECT_NEAR(overlay.barPeak[3], 100.0 * std::log10(21.0), 1e-3);  // about 132 pixels
    EXPECT_FLOAT_EQ(overlay.barPeak[2], 0.0f);
    overlay.updatePeaks(silence.data(), 0.25f);
    EXPECT_NEAR(overlay.barPeak[3], 100.0 * std::log10(21.0) - 50.0, 1e-3);
    EXPECT_FLOAT_EQ(analyserLevel(0.0f), 0.0f);
}

// The bars scroll one picture width every 20 s. A part whose time jumps on every accent (the
// cube grid's, 3783.6 s a hit) hands the overlay times of hundreds of thousands of seconds
// late in the song; the bars must show there what they show near the start. At 1024 x 768
// the picture is drawn unmipmapped, where such texture coordinates lost all its detail.
TEST(LogoBars, ShowTheSamePictureFarIntoAPartsTime) {
    ASSERT_TRUE(testsupport::ensureGlContext(1024, 768));
    ilInit();
    std::vector<unsigned char> stripes;  // 64 texels dark, 64 light, across 1024
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 1024; ++x) {
            const unsigned char v = (x / 64) % 2 ? 255 : 0;
            stripes.insert(stripes.end(), {v, v, v, 255});
        }
    }
    const auto png = testimages::encodePng(1024, 8, stripes);
    g_textureCache.loadFromMemory("textures\\design-clogo-bar.png", png.data(), png.size());
    testsupport::MessageCapture messages;  // no logo object here
    LogoOverlay overlay;
    overlay.prepare();
    const auto topBarRow = [&](float time) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        overlay.draw(time, 0.0f, 0);
        std::vector<unsigned char> row(1024 * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 768 - 20, 1024, 1, GL_RGB, GL_UNSIGNED_BYTE, row.data());
        return row;
    };
    const std::vector<unsigned char> near = topBarRow(4.0f);
    const std::vector<unsigned char> far = topBarRow(600004.0f);  // 30,000 picture widths on
    int changes = 0;  // dark and light stripes, as near the start
    for (size_t i = 3; i < far.size(); i += 3) changes += (far[i] > 192) != (far[i - 3] > 192);
    EXPECT_GE(changes, 12);
    int largest = 0;
    for (size_t i = 0; i < near.size(); ++i)
        largest = std::max(largest, std::abs(near[i] - far[i]));
    EXPECT_LE(largest, 24);
}

}  // namespace
