// typography.cpp - the pictures that carry text: the title strip, the credits, the greeting
// strips, the closing picture and the settings dialog's splash.
#include <cmath>

#include "tools/assetgen/catalog.h"
#include "tools/assetgen/shapes.h"
#include "tools/assetgen/style.h"

namespace {

// The title treatment: chrome letters (ice above a hard horizon, amber below it) inside a
// dark outline, with a teal glow. Paints onto a transparent picture.
void chromeText(Image& img, const TextRun& run, float cx, float baseline, float outline,
                float glow) {
    int border = int(std::ceil(outline + glow * 3)) + 2;
    Mask padded = pad(run.mask, border);
    Mask halo = blur(padded, glow);
    scaleMask(halo, 0.9f);
    Mask stroke = levels(blur(padded, outline * 0.5f), 0.04f, 0.25f);
    int ox = int(std::lround(cx - run.mask.width() * 0.5f)) - border;
    int oy = int(std::lround(baseline)) - run.baseline - border;
    compositeMask(img, halo, ox, oy, palette::teal.withAlpha(0.8f));
    compositeMask(img, stroke, ox, oy, palette::ink);
    float top = baseline - run.ascent, horizon = baseline - run.ascent * 0.45f;
    compositeMask(img, padded, ox, oy, [&](int, int y) {
        float fy = float(y);
        if (fy < horizon)
            return mix(palette::bone, palette::ice, clamp01((fy - top) / (horizon - top)));
        return mix(Color::hex(0xFFD27A), palette::ember,
                   clamp01((fy - horizon) / (baseline - horizon)));
    });
}

// 440 x 40 on screen: painted at 1056 x 96 and brought to the texture's 1024 x 128.
Image makeTitle(const AssetContext& ctx) {
    Image design(1056, 96, Color(0, 0, 0, 0));
    std::string text = upper(ctx.texts.title);
    TextStyle style = fitWidth(ctx.fonts, text, houseType(72), 980, 70);
    TextRun run = ctx.fonts.render(text, style, 2);
    chromeText(design, run, 528, 48 + run.ascent * 0.5f, 5, 4);
    return resample(design, 1024, 128);
}

struct CreditSection {
    std::string heading;
    std::vector<std::string> names;
};

std::vector<CreditSection> creditSections(const std::vector<std::string>& lines) {
    std::vector<CreditSection> sections;
    for (const std::string& l : lines) {
        if (l.rfind("# ", 0) == 0)
            sections.push_back({l.substr(2), {}});
        else if (!l.empty() && !sections.empty())
            sections.back().names.push_back(l);
    }
    return sections;
}

// The credits in the 640 x 334 letterbox: a translucent panel with the sections in two
// columns, painted at 1280 x 668.
Image makeCredits(const AssetContext& ctx) {
    const int w = 1280, h = 668;
    Image design(w, h, Color(0, 0, 0, 0));
    // The panel stays clear of the line of thanks above it and the palisade below it, both
    // in the closing picture the credits are laid over.
    const float px0 = 190, px1 = w - 190, py0 = 92, py1 = 452;
    modify(design, [&](Color c, float u, float v) {
        Vec2 p = {u * w, v * h};
        float d = sdRoundBox(p, {(px0 + px1) / 2, (py0 + py1) / 2},
                             {(px1 - px0) / 2, (py1 - py0) / 2}, 24);
        c = over(c, palette::ink.withAlpha(0.62f * coverage(d, 1.5f)));
        return over(c, palette::amber.withAlpha(0.7f * coverage(std::fabs(d + 6) - 1.2f, 1.0f)));
    });
    TextStyle head = houseType(40);
    head.tracking = 0.2f;
    drawGlowText(design, ctx.fonts.render("VEXIL PALISADE 2.0", head, 2), w / 2.0f, py0 + 70,
                 palette::bone, palette::ice, palette::teal, 5, 0.6f);
    std::vector<CreditSection> sections = creditSections(ctx.texts.credits);
    int rows = int(sections.size() + 1) / 2;
    float top = py0 + 118, rowHeight = (py1 - 6 - top) / std::max(rows, 1);
    for (size_t i = 0; i < sections.size(); ++i) {
        float cx = (i % 2 == 0) ? w * 0.32f : w * 0.68f;
        if (i + 1 == sections.size() && sections.size() % 2) cx = w * 0.5f;
        float y = top + (i / 2) * rowHeight;
        TextStyle role = houseSmallType(24);
        drawText(design, ctx.fonts.render(upper(sections[i].heading), role, 2), cx, y,
                 palette::amber, palette::amber);
        for (size_t n = 0; n < sections[i].names.size(); ++n) {
            TextStyle name = fitWidth(ctx.fonts, sections[i].names[n], houseType(46), w * 0.3f, 46);
            name.tracking = 0.02f;
            drawText(design, ctx.fonts.render(sections[i].names[n], name, 2), cx, y + 50 + 52 * n,
                     palette::bone, palette::ice);
        }
    }
    return resample(design, 1024, 512);
}

// Forty bands of 1/40 of the height, one greeting each, counted from the bottom of the
// picture (the texture's t = 0). On screen a band is a 1.2 x 0.16 strip, 7.5 : 1, while
// a band of the texture is 10 : 1, so the letters are set 4/3 wider than their natural
// shape. Light on black: the strips are drawn additively.
Image makeGreet(const AssetContext& ctx) {
    const int w = 256, h = 1024, bands = 40;
    const float band = float(h) / bands;
    Image img(w, h, Color(0, 0, 0, 0));
    for (int k = 0; k < bands && k < int(ctx.texts.greetings.size()); ++k) {
        const std::string& text = ctx.texts.greetings[k];
        TextStyle style = houseType(19);
        style.widthScale = 4.0f / 3.0f;
        style.tracking = 0.04f;
        style = fitWidth(ctx.fonts, text, style, w - 20, 19);
        TextRun run = ctx.fonts.render(text, style, 2);
        float centre = h - (k + 0.5f) * band;
        float baseline = centre + 0.5f * 0.73f * style.size;
        drawGlowText(img, run, w / 2.0f, baseline, palette::bone, palette::ice, palette::teal, 1.4f,
                     0.8f);
    }
    return img;
}

// The closing picture, blended over the whole screen: a vignette, a warm horizon, the
// palisade against the sky and a line of thanks above it; the sky and the particles show
// through the middle. Painted at 1280 x 960 (twice the screen).
Image makeEnd(const AssetContext& ctx) {
    const int w = 1280, h = 960;
    const float barTop = 146, barBottom = 814;  // the letterbox between the logo bars
    Image design(w, h, Color(0, 0, 0, 0));
    modify(design, [&](Color c, float u, float v) {
        float x = u * w, y = v * h;
        float dx = u - 0.5f, dy = (v - 0.5f) * 0.75f;
        float vig = smoothstep(0.3f, 0.75f, std::sqrt(dx * dx + dy * dy));
        c = over(c, palette::ink.withAlpha(vig * 0.75f));
        float glow = std::exp(-std::pow((y - 720) / 70.0f, 2.0f));
        c = over(c, palette::amber.withAlpha(glow * 0.35f));
        float d = palisadeSdf(x, y, 60, barBottom + 40, 700, 11);
        float body = coverage(d, 1.5f);
        float rim = body - coverage(d + 4, 1.5f);
        c = over(c, palette::ink.withAlpha(body));
        c = over(c, palette::amber.withAlpha(rim * 0.8f));
        return c;
    });
    TextStyle s = houseSmallType(30);
    s.face = Typeface::SansBold;
    s.tracking = 0.3f;
    TextRun thanks = ctx.fonts.render("THANK YOU FOR WATCHING", s, 2);
    drawGlowText(design, thanks, w / 2.0f + 30, barTop + 70, palette::bone, palette::bone,
                 palette::ink, 6, 0.9f);
    modify(design, [&](Color c, float u, float v) {
        EmblemDistance e =
            emblemSdf(u * w, v * h, w / 2.0f - thanks.mask.width() / 2.0f - 10, barTop + 58, 22);
        c = over(c, palette::ice.withAlpha(coverage(e.ring, 1.0f)));
        return over(c, palette::amber.withAlpha(coverage(e.chevron, 1.0f)));
    });
    return resample(design, 1024, 512);
}

// The splash above the settings dialog: the emblem over the palisade at dusk, and the title.
Image makeSplash(const AssetContext& ctx) {
    const int n = 512;
    Image design(n, n);
    shade(design, [n](float u, float v) {
        float x = u * n, y = v * n;
        Color c = ramp({{0.0f, palette::ink},
                        {0.55f, palette::night},
                        {0.8f, Color::hex(0x3A2550)},
                        {1.0f, palette::ink}},
                       v);
        c = addLight(
            c, palette::teal,
            std::exp(-((u - 0.5f) * (u - 0.5f) + (v - 0.36f) * (v - 0.36f)) / 0.03f) * 0.35f);
        c = addLight(c, palette::amber, std::exp(-std::pow((v - 0.84f) / 0.05f, 2.0f)) * 0.4f);
        EmblemDistance e = emblemSdf(x, y, n / 2.0f, n * 0.36f, 118);
        c = mix(c, palette::ink, coverage(std::fmin(e.ring, e.chevron) - 6, 6.0f) * 0.6f);
        c = mix(c, mix(palette::ice, palette::bone, v), coverage(e.ring, 1.0f));
        c = mix(c, mix(Color::hex(0xFFD27A), palette::ember, clamp01((v - 0.25f) * 3)),
                coverage(e.chevron, 1.0f));
        float d = palisadeSdf(x, y, 36, n + 10, n * 0.88f, 13);
        c = mix(c, palette::ink, coverage(d, 1.0f));
        return addLight(c, palette::amber, (coverage(d, 1.0f) - coverage(d + 3, 1.0f)) * 0.7f);
    });
    TextStyle title = houseType(64);
    title.tracking = 0.14f;
    drawGlowText(design, ctx.fonts.render("VEXIL", title, 2), n / 2.0f + 5, n * 0.73f,
                 palette::bone, palette::ice, palette::teal, 6, 0.5f);
    TextStyle sub = houseSmallType(30);
    sub.face = Typeface::SansBold;
    sub.tracking = 0.3f;
    drawText(design, ctx.fonts.render("PALISADE 2.0", sub, 2), n / 2.0f + 5, n * 0.81f,
             palette::amber, palette::amber);
    return resample(design, 256, 256);
}

}  // namespace

std::vector<TextureAsset> typographyAssets() {
    return {
        {"textures\\title.png", 1024, 128, PixelFormat::Rgba,
         "the title VEXIL PALISADE 2.0 in chrome letters with outline and glow, for the 440 x 40 "
         "strip, alpha",
         makeTitle},
        {"textures\\credits.png", 1024, 512, PixelFormat::Rgba,
         "credits for the 640 x 334 letterbox: translucent panel, roles and handles in two "
         "columns, alpha",
         makeCredits},
        {"textures\\greet.png", 256, 1024, PixelFormat::Rgba,
         "greeting strips: 40 bands of 1/40 of the height from the bottom up, light on black, "
         "alpha",
         makeGreet},
        {"textures\\end.PNG", 1024, 512, PixelFormat::Rgba,
         "closing picture over the sky: vignette, warm horizon, palisade, a line of thanks, alpha",
         makeEnd},
    };
}

TextureAsset splashAsset() {
    return {"splash.png",
            256,
            256,
            PixelFormat::Rgb,
            "settings dialog splash: the emblem over the palisade at dusk, with the title",
            makeSplash};
}

// The program's icon: the emblem, ring in ice and chevron in amber over a dark disc, with a
// dark outline that keeps it readable on light and dark panels; transparent around it.
Image makeIcon(int size) {
    Image icon(size, size, Color(0, 0, 0, 0));
    const float s = static_cast<float>(size);
    // The emblem spans 5.23 of its units from the stakes' tips to the ring's foot.
    const float scale = 0.344f * s, cx = 0.5f * s, cy = 0.557f * s;
    const float px = 1.0f;
    const float outline = std::fmax(1.0f, s / 48.0f);
    shadeSupersampled(icon, 4, [&](float u, float v) {
        const float x = u * s, y = v * s;
        const EmblemDistance e = emblemSdf(x, y, cx, cy, scale);
        const float disc = std::hypot(x - cx, y - cy) - scale;
        const float shape = std::fmin(std::fmin(e.ring, e.chevron), disc);
        Color c = mix(palette::night, palette::ink, clamp01(v));
        c = mix(c, mix(palette::ice, palette::bone, v), coverage(e.ring, px));
        c = mix(c, mix(Color::hex(0xFFD27A), palette::ember, clamp01((v - 0.25f) * 2.5f)),
                coverage(e.chevron, px));
        return c.withAlpha(coverage(shape - outline, px));
    });
    return icon;
}
