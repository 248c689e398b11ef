// The whole production, order by order: the program itself is started at each of the song's
// 32 orders and captures a few frames in lockstep from the build's data.rar. Every run must
// end with status 0 and no message (an OpenGL error after a frame counts as one), every frame
// must show a picture in the letterbox, both logo bars where they belong and scrolling in
// opposite directions, and the 3D logo in the corner the order's part puts it in.
#include <IL/il.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive.h"
#include "tests/support/test_support.h"

namespace {

// 4:3 like the overlay space, and no smaller than the 256-pixel corner the render-to-texture
// parts draw into.
constexpr int kWidth = 352;
constexpr int kHeight = 264;
constexpr int kFrames = 3;
constexpr int kFps = 4;
constexpr int kOrders = 32;
constexpr int kTitleOrder = 7;

// The logo's corner in each order: 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left.
constexpr int kCornerOfOrder[kOrders] = {0, 0, 0, 0, 1, 1, 1, 2, 3, 3, 0, 1, 1, 2, 2, 2,
                                         3, 3, 3, 3, 0, 0, 1, 1, 2, 2, 0, 0, 0, 0, 0, 0};

// Overlay space (640 x 480) to window pixels.
constexpr double kScaleX = kWidth / 640.0;
constexpr double kScaleY = kHeight / 480.0;
constexpr double kBarHeight = 73.0;
constexpr double kBottomBarTop = 407.0;

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // rows from the top
    const uint8_t* at(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};

// The bound DevIL image as RGB, rows from the top.
Image boundImage() {
    Image image;
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    if (!ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) return image;
    image.width = ilGetInteger(IL_IMAGE_WIDTH);
    image.height = ilGetInteger(IL_IMAGE_HEIGHT);
    image.rgb.resize(size_t(image.width) * image.height * 3);
    ilCopyPixels(0, 0, 0, image.width, image.height, 1, IL_RGB, IL_UNSIGNED_BYTE, image.rgb.data());
    return image;
}

Image loadPng(const std::string& path) {
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    Image image;
    if (ilLoad(IL_PNG, path.c_str())) image = boundImage();
    ilDeleteImages(1, &name);
    return image;
}

Image loadBarPicture() {
    unsigned char* bytes = nullptr;
    size_t size = 0;
    Image image;
    if (!Archive::getEntry(&bytes, &size, "textures\\design-clogo-bar.png", PALISADE_DATA, nullptr))
        return image;
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    if (ilLoadL(IL_PNG, bytes, ILuint(size))) image = boundImage();
    ilDeleteImages(1, &name);
    std::free(bytes);
    return image;
}

// The picture at half size, each pixel the mean of four, as mipmaps are built.
Image halve(const Image& in) {
    Image out;
    out.width = std::max(1, in.width / 2);
    out.height = std::max(1, in.height / 2);
    out.rgb.resize(size_t(out.width) * out.height * 3);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int sum = in.at(2 * x, 2 * y)[c] + in.at(2 * x + 1, 2 * y)[c] +
                                in.at(2 * x, 2 * y + 1)[c] + in.at(2 * x + 1, 2 * y + 1)[c];
                out.rgb[(size_t(y) * out.width + x) * 3 + c] = uint8_t((sum + 2) / 4);
            }
    return out;
}

// The logo bar as the frame shows it: the mipmap level a GL_LINEAR_MIPMAP_NEAREST filter picks
// for the bar's shrink on this window, read bilinearly with the picture repeating.
class BarPicture {
  public:
    explicit BarPicture(const Image& picture) : level_(picture) {
        const double shrink =
            std::max(picture.width / double(kWidth), picture.height / (kBarHeight * kScaleY));
        const double lod = std::log2(shrink);
        const int levels = lod > 0.5 ? int(std::ceil(lod + 0.5)) - 1 : 0;
        for (int i = 0; i < levels; ++i) level_ = halve(level_);
    }
    // Colour channel c at u (picture widths from the left) and f (heights from the top).
    double sample(double u, double f, int c) const {
        const double s = u * level_.width - 0.5, t = f * level_.height - 0.5;
        const double s0 = std::floor(s), t0 = std::floor(t);
        const double a = s - s0, b = t - t0;
        auto texel = [&](double x, double y) {
            const int xi = int(((long long)x % level_.width + level_.width) % level_.width);
            const int yi = int(((long long)y % level_.height + level_.height) % level_.height);
            return double(level_.at(xi, yi)[c]);
        };
        return (1 - a) * (1 - b) * texel(s0, t0) + a * (1 - b) * texel(s0 + 1, t0) +
               (1 - a) * b * texel(s0, t0 + 1) + a * b * texel(s0 + 1, t0 + 1);
    }

  private:
    Image level_;
};

// Window rows wholly inside a bar whose top is at overlay y top.
std::vector<int> barRows(double top) {
    std::vector<int> rows;
    for (int y = 0; y < kHeight; ++y) {
        const double centre = (y + 0.5) / kScaleY;
        if (centre > top + 1.5 && centre < top + kBarHeight - 1.5) rows.push_back(y);
    }
    return rows;
}

// A bar of the frame fitted to the bar picture: the scroll that matches it best, and how far
// each pixel is from the picture at that scroll once a flash's even brightening is taken out.
struct BarFit {
    double scroll = 0;            // picture widths, in [0, 1)
    std::vector<float> residual;  // per pixel of the rows, the largest channel difference
    std::vector<int> rows;
    double median = 0;  // of residual
};

BarFit fitBar(const Image& frame, const BarPicture& bar, double top) {
    BarFit fit;
    fit.rows = barRows(top);
    auto rowF = [&](int y) { return ((y + 0.5) / kScaleY - top) / kBarHeight; };
    // Column means of the frame against those of the picture at every scroll step.
    constexpr int kSteps = 1024;
    std::vector<double> frameColumns(size_t(kWidth) * 3, 0.0);
    for (int y : fit.rows)
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < 3; ++c) frameColumns[x * 3 + c] += frame.at(x, y)[c];
    // The picture's column means at the quarter-step grid the scrolls land on.
    const int grid = kSteps * 4;
    std::vector<double> pictureColumns(size_t(grid) * 3, 0.0);
    for (int i = 0; i < grid; ++i)
        for (int y : fit.rows)
            for (int c = 0; c < 3; ++c)
                pictureColumns[i * 3 + c] += bar.sample(double(i) / grid, rowF(y), c);
    // A flash brightens the whole frame evenly: compare the columns about their means (a
    // scroll of the picture by whole periods has the same mean at every step).
    for (int c = 0; c < 3; ++c) {
        double frameMean = 0, pictureMean = 0;
        for (int x = 0; x < kWidth; ++x) frameMean += frameColumns[x * 3 + c] / kWidth;
        for (int i = 0; i < grid; ++i) pictureMean += pictureColumns[i * 3 + c] / grid;
        for (int x = 0; x < kWidth; ++x) frameColumns[x * 3 + c] -= frameMean;
        for (int i = 0; i < grid; ++i) pictureColumns[i * 3 + c] -= pictureMean;
    }
    double bestError = 1e300;
    for (int step = 0; step < kSteps; ++step) {
        double error = 0;
        for (int x = 0; x < kWidth; ++x) {
            const double u = double(step) / kSteps + (x + 0.5) / kWidth;
            const int i = int(std::lround(u * grid)) % grid;
            for (int c = 0; c < 3; ++c)
                error += std::fabs(frameColumns[x * 3 + c] - pictureColumns[i * 3 + c]);
        }
        if (error < bestError) {
            bestError = error;
            fit.scroll = double(step) / kSteps;
        }
    }
    // Per pixel, against the picture brightened by the flash (the same amount everywhere,
    // found per channel as the median difference, and clipped at white as the frame is).
    std::vector<float> picture[3], diff[3];
    for (int y : fit.rows)
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < 3; ++c) {
                picture[c].push_back(
                    float(bar.sample(fit.scroll + (x + 0.5) / kWidth, rowF(y), c)));
                diff[c].push_back(frame.at(x, y)[c] - picture[c].back());
            }
    fit.residual.assign(diff[0].size(), 0.0f);
    for (int c = 0; c < 3; ++c) {
        std::vector<float> sorted = diff[c];
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        const float flash = std::max(0.0f, sorted[sorted.size() / 2]);
        for (size_t i = 0; i < fit.residual.size(); ++i) {
            const float expected = std::min(255.0f, picture[c][i] + flash);
            const float seen = picture[c][i] + diff[c][i];
            fit.residual[i] = std::max(fit.residual[i], std::fabs(seen - expected));
        }
    }
    std::vector<float> sorted = fit.residual;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    fit.median = sorted[sorted.size() / 2];
    return fit;
}

// Mean residual of a bar over the overlay columns x0..x1.
double meanResidual(const BarFit& fit, double x0, double x1) {
    double sum = 0;
    int count = 0;
    for (size_t r = 0; r < fit.rows.size(); ++r)
        for (int x = int(x0 * kScaleX); x < int(x1 * kScaleX); ++x) {
            sum += fit.residual[r * kWidth + x];
            ++count;
        }
    return count ? sum / count : 0;
}

// Standard deviation of the brightness across the middle of the letterbox, below the
// analyser's bars (at most 150 pixels long) and away from the logo.
double middleSpread(const Image& frame) {
    double sum = 0, squares = 0;
    int count = 0;
    for (int y = int(230 * kScaleY); y < int(250 * kScaleY); ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t* p = frame.at(x, y);
            const double v = (p[0] + p[1] + p[2]) / 3.0;
            sum += v;
            squares += v * v;
            ++count;
        }
    const double mean = sum / count;
    return std::sqrt(std::max(0.0, squares / count - mean * mean));
}

TEST(EveryOrder, DrawsItsPartWithTheBarsAndTheLogoInItsCorner) {
    testsupport::TempDir temp;
    // Two at a time: a run is mostly start-up on one core.
    std::vector<testsupport::ToolRun> runs(kOrders);
    std::atomic<int> next{0};
    auto worker = [&] {
        for (int order; (order = next++) < kOrders;) {
            runs[order] = testsupport::runCommand(
                std::string("SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ") + PALISADE_EXE +
                " --data " + PALISADE_DATA + " --window " + std::to_string(kWidth) + "x" +
                std::to_string(kHeight) + " --start-order " + std::to_string(order) + " --fps " +
                std::to_string(kFps) + " --frames " + std::to_string(kFrames) + " --capture " +
                temp.file(std::to_string(order)) + " 2>&1");
        }
    };
    std::thread helper(worker);
    worker();
    helper.join();

    ilInit();
    const Image picture = loadBarPicture();
    ASSERT_GT(picture.width, 0) << "the logo bar picture of " << PALISADE_DATA;
    const BarPicture bar(picture);

    for (int order = 0; order < kOrders; ++order) {
        const testsupport::ToolRun& run = runs[order];
        // Status 0: no message was shown and OpenGL reported no error after any frame (either
        // also leaves a line with "Error" or "error" in the output).
        EXPECT_EQ(run.status, 0) << "order " << order << ":\n" << run.out;
        EXPECT_EQ(run.out.find("rror"), std::string::npos) << "order " << order << ":\n" << run.out;
        for (int k = 0; k < kFrames; ++k) {
            char name[32];
            std::snprintf(name, sizeof name, "/frame%05d.png", k);
            const Image frame = loadPng(temp.file(std::to_string(order)) + name);
            ASSERT_EQ(frame.width, kWidth) << "order " << order << " frame " << k;
            ASSERT_EQ(frame.height, kHeight);
            const std::string at =
                "order " + std::to_string(order) + " frame " + std::to_string(k) + ": ";
            EXPECT_GT(middleSpread(frame), 4.0) << at << "the letterbox is one flat colour";

            const BarFit top = fitBar(frame, bar, 0.0);
            const BarFit bottom = fitBar(frame, bar, kBottomBarTop);
            // How far the bars differ from their picture around where the logo sits in each
            // corner (its centre 14.5 units left or right of the axis at depth 35, overlay x
            // 80 or 560, over the bar's inner edge): much more in the logo's corner than in
            // the others.
            const double boxes[4] = {meanResidual(top, 40, 120), meanResidual(top, 520, 600),
                                     meanResidual(bottom, 520, 600), meanResidual(bottom, 40, 120)};
            const int corner = kCornerOfOrder[order];
            double elsewhere = 0;
            for (int c = 0; c < 4; ++c)
                if (c != corner) elsewhere = std::max(elsewhere, boxes[c]);
            const std::string numbers = "logo corner " + std::to_string(boxes[corner]) +
                                        ", other corners up to " + std::to_string(elsewhere);
            if (order == kTitleOrder) {
                // The title part lays its sliding title and a noise veil over the overlay:
                // only the logo's corner is checked, as the one that differs most.
                EXPECT_GT(boxes[corner], elsewhere) << at << numbers;
                continue;
            }
            EXPECT_LT(top.median, 3.0) << at << "the top bar is not the bar picture";
            EXPECT_LT(bottom.median, 3.0) << at << "the bottom bar is not the bar picture";
            // The two bars scroll by the same amount in opposite directions.
            const double sum = std::fmod(top.scroll + bottom.scroll, 1.0);
            EXPECT_LT(std::min(sum, 1.0 - sum), 0.003)
                << at << "scrolls " << top.scroll << " and " << bottom.scroll;
            EXPECT_GT(boxes[corner], 8.0) << at << numbers;
            EXPECT_GT(boxes[corner], 3.0 * elsewhere) << at << numbers;
        }
    }
}

}  // namespace
