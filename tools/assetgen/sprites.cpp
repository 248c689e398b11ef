// sprites.cpp - small pictures drawn many times: the lens flare, star and cloud sprites, the
// heart strip, the film-grain veil and the scrolling side strip.
#include <cmath>

#include "tools/assetgen/catalog.h"
#include "tools/assetgen/noise.h"
#include "tools/assetgen/shapes.h"
#include "tools/assetgen/style.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// Drawn additively on black: a hot core, a soft halo, a thin spectral ring and star streaks.
// Everything fades out before the sprite's edge.
Image makeLens(const AssetContext&) {
    Image img(256, 256);
    shadeSupersampled(img, 2, [](float u, float v) {
        float x = (u - 0.5f) * 2, y = (v - 0.5f) * 2, r = std::sqrt(x * x + y * y);
        // A hard white point with a tight glow and a thin ring: the sprites are laid many
        // times over each other (and, in the zoom feedback, over many earlier frames), so a
        // wide halo would add up to a haze over everything.
        Color c(0, 0, 0);
        c = addLight(c, Color::hex(0xFFFFFF), std::exp(-r * r / 0.0012f));
        c = addLight(c, Color::hex(0xE8F4FF), std::exp(-r / 0.05f) * 0.9f);
        c = addLight(c, palette::ice, std::exp(-r / 0.14f) * 0.12f);
        // The ring: teal inside, amber outside.
        float ring = std::exp(-std::pow((r - 0.62f) / 0.02f, 2.0f));
        c = addLight(c, mix(palette::teal, palette::amber, clamp01((r - 0.58f) / 0.08f)),
                     ring * 0.12f);
        // Streaks: long horizontal, shorter vertical, faint diagonals.
        auto streak = [](float along, float across, float len, float width) {
            return std::exp(-std::fabs(along) / len) * std::exp(-across * across / (width * width));
        };
        float d1 = (x + y) * 0.7071f, d2 = (x - y) * 0.7071f;
        float s = streak(x, y, 0.32f, 0.012f) + 0.7f * streak(y, x, 0.2f, 0.012f) +
                  0.3f * streak(d1, d2, 0.12f, 0.01f) + 0.3f * streak(d2, d1, 0.12f, 0.01f);
        c = addLight(c, Color::hex(0xF4F8FF), s * 0.9f);
        float edge = 1 - smoothstep(0.8f, 0.98f, std::fmax(std::fabs(x), std::fabs(y)));
        return Color(clamp01(c.r * edge), clamp01(c.g * edge), clamp01(c.b * edge));
    });
    return img;
}

// A five-pointed star with a soft glow; colour and alpha both carry the shape, so it looks
// the same added to the picture or blended over it.
Image makeYellowStar(const AssetContext&) {
    std::vector<Vec2> star;
    for (int i = 0; i < 10; ++i) {
        float a = -kPi / 2 + i * kPi / 5, r = i % 2 ? 0.2f : 0.46f;
        star.push_back({0.5f + r * std::cos(a), 0.5f + r * std::sin(a)});
    }
    Image img(128, 128);
    shadeSupersampled(img, 3, [&](float u, float v) {
        float d = sdPolygon({u, v}, star) - 0.012f;  // slightly rounded points
        float inside = coverage(d, 1.0f / 128);
        float glow = std::exp(-std::fmax(d, 0.0f) / 0.05f) * 0.55f;
        float r = length(Vec2{u - 0.5f, v - 0.5f});
        Color fill = ramp(
            {{0.0f, Color::hex(0xFFFBE8)}, {0.18f, Color::hex(0xFFE066)}, {0.45f, palette::amber}},
            r);
        Color c = mix(palette::amber, fill, inside);
        float a = std::fmax(inside, glow) * (1 - smoothstep(0.42f, 0.5f, r * (1 - inside)));
        return c.withAlpha(clamp01(a));
    });
    return img;
}

// A soft cloud puff: lumpy noise inside a round falloff, lit from above.
Image makeSky(const AssetContext&) {
    Image img(128, 128);
    shade(img, [](float u, float v) {
        float x = u - 0.5f, y = v - 0.5f, r = std::sqrt(x * x + y * y) * 2;
        float lumps = fbm2(u * 4, v * 4, 4, 0, 0, 41) * 0.5f + 0.5f;
        float body = smoothstep(1.0f, 0.25f, r + (0.5f - lumps) * 0.6f);
        float light = clamp01(0.75f - y * 0.9f + (lumps - 0.5f) * 0.4f);
        Color c = mix(Color::hex(0x9FB6E0), Color::hex(0xFFFFFF), light);
        return c.withAlpha(body * 0.85f);
    });
    return img;
}

// One heart per picture with room around it: the parts repeat it down a strip.
Image makeHeart(const AssetContext&) {
    Image img(128, 128);
    shadeSupersampled(img, 3, [](float u, float v) {
        Vec2 p = {u, v};
        float d = sdHeart(p, {0.5f, 0.5f}, 0.78f);
        float cover = coverage(d, 1.0f / 128);
        float outline = coverage(std::fabs(d + 0.018f) - 0.012f, 1.0f / 128);
        float shine = std::exp(-(std::pow(u - 0.36f, 2.0f) + std::pow(v - 0.36f, 2.0f)) / 0.006f);
        Color fill = ramp(
            {{0.0f, Color::hex(0xFF8FAE)}, {0.5f, palette::rose}, {1.0f, Color::hex(0x9C1642)}}, v);
        fill = addLight(fill, Color::hex(0xFFFFFF), shine * 0.7f);
        fill = mix(fill, palette::bone, outline * 0.8f);
        float glow = std::exp(-std::fmax(d, 0.0f) / 0.04f) * 0.35f;
        return fill.withAlpha(std::fmax(cover, glow * (1 - cover)));
    });
    return img;
}

// Film grain: mid-grey speckle whose opacity follows its strength, a few dust specks and
// two faint scratches. It tiles, because the veil is drawn at a random offset.
Image makeNoise(const AssetContext&) {
    const int n = 256;
    Rng rng(0x5eed);
    Mask grain(n, n);
    for (float& g : grain.values()) g = (rng.uniform() + rng.uniform() + rng.uniform() - 1.5f);
    grain = blur(grain, 0.55f, Edge::Wrap);
    Image img(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            float g = grain.at(x, y) * 1.6f;
            float level = 0.5f + g * 0.45f;
            img.at(x, y) =
                Color(level, level, level * 1.02f, clamp01(0.16f + std::fabs(g) * 0.55f));
        }
    for (int i = 0; i < 28; ++i) {
        float cx = rng.uniform() * n, cy = rng.uniform() * n, r = rng.range(0.6f, 2.2f);
        bool bright = rng.uniform() < 0.35f;
        for (int dy = -4; dy <= 4; ++dy)
            for (int dx = -4; dx <= 4; ++dx) {
                int x = (int(cx) + dx + n) % n, y = (int(cy) + dy + n) % n;
                float d = std::sqrt(float(dx * dx + dy * dy)) - r;
                float k = coverage(d, 1.2f) * 0.85f;
                if (k <= 0) continue;
                img.at(x, y) = over(
                    img.at(x, y),
                    (bright ? Color(0.95f, 0.95f, 0.9f) : Color(0.05f, 0.05f, 0.06f)).withAlpha(k));
            }
    }
    for (int s = 0; s < 2; ++s) {
        float x0 = rng.uniform() * n, start = rng.uniform() * n,
              len = rng.range(n * 0.3f, n * 0.8f);
        for (int i = 0; i < int(len); ++i) {
            int y = (int(start) + i) % n;
            float xf = x0 + std::sin(i * 0.02f + s) * 1.5f;
            for (int dx = -2; dx <= 2; ++dx) {
                int x = (int(xf) + dx + n) % n;
                float k = coverage(std::fabs(x - xf + 0.5f) - 0.3f, 1.0f) * 0.5f *
                          std::sin(kPi * i / len);
                img.at(x, y) = over(img.at(x, y), Color(0.92f, 0.92f, 0.88f).withAlpha(k));
            }
        }
    }
    return img;
}

// The side strip of the reflecting spheres: 20 x 480 on screen, scrolling vertically, so
// one picture height holds a whole number of motifs. Drawn at its on-screen aspect and
// brought to 32 x 512.
Image makeCommDesign(const AssetContext&) {
    const int w = 80, h = 1920;  // four times 20 x 480
    const float period = h / 10.0f;
    Image design(w, h, Color(0, 0, 0, 0));
    shadeSupersampled(design, 2, [&](float u, float v) {
        float x = u * w, y = v * h;
        float cell = y - std::floor(y / period) * period;
        Color c(0, 0, 0, 0);
        float chev =
            sdChevron({x, cell}, w * 0.5f, period * 0.62f, w * 0.32f, w * 0.32f, w * 0.11f);
        c = over(c, palette::amber.withAlpha(coverage(chev, 1.0f) * 0.95f));
        float dot = sdCircle({x, cell}, {w * 0.5f, period * 0.12f}, w * 0.07f);
        c = over(c, palette::teal.withAlpha(coverage(dot, 1.0f)));
        float rule = sdBox({x, y}, {w * 0.08f, float(h) / 2}, {w * 0.025f, float(h)});
        c = over(c, palette::bone.withAlpha(coverage(rule, 1.0f) * 0.6f));
        float rule2 = sdBox({x, y}, {w * 0.92f, float(h) / 2}, {w * 0.025f, float(h)});
        return over(c, palette::bone.withAlpha(coverage(rule2, 1.0f) * 0.6f));
    });
    return resample(design, 32, 512, Edge::Wrap);
}

}  // namespace

std::vector<TextureAsset> spriteAssets() {
    return {
        {"textures\\lens.jpg", 256, 256, PixelFormat::Rgb,
         "lens-flare sprite on black: white core, tight cool glow, thin spectral ring, star "
         "streaks",
         makeLens},
        {"textures\\yellowstar.png", 128, 128, PixelFormat::Rgba,
         "five-pointed yellow star with a soft glow, alpha", makeYellowStar},
        {"textures\\sky.png", 128, 128, PixelFormat::Rgba, "soft cloud puff lit from above, alpha",
         makeSky},
        {"textures\\heart.png", 128, 128, PixelFormat::Rgba,
         "rose heart with highlight and light rim, alpha, one per picture height", makeHeart},
        {"textures\\noise.png", 256, 256, PixelFormat::Rgba,
         "film grain veil: grey speckle with strength-driven alpha, dust and scratches, tiling",
         makeNoise},
        {"textures\\commdesign1.png", 32, 512, PixelFormat::Rgba,
         "vertical strip: amber chevrons and teal dots between two rules, alpha, tiling",
         makeCommDesign},
    };
}
