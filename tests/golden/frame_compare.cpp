#include "tests/golden/frame_compare.h"

#include <IL/il.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace golden {

namespace {

void startDevil() {
    static const bool started = [] {
        ilInit();
        ilEnable(IL_ORIGIN_SET);
        ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
        ilEnable(IL_FILE_OVERWRITE);
        return true;
    }();
    (void)started;
}

}  // namespace

Picture loadPng(const std::string& path) {
    startDevil();
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    Picture picture;
    if (ilLoad(IL_PNG, path.c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE)) {
        picture.width = ilGetInteger(IL_IMAGE_WIDTH);
        picture.height = ilGetInteger(IL_IMAGE_HEIGHT);
        picture.rgb.resize(size_t(picture.width) * picture.height * 3);
        ilCopyPixels(0, 0, 0, picture.width, picture.height, 1, IL_RGB, IL_UNSIGNED_BYTE,
                     picture.rgb.data());
    }
    ilDeleteImages(1, &name);
    return picture;
}

bool savePng(const std::string& path, const Picture& picture) {
    startDevil();
    while (ilGetError() != IL_NO_ERROR) {
    }
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    bool ok = ilTexImage(picture.width, picture.height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
                         const_cast<uint8_t*>(picture.rgb.data())) == IL_TRUE;
    if (ok) {
        ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        // ilSaveF's result is no guide (see app/png_frame.cpp): the error state and the
        // stream are.
        ok = file && (ilSaveF(IL_PNG, file), ilGetError() == IL_NO_ERROR) && std::ftell(file) > 0;
        if (file && std::fclose(file) != 0) ok = false;
    }
    ilDeleteImages(1, &name);
    return ok;
}

Picture halve(const Picture& in) {
    Picture out;
    out.width = in.width / 2;
    out.height = in.height / 2;
    out.rgb.resize(size_t(out.width) * out.height * 3);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int sum = in.at(2 * x, 2 * y)[c] + in.at(2 * x + 1, 2 * y)[c] +
                                in.at(2 * x, 2 * y + 1)[c] + in.at(2 * x + 1, 2 * y + 1)[c];
                out.at(x, y)[c] = uint8_t((sum + 2) / 4);
            }
    return out;
}

namespace {

int pixelDifference(const uint8_t* a, const uint8_t* b) {
    return std::max({std::abs(a[0] - b[0]), std::abs(a[1] - b[1]), std::abs(a[2] - b[2])});
}

}  // namespace

Difference compare(const Picture& expected, const Picture& actual) {
    Difference d;
    d.sameSize =
        expected.width == actual.width && expected.height == actual.height && !expected.empty();
    if (!d.sameSize) return d;
    double sum = 0;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            const int diff = pixelDifference(expected.at(x, y), actual.at(x, y));
            sum += diff;
            d.largest = std::max(d.largest, diff);
            if (diff > kPixelThreshold) ++d.over;
        }
    d.pixels = long(expected.width) * expected.height;
    d.mean = sum / d.pixels;
    return d;
}

bool withinTolerance(const Difference& d) {
    return d.sameSize && d.overShare() <= kOverShareLimit && d.mean <= kMeanLimit;
}

std::string describe(const Difference& d) {
    if (!d.sameSize) return "not the same size";
    char text[160];
    std::snprintf(text, sizeof text, "%ld pixels (%.2f%%) over %d, mean %.3f, largest %d", d.over,
                  100.0 * d.overShare(), kPixelThreshold, d.mean, d.largest);
    return text;
}

Picture differencePicture(const Picture& expected, const Picture& actual) {
    Picture out = actual;
    if (expected.width != actual.width || expected.height != actual.height) return out;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            const int diff = pixelDifference(expected.at(x, y), actual.at(x, y));
            const uint8_t grey = uint8_t(std::min(255, diff * 4));
            uint8_t* p = out.at(x, y);
            p[0] = diff > kPixelThreshold ? 255 : grey;
            p[1] = p[2] = diff > kPixelThreshold ? 0 : grey;
        }
    return out;
}

Picture contactSheet(const std::vector<std::vector<Picture>>& rows) {
    constexpr int kGap = 4;
    Picture sheet;
    for (const auto& row : rows) {
        int width = kGap, height = 0;
        for (const Picture& p : row) {
            width += p.width + kGap;
            height = std::max(height, p.height);
        }
        sheet.width = std::max(sheet.width, width);
        sheet.height += height + kGap;
    }
    sheet.height += kGap;
    sheet.rgb.assign(size_t(sheet.width) * sheet.height * 3, 40);
    int top = kGap;
    for (const auto& row : rows) {
        int left = kGap, height = 0;
        for (const Picture& p : row) {
            for (int y = 0; y < p.height; ++y)
                std::copy(p.at(0, y), p.at(0, y) + p.width * 3, sheet.at(left, top + y));
            left += p.width + kGap;
            height = std::max(height, p.height);
        }
        top += height + kGap;
    }
    return sheet;
}

}  // namespace golden
