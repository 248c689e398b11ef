// The analyser's peaks; the overlay's pictures (bars, logo, flash) are guarded by the
// reference frames.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "demo/logo_overlay.h"

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

}  // namespace
