// backdrops.cpp - the big flat pictures: the six letterbox backdrops, the logo bar, the
// spectrum bar fill and the two skies.
//
// Letterbox pictures fill 640 x 334 on screen; they are painted at twice that size and
// brought to 1024 x 512, so the picture is right on screen whatever the texture's aspect.
#include <cmath>
#include <functional>

#include "tools/assetgen/catalog.h"
#include "tools/assetgen/noise.h"
#include "tools/assetgen/shapes.h"
#include "tools/assetgen/style.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr int kW = 1280, kH = 668;  // a letterbox at twice its size on screen

using Painter = std::function<Color(float x, float y)>;

Image paintDesign(int w, int h, const Painter& paint) {
    Image d(w, h);
    shade(d, [&](float u, float v) { return paint(u * w, v * h); });
    return d;
}

// The finish every letterbox shares: frame, vignette, texture size, grain.
Image finishLetterbox(Image design, unsigned seed, bool frame = true) {
    if (frame) letterboxFrame(design);
    vignette(design, 0.35f);
    Image out = resample(design, 1024, 512);
    addGrain(out, 0.012f, seed);
    return out;
}

// Amber rules and ticks as the frame draws them, but running the full width, for pictures
// that scroll sideways.
Color fullWidthRules(Color c, float y) {
    float inset = kH * 0.035f, half = std::fmax(1.2f, kH * 0.004f) * 0.5f;
    float d = std::fmin(std::fabs(y - inset), std::fabs(y - (kH - inset))) - half;
    return over(c, palette::amber.withAlpha(0.9f * coverage(d, 1.0f)));
}

// A soft lens-blur disc with a brighter rim.
Color bokeh(Color c, Vec2 p, Vec2 centre, float r, Color tint, float strength) {
    float d = length(p - centre) - r;
    float disc = coverage(d, 3.0f) * (0.6f + 0.4f * smoothstep(-r * 0.5f, 0.0f, d));
    return addLight(c, tint, disc * strength);
}

Color silhouette(Color c, float x, float y, float period, float base, float top, float seed,
                 Color rim) {
    float d = palisadeSdf(x, y, period, base, top, seed);
    float body = coverage(d, 1.5f);
    float edge = body - coverage(d + 3.0f, 1.5f);
    c = mix(c, palette::ink, body);
    return addLight(c, rim, edge * 0.6f);
}

// ---------------------------------------------------------------------------------------

// Quiet dusk: violet sky over a glowing horizon, drifting light discs, the palisade below.
Image makeRest(const AssetContext&) {
    Rng rng(101);
    struct Disc {
        Vec2 c;
        float r;
        Color tint;
        float k;
    };
    std::vector<Disc> discs;
    const Color tints[3] = {palette::teal, palette::amber, palette::ice};
    for (int i = 0; i < 16; ++i)
        discs.push_back({{rng.uniform() * kW, rng.range(0.1f, 0.7f) * kH},
                         rng.range(24, 90),
                         tints[i % 3],
                         rng.range(0.06f, 0.16f)});
    return finishLetterbox(
        paintDesign(kW, kH,
                    [&](float x, float y) {
                        float v = y / kH;
                        Color c = ramp({{0.0f, mix(palette::violet, palette::night, 0.4f)},
                                        {0.55f, palette::night},
                                        {0.8f, Color::hex(0x2B2044)},
                                        {1.0f, palette::ink}},
                                       v);
                        c = addLight(c, palette::amber,
                                     std::exp(-std::pow((v - 0.8f) / 0.07f, 2.0f)) * 0.35f);
                        for (const Disc& d : discs) c = bokeh(c, {x, y}, d.c, d.r, d.tint, d.k);
                        c = silhouette(c, x, y, 52, kH * 1.05f, kH * 0.82f, 7, palette::amber);
                        return c * (1 - 0.05f * (0.5f + 0.5f * std::sin(y * kPi / 4)));
                    }),
        101);
}

// Blueprint of the palisade: a drafting grid, stakes drawn with dimension lines, a hazard
// band. It scrolls sideways, so it tiles left to right.
Image makeWorkScroller(const AssetContext& ctx) {
    Image d = paintDesign(kW, kH, [&](float x, float y) {
        Color c = mix(palette::night, Color::hex(0x0E3A4E), 0.55f + 0.25f * std::sin(y / kH * kPi));
        auto gridLine = [](float v, float step) {
            float f = v - std::round(v / step) * step;
            return std::fabs(f);
        };
        c = mix(c, palette::ice, coverage(gridLine(x, 32) - 0.5f, 1.0f) * 0.07f);
        c = mix(c, palette::ice, coverage(gridLine(y, 32) - 0.5f, 1.0f) * 0.07f);
        c = mix(c, palette::ice, coverage(gridLine(x, 160) - 1.0f, 1.0f) * 0.16f);
        c = mix(c, palette::ice, coverage(gridLine(y, 160) - 1.0f, 1.0f) * 0.16f);
        // Four stake drawings per picture width, each with a height dimension.
        for (int k = 0; k < 4; ++k) {
            float cx = 160 + 320 * k, top = kH * (0.3f + 0.08f * ((k * 3) % 4)), base = kH * 0.78f;
            float s = sdStake({x, y}, cx, 34, base, top, 46);
            c = mix(c, palette::ice, coverage(std::fabs(s) - 1.5f, 1.0f) * 0.85f);
            c = mix(c, palette::teal, coverage(s, 1.0f) * 0.12f);
            float dimX = cx + 80;
            float dim = sdSegment({x, y}, {dimX, top - 46}, {dimX, base}) - 1.0f;
            dim = std::fmin(dim,
                            sdSegment({x, y}, {dimX - 10, top - 46}, {dimX + 10, top - 46}) - 1.0f);
            dim = std::fmin(dim, sdSegment({x, y}, {dimX - 10, base}, {dimX + 10, base}) - 1.0f);
            c = mix(c, palette::amber, coverage(dim, 1.0f) * 0.8f);
        }
        // Hazard band: diagonal stripes with a period that divides the width.
        if (y > kH * 0.84f && y < kH * 0.9f) {
            float stripe = std::fmod(x + y + 4000.0f, 40.0f) < 20 ? 1.0f : 0.0f;
            float edge = coverage(std::fabs(y - kH * 0.87f) - kH * 0.03f + 1, 1.0f);
            c = mix(c, stripe ? palette::amber : palette::ink, edge * 0.85f);
        }
        return fullWidthRules(c, y);
    });
    // Labels sit inside the picture, clear of its left and right edges.
    TextStyle label = houseSmallType(26);
    const char* names[4] = {"STAKE A", "STAKE B", "STAKE C", "STAKE D"};
    for (int k = 0; k < 4; ++k)
        drawText(d, ctx.fonts.render(names[k], label, 2), 160 + 320 * k, kH * 0.78f + 44,
                 palette::ice, palette::ice);
    TextStyle big = houseType(40);
    big.tracking = 0.3f;
    drawText(d, ctx.fonts.render("STAKE BY STAKE", big, 2), kW * 0.5f, kH * 0.16f, palette::amber,
             palette::ember);
    Image out = resample(d, 1024, 512, Edge::Wrap);
    addGrain(out, 0.012f, 102);
    return out;
}

// A tufted cushion: diamond quilting, each cell swelling like a pillow, buttons in the seams.
Image makePude(const AssetContext&) {
    return finishLetterbox(
        paintDesign(kW, kH,
                    [](float x, float y) {
                        const float cell = 118;
                        float a = (x + y) * 0.70710678f / cell, b = (x - y) * 0.70710678f / cell;
                        float fa = a - std::floor(a) - 0.5f, fb = b - std::floor(b) - 0.5f;
                        float h = (1 - 4 * fa * fa) * (1 - 4 * fb * fb);
                        // Slope of the swelling along x and y, for light from the upper left.
                        float da = -8 * fa * (1 - 4 * fb * fb), db = -8 * fb * (1 - 4 * fa * fa);
                        float gx = (da + db) * 0.7071f, gy = (da - db) * 0.7071f;
                        float light = clamp01(0.55f + 0.22f * (-gx - gy) + 0.25f * h);
                        Color base = mix(Color::hex(0x140E30), Color::hex(0x4A3488), light);
                        base = mix(base, palette::ink, smoothstep(0.12f, 0.0f, h) * 0.6f);
                        // Buttons where the seams cross.
                        float ra = std::round(a), rb = std::round(b);
                        float bx = (ra + rb) * cell * 0.70710678f,
                              by = (ra - rb) * cell * 0.70710678f;
                        float bd = sdCircle({x, y}, {bx, by}, 9);
                        Color button = mix(palette::amber, palette::bone,
                                           clamp01(((bx - x) + (by - y)) / 14 + 0.3f));
                        base = mix(base, palette::ink, coverage(bd - 3, 3.0f) * 0.5f);
                        return mix(base, button, coverage(bd, 1.0f));
                    }),
        103);
}

// Warm love: rose into ember, fine diagonal stripes, scattered heart outlines.
Image makeLove(const AssetContext&) {
    Rng rng(104);
    struct Heart {
        Vec2 c;
        float size;
    };
    std::vector<Heart> hearts;
    for (int i = 0; i < 9; ++i)
        hearts.push_back(
            {{rng.range(0.3f, 1.0f) * kW, rng.range(0.15f, 0.85f) * kH}, rng.range(70, 230)});
    return finishLetterbox(
        paintDesign(kW, kH,
                    [&](float x, float y) {
                        float t = (x / kW * 0.7f + y / kH * 0.3f);
                        Color c = ramp({{0.0f, Color::hex(0x3A0A24)},
                                        {0.5f, Color::hex(0x8E1E48)},
                                        {1.0f, Color::hex(0xC8462E)}},
                                       t);
                        float stripe = std::fmod(x - y + 4000.0f, 22.0f) < 4 ? 1.0f : 0.0f;
                        c = addLight(c, palette::rose, stripe * 0.06f);
                        for (const Heart& h : hearts) {
                            float d = sdHeart({x, y}, h.c, h.size);
                            c = addLight(c, palette::rose, coverage(d, 2.0f) * 0.08f);
                            c = mix(c, palette::bone, coverage(std::fabs(d) - 1.6f, 1.0f) * 0.35f);
                        }
                        return c;
                    }),
        104);
}

// Creativity: big translucent chevrons and triangles over a dotted grid.
Image makeCreativity(const AssetContext& ctx) {
    struct Shape {
        std::vector<Vec2> poly;
        Color color;
        float alpha;
    };
    auto tri = [](Vec2 a, Vec2 b, Vec2 c) { return std::vector<Vec2>{a, b, c}; };
    // Deep and dark, the shapes only tinting it: the parts on this backdrop flash white on
    // the accents and blur it, and what keeps them legible is the dark left between the
    // shapes.
    std::vector<Shape> shapes = {
        {tri({-80, 700}, {520, -60}, {760, 700}), palette::indigo, 0.25f},
        {tri({300, 680}, {900, 40}, {1180, 680}), palette::teal, 0.2f},
        {tri({700, -40}, {1400, -40}, {1050, 520}), palette::violet, 0.3f},
        {tri({-60, -40}, {420, -40}, {80, 380}), palette::amber, 0.16f},
        {tri({880, 700}, {1120, 320}, {1360, 700}), palette::rose, 0.22f},
    };
    Image d = paintDesign(kW, kH, [&](float x, float y) {
        Color c = mix(palette::ink, palette::night, 0.3f * y / kH);
        for (const Shape& s : shapes)
            c = over(c, s.color.withAlpha(s.alpha * coverage(sdPolygon({x, y}, s.poly), 1.5f)));
        for (int k = 0; k < 3; ++k) {
            float chev = sdChevron({x, y}, 200 + k * 78.0f, kH * 0.62f, 30, 34, 10);
            c = over(c, palette::amber.withAlpha(coverage(chev, 1.0f) * (0.9f - 0.25f * k)));
        }
        float gx = x - std::round(x / 40) * 40, gy = y - std::round(y / 40) * 40;
        return addLight(c, palette::ice,
                        coverage(std::sqrt(gx * gx + gy * gy) - 1.6f, 1.0f) * 0.15f);
    });
    TextStyle big = houseType(120);
    big.tracking = 0.04f;
    TextRun word = ctx.fonts.render("CREATE", big, 4);
    Mask outline = levels(blur(word.mask, 1.5f), 0.15f, 0.35f);
    for (size_t i = 0; i < outline.values().size(); ++i)
        outline.values()[i] = std::fmax(0.0f, outline.values()[i] - word.mask.values()[i]);
    // In the middle of the lower edge: the 3D logo turns in the corners.
    compositeMask(d, outline, int(kW * 0.5f - word.mask.width() * 0.5f),
                  int(kH * 0.93f) - word.baseline, palette::bone.withAlpha(0.35f));
    return finishLetterbox(d, 105);
}

// A broadcast studio: scanlines, a screen outline, a test ring and colour bars in the house
// palette.
Image makeTelelady(const AssetContext& ctx) {
    const Color bars[7] = {palette::bone,   palette::amber, palette::teal,  palette::moss,
                           palette::violet, palette::rose,  palette::indigo};
    Image d = paintDesign(kW, kH, [&](float x, float y) {
        Color c = ramp({{0.0f, palette::night}, {1.0f, palette::ink}}, y / kH);
        c = c * (1 - 0.1f * (0.5f + 0.5f * std::sin(y * kPi / 4)));
        float screen = sdRoundBox({x, y}, {kW * 0.5f, kH * 0.44f}, {kW * 0.36f, kH * 0.3f}, 40);
        c = mix(c, palette::ice, coverage(std::fabs(screen) - 1.5f, 1.0f) * 0.35f);
        c = addLight(c, palette::teal, coverage(screen, 4.0f) * 0.06f);
        float ring = std::fabs(sdCircle({x, y}, {kW * 0.5f, kH * 0.44f}, kH * 0.22f)) - 2;
        float cross = std::fmin(sdBox({x, y}, {kW * 0.5f, kH * 0.44f}, {kH * 0.26f, 1}),
                                sdBox({x, y}, {kW * 0.5f, kH * 0.44f}, {1, kH * 0.26f}));
        c = mix(c, palette::ice, coverage(std::fmin(ring, cross), 1.0f) * 0.25f);
        if (y > kH * 0.8f && y < kH * 0.9f) {
            int i = int(x / kW * 7);
            c = mix(c, bars[std::min(i, 6)], 0.85f);
        }
        if (y >= kH * 0.9f && y < kH * 0.93f) c = mix(c, Color(x / kW, x / kW, x / kW), 0.85f);
        return c;
    });
    TextStyle s = houseSmallType(28);
    drawText(d, ctx.fonts.render("VEXIL TV  \xc2\xb7  CHANNEL 2.0", s, 2), kW * 0.5f,
             kH * 0.11f + 10, palette::amber, palette::amber);
    return finishLetterbox(d, 106);
}

// The logo bar of the top and bottom of the screen: 640 x 73 on screen, scrolling sideways,
// the same picture at the top and the bottom (so it is symmetric top to bottom). It carries
// the wordmark but no emblem: the spinning 3D logo, which turns over the bars' corners, is
// the emblem on screen, and a second V passing under it only clutters it.
Image makeLogoBar(const AssetContext& ctx) {
    const int w = 1280, h = 146;
    Image d = paintDesign(w, h, [&](float x, float y) {
        float v = y / h;
        Color c = ramp({{0.0f, palette::ink},
                        {0.5f, mix(palette::night, palette::indigo, 0.6f)},
                        {1.0f, palette::ink}},
                       v);
        // Rows of small stakes hang from the top edge and stand on the bottom edge.
        float top = palisadeSdf(x, 24 - y, 16, 26, 9, 3);
        float bottom = palisadeSdf(x, 24 - (h - y), 16, 26, 9, 5);
        c = addLight(c, palette::indigo, coverage(std::fmin(top, bottom), 1.0f) * 0.5f);
        float rule = std::fmin(std::fabs(y - 2.5f), std::fabs(y - (h - 2.5f))) - 2.5f;
        c = mix(c, palette::amber, coverage(rule, 1.0f));
        float hair = std::fmin(std::fabs(y - 30), std::fabs(y - (h - 30))) - 0.7f;
        c = mix(c, palette::teal, coverage(hair, 1.0f) * 0.5f);
        for (int k = 0; k < 3; ++k) {
            // Chevrons on their side, pointing right: x and y swap roles.
            float chev = sdChevron({y, x}, h * 0.5f, 1074 + k * 26.0f, 12, 14, 5);
            c = mix(c, palette::teal, coverage(chev, 1.0f) * (1 - 0.25f * k));
        }
        return c;
    });
    TextStyle word = houseType(64);
    word.tracking = 0.12f;
    TextRun vexil = ctx.fonts.render("VEXIL", word, 2);
    drawGlowText(d, vexil, 190 + vexil.mask.width() * 0.5f, h * 0.5f + 23, palette::bone,
                 palette::ice, palette::teal, 6, 0.5f);
    TextStyle small = houseSmallType(30);
    TextRun title = ctx.fonts.render("PALISADE 2.0", small, 2);
    drawText(d, title, 190 + vexil.mask.width() + 40 + title.mask.width() * 0.5f, h * 0.5f + 11,
             palette::amber, palette::amber);
    Image out = resample(d, 1024, 128, Edge::Wrap);
    addGrain(out, 0.01f, 107);
    return out;
}

// The spectrum bar fill, read from the top (the bar's root) down to its tip: deep teal into
// teal, then ice, amber and ember near full level, in lit segments like a meter. The bars hang
// far into the picture when the music is loud and are laid over it at 70 %, so their body stays
// dark with dark gaps: a pale fill would lay a veil over the drops.
Image makeGradient(const AssetContext&) {
    Image img(64, 256);
    shade(img, [](float u, float v) {
        Color c = ramp({{0.0f, Color::hex(0x041820)},
                        {0.35f, Color::hex(0x0A4656)},
                        {0.6f, palette::teal * 0.8f},
                        {0.75f, palette::ice * 0.8f},
                        {0.86f, palette::amber},
                        {0.94f, palette::ember},
                        {1.0f, palette::rose}},
                       v);
        float across = 0.55f + 0.45f * std::sin(u * kPi);
        float segment = std::fmod(v * 256, 12.0f) < 3.5f ? 0.15f : 1.0f;
        return c * (across * segment);
    });
    return img;
}

// Blue sky with clouds for the sky plane, which repeats it twenty times each way: it tiles.
Image makeBlueSky(const AssetContext&) {
    Image img(512, 512);
    shade(img, [](float u, float v) {
        float n = fbm2(u * 4, v * 4, 5, 4, 4, 61) * 0.5f + 0.5f;
        float lift = fbm2(u * 4 + 0.13f, v * 4 + 0.17f, 5, 4, 4, 61) * 0.5f + 0.5f;
        Color sky = mix(Color::hex(0x2F63C4), Color::hex(0x5A92E6),
                        fbm2(u * 2, v * 2, 2, 2, 2, 67) * 0.5f + 0.5f);
        float cloud = smoothstep(0.5f, 0.78f, n);
        Color white =
            mix(Color::hex(0xB8C8E8), Color::hex(0xFFFFFF), clamp01(0.6f + (n - lift) * 4));
        return mix(sky, white, cloud);
    });
    return img;
}

// Cloud shadows and glints added onto a lit scene: dark ground, soft teal and violet wisps.
Image makeSkyMap(const AssetContext&) {
    Image img(256, 256);
    shade(img, [](float u, float v) {
        float n = fbm2(u * 3, v * 3, 5, 3, 3, 71) * 0.5f + 0.5f;
        float m = fbm2(u * 5 + 0.3f, v * 5, 4, 5, 5, 73) * 0.5f + 0.5f;
        Color c(0.02f, 0.025f, 0.05f);
        c = addLight(c, palette::teal, smoothstep(0.5f, 0.8f, n) * 0.3f);
        c = addLight(c, palette::violet, smoothstep(0.55f, 0.85f, m) * 0.25f);
        return c;
    });
    return img;
}

}  // namespace

std::vector<TextureAsset> backdropAssets() {
    return {
        {"textures\\design-clogo-bar.png", 1024, 128, PixelFormat::Rgb,
         "logo bar: VEXIL wordmark, stake rows, amber rules; tiles sideways", makeLogoBar},
        {"textures\\gradient.jpg", 64, 256, PixelFormat::Rgb,
         "spectrum bar fill from the root (top) to full level: deep teal, teal, ice, amber, ember, "
         "in dark-gapped segments",
         makeGradient},
        {"textures\\bluesky.jpg", 512, 512, PixelFormat::Rgb, "blue sky with white clouds, tiling",
         makeBlueSky},
        {"textures\\skymap.png", 256, 256, PixelFormat::Rgb,
         "dark sky map with teal and violet wisps, added onto a scene; tiling", makeSkyMap},
        {"textures\\rest.jpg", 1024, 512, PixelFormat::Rgb,
         "letterbox: violet dusk, light discs, palisade on a glowing horizon", makeRest},
        {"textures\\design-work-scroller.jpg", 1024, 512, PixelFormat::Rgb,
         "letterbox: blueprint of stakes with dimensions and a hazard band; tiles sideways",
         makeWorkScroller},
        {"textures\\design-clogo-pude-back.jpg", 1024, 512, PixelFormat::Rgb,
         "letterbox: tufted violet cushion with amber buttons", makePude},
        {"textures\\design-clogo-love-back.jpg", 1024, 512, PixelFormat::Rgb,
         "letterbox: rose into ember with heart outlines", makeLove},
        {"textures\\design-clogo-creativity-back.jpg", 1024, 512, PixelFormat::Rgb,
         "letterbox: translucent triangles and chevrons, outlined CREATE", makeCreativity},
        {"textures\\design-clogo-telelady-back.jpg", 1024, 512, PixelFormat::Rgb,
         "letterbox: broadcast studio with screen outline, test ring and palette bars",
         makeTelelady},
    };
}
