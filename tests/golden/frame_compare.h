// frame_compare.h - reference frames: loading and writing them, and how far two frames differ.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace golden {

// An RGB picture, rows from the top.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    bool empty() const { return width == 0; }
    const uint8_t* at(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
    uint8_t* at(int x, int y) { return &rgb[(size_t(y) * width + x) * 3]; }
};

// An empty picture when the file cannot be read.
Picture loadPng(const std::string& path);
bool savePng(const std::string& path, const Picture& picture);

// Half the size, each pixel the rounded mean of a 2 x 2 block: the references are kept so.
Picture halve(const Picture& picture);

// How far a frame is from its reference, per pixel the largest difference of a channel.
struct Difference {
    bool sameSize = false;
    long over = 0;    // pixels that differ by more than kPixelThreshold
    double mean = 0;  // mean difference over all pixels
    int largest = 0;
    long pixels = 0;
    double overShare() const { return pixels ? double(over) / pixels : 0.0; }
};
// The tolerance (the README's "Picture tests" gives the measurements behind it): at most one
// pixel in 2,000 may differ by more than kPixelThreshold, and the mean difference stays at
// most kMeanLimit.
constexpr int kPixelThreshold = 24;
constexpr double kOverShareLimit = 0.0005;
constexpr double kMeanLimit = 6.0;

Difference compare(const Picture& expected, const Picture& actual);
bool withinTolerance(const Difference& d);
std::string describe(const Difference& d);

// The differences made visible: black where equal, brighter with the difference (four times
// over), red where a pixel is over the threshold.
Picture differencePicture(const Picture& expected, const Picture& actual);

// Rows of pictures side by side with a gap, on a dark ground.
Picture contactSheet(const std::vector<std::vector<Picture>>& rows);

}  // namespace golden
