// The pictures: sizes, alpha where the parts blend, seamless tiling where they repeat, and
// the layouts the effects sample (greeting bands, the bar fill, the flare on black).
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "tests/assets/asset_fixture.h"
#include "tools/assetgen/image.h"
#include "tools/assetgen/noise.h"

namespace {

bool isPowerOfTwo(int v) {
    return v > 0 && (v & (v - 1)) == 0;
}

TEST(Textures, EveryNameOfTheProductionWithPowerOfTwoSides) {
    const char* names[] = {"testenvmap.jpg",
                           "testenvmap-green.jpg",
                           "testenvmap-red.jpg",
                           "kopi.jpg",
                           "shockwave.jpg",
                           "test\\envi1.jpg",
                           "design-clogo-bar.png",
                           "gradient.jpg",
                           "noise.png",
                           "lens.jpg",
                           "yellowstar.png",
                           "sky.png",
                           "heart.png",
                           "title.png",
                           "credits.png",
                           "greet.png",
                           "end.PNG",
                           "bluesky.jpg",
                           "skymap.png",
                           "rest.jpg",
                           "design-work-scroller.jpg",
                           "design-clogo-pude-back.jpg",
                           "design-clogo-love-back.jpg",
                           "design-clogo-creativity-back.jpg",
                           "design-clogo-telelady-back.jpg",
                           "commdesign1.png"};
    std::map<std::string, TextureAsset> byName;
    for (const TextureAsset& t : allTextures()) byName[t.storedName] = t;
    for (const char* n : names) EXPECT_EQ(byName.count(std::string("textures\\") + n), 1u) << n;
    EXPECT_EQ(byName.size(), sizeof names / sizeof names[0]);
    for (const auto& [name, t] : byName) {
        EXPECT_TRUE(isPowerOfTwo(t.width) && isPowerOfTwo(t.height)) << name;
        const Image& img = picture(name);
        EXPECT_EQ(img.width(), t.width) << name;
        EXPECT_EQ(img.height(), t.height) << name;
    }
    EXPECT_EQ(picture("splash.png").width(), 256);
    EXPECT_EQ(picture("splash.png").height(), 256);
}

// Pictures drawn blended over the screen need both clear and solid parts.
TEST(Textures, AlphaWhereThePartsBlend) {
    for (const char* name : {"textures\\title.png", "textures\\credits.png", "textures\\end.PNG",
                             "textures\\heart.png", "textures\\commdesign1.png",
                             "textures\\yellowstar.png", "textures\\sky.png"}) {
        const Image& img = picture(name);
        float lo = 1, hi = 0;
        for (const Color& c : img.pixels()) lo = std::fmin(lo, c.a), hi = std::fmax(hi, c.a);
        EXPECT_LT(lo, 0.05f) << name;
        EXPECT_GT(hi, 0.6f) << name;
    }
    // The grain veil is laid over every frame at half strength: it must stay a veil.
    double mean = 0;
    for (const Color& c : picture("textures\\noise.png").pixels()) mean += c.a;
    EXPECT_LT(mean / picture("textures\\noise.png").pixels().size(), 0.45);
}

// A picture that repeats on screen must join its own opposite edge as smoothly as any two
// neighbouring columns (or rows) inside it.
double edgeJump(const Image& img, bool horizontal) {
    int n = horizontal ? img.width() : img.height(), m = horizontal ? img.height() : img.width();
    auto at = [&](int i, int j) { return horizontal ? img.at(i, j) : img.at(j, i); };
    auto diff = [&](int a, int b) {
        double d = 0;
        for (int j = 0; j < m; ++j) {
            // Premultiplied: the colour of a clear texel does not matter.
            Color p = at(a, j), q = at(b, j);
            d += std::fabs(p.r * p.a - q.r * q.a) + std::fabs(p.g * p.a - q.g * q.a) +
                 std::fabs(p.b * p.a - q.b * q.a) + std::fabs(p.a - q.a);
        }
        return d / m;
    };
    double inside = 0;
    for (int i = 0; i + 1 < n; ++i) inside += diff(i, i + 1);
    inside /= (n - 1);
    return diff(n - 1, 0) / std::fmax(inside, 1e-6);
}

TEST(Textures, RepeatingPicturesTileSeamlessly) {
    EXPECT_LT(edgeJump(picture("textures\\bluesky.jpg"), true), 2.0);
    EXPECT_LT(edgeJump(picture("textures\\bluesky.jpg"), false), 2.0);
    EXPECT_LT(edgeJump(picture("textures\\skymap.png"), true), 2.0);
    EXPECT_LT(edgeJump(picture("textures\\skymap.png"), false), 2.0);
    EXPECT_LT(edgeJump(picture("textures\\noise.png"), true), 2.0);
    EXPECT_LT(edgeJump(picture("textures\\noise.png"), false), 2.0);
    EXPECT_LT(edgeJump(picture("textures\\design-clogo-bar.png"), true), 2.0);
    EXPECT_LT(edgeJump(picture("textures\\design-work-scroller.jpg"), true), 2.0);
    EXPECT_LT(edgeJump(picture("textures\\commdesign1.png"), false), 2.0);
    EXPECT_LT(edgeJump(picture("textures\\heart.png"), false), 2.0);
}

// The spike ball reads band k (from the bottom) for its k-th tip, 1/40 of the height each,
// and the strips are added to the picture: text in the middle of each band used, nothing
// bright on the band boundaries.
TEST(Textures, GreetingStripsSitInTheirBands) {
    const Image& img = picture("textures\\greet.png");
    const float band = img.height() / 40.0f;
    auto rowLight = [&](int y) {
        float light = 0;
        for (int x = 0; x < img.width(); ++x) {
            const Color& c = img.at(x, y);
            light = std::fmax(light, (c.r + c.g + c.b) / 3 * c.a);
        }
        return light;
    };
    for (int k = 0; k < 37; ++k) {
        int centre = int(img.height() - (k + 0.5f) * band);
        EXPECT_GT(rowLight(centre), 0.5f) << "band " << k;
        int boundary = int(std::lround(img.height() - k * band));
        if (boundary < img.height()) {
            EXPECT_LT(rowLight(boundary), 0.2f) << "boundary below band " << k;
        }
    }
}

TEST(Textures, GradientRunsFromRootToFullLevel) {
    const Image& img = picture("textures\\gradient.jpg");
    Color root = img.at(img.width() / 2, 6), tip = img.at(img.width() / 2, img.height() - 6);
    // Cool at the root (top), warm at full level (bottom).
    EXPECT_GT(root.b, root.r);
    EXPECT_GT(tip.r, tip.b);
}

TEST(Textures, LensFlareFadesToBlackAtItsEdges) {
    const Image& img = picture("textures\\lens.jpg");
    float edge = 0;
    for (int i = 0; i < img.width(); ++i)
        for (const Color& c :
             {img.at(i, 0), img.at(i, img.height() - 1), img.at(0, i), img.at(img.width() - 1, i)})
            edge = std::fmax(edge, c.r + c.g + c.b);
    EXPECT_LT(edge, 0.1f);
    const Color& centre = img.at(img.width() / 2, img.height() / 2);
    EXPECT_GT(centre.r + centre.g + centre.b, 2.5f);
}

// Sphere maps: sky in the upper half, ground in the lower, in each variant's own tint.
TEST(Textures, EnvironmentMapsShowTheirSkyAboveInTheirTint) {
    auto upperMean = [](const Image& img) {
        Color m(0, 0, 0);
        for (int y = 0; y < img.height() / 2; ++y)
            for (int x = 0; x < img.width(); ++x)
                m = m + img.at(x, y) * (2.0f / (img.width() * img.height()));
        return m;
    };
    auto lowerLuminance = [](const Image& img) {
        double s = 0;
        for (int y = img.height() / 2; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) s += luminance(img.at(x, y));
        return s * 2 / (img.width() * img.height());
    };
    Color chrome = upperMean(picture("textures\\testenvmap.jpg"));
    Color green = upperMean(picture("textures\\testenvmap-green.jpg"));
    Color red = upperMean(picture("textures\\testenvmap-red.jpg"));
    Color sky = upperMean(picture("textures\\shockwave.jpg"));
    EXPECT_GT(chrome.b, chrome.r);
    EXPECT_GT(green.g, green.r);
    EXPECT_GT(red.r, red.b);
    EXPECT_GT(sky.b, sky.r);
    for (const char* name :
         {"textures\\testenvmap.jpg", "textures\\shockwave.jpg", "textures\\kopi.jpg"})
        EXPECT_GT(luminance(upperMean(picture(name))), lowerLuminance(picture(name))) << name;
}

// ---- image helpers -------------------------------------------------------------------------

TEST(ImageHelpers, ResampleKeepsTheMeanColour) {
    Image img(64, 48);
    Rng rng(3);
    shade(img, [&](float, float) { return Color(rng.uniform(), rng.uniform(), rng.uniform()); });
    auto mean = [](const Image& i) {
        double s = 0;
        for (const Color& c : i.pixels()) s += c.r + c.g + c.b;
        return s / i.pixels().size();
    };
    EXPECT_NEAR(mean(resample(img, 16, 32)), mean(img), 0.01);
    EXPECT_NEAR(mean(resample(img, 100, 70)), mean(img), 0.02);
}

TEST(ImageHelpers, BlurKeepsTheSumAndWraps) {
    Mask m(32, 32);
    m.at(0, 0) = 1;
    Mask b = blur(m, 2, Edge::Wrap);
    double sum = 0;
    for (float v : b.values()) sum += v;
    EXPECT_NEAR(sum, 1.0, 1e-4);
    EXPECT_NEAR(b.at(31, 31), b.at(1, 1), 1e-6);
}

}  // namespace
