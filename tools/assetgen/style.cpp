#include "tools/assetgen/style.h"

#include <cctype>
#include <cmath>
#include <vector>

#include "tools/assetgen/noise.h"
#include "tools/assetgen/shapes.h"

Color ramp(std::initializer_list<std::pair<float, Color>> stops, float t) {
    const std::pair<float, Color>* prev = stops.begin();
    if (t <= prev->first) return prev->second;
    for (const auto* s = stops.begin() + 1; s != stops.end(); ++s) {
        if (t <= s->first)
            return mix(prev->second, s->second, (t - prev->first) / (s->first - prev->first));
        prev = s;
    }
    return prev->second;
}

void addGrain(Image& img, float amount, unsigned seed) {
    Rng rng(seed);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            float n = (rng.uniform() + rng.uniform() - 1) * amount;
            Color& c = img.at(x, y);
            c = Color(c.r + n, c.g + n, c.b + n, c.a);
        }
}

void vignette(Image& img, float strength) {
    modify(img, [strength](Color c, float u, float v) {
        float dx = u - 0.5f, dy = v - 0.5f;
        float k = 1 - strength * smoothstep(0.2f, 0.75f, std::sqrt(dx * dx + dy * dy));
        return Color(c.r * k, c.g * k, c.b * k, c.a);
    });
}

float palisadeSdf(float x, float y, float period, float baseY, float topY, float seed) {
    int i = int(std::floor(x / period));
    float best = 1e9f;
    for (int k = i - 1; k <= i + 1; ++k) {
        float cx = (k + 0.5f) * period;
        float jitter = hash01(k, 0, unsigned(seed)) - 0.5f;
        float top = topY + jitter * (baseY - topY) * 0.25f;
        float w = period * 0.36f;
        best = std::fmin(best, sdStake({x, y}, cx, w, baseY, top, w * 1.5f));
    }
    return best;
}

TextStyle houseType(float size) {
    TextStyle s;
    s.face = Typeface::SansBold;
    s.size = size;
    s.tracking = 0.06f;
    return s;
}

TextStyle houseSmallType(float size) {
    TextStyle s;
    s.face = Typeface::Sans;
    s.size = size;
    s.tracking = 0.18f;
    return s;
}

std::string upper(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if ((unsigned char)c < 128) c = char(std::toupper((unsigned char)c));
    return out;
}

void drawText(Image& img, const TextRun& run, float cx, float baselineY, Color top, Color bottom) {
    int ox = int(std::lround(cx - run.mask.width() * 0.5f));
    int oy = int(std::lround(baselineY)) - run.baseline;
    float y0 = float(oy + run.baseline) - run.ascent, y1 = float(oy + run.baseline);
    compositeMask(img, run.mask, ox, oy, [&](int, int y) {
        return mix(top, bottom, clamp01((y - y0) / std::fmax(1.0f, y1 - y0)));
    });
}

void drawGlowText(Image& img, const TextRun& run, float cx, float baselineY, Color top,
                  Color bottom, Color glow, float glowRadius, float glowStrength) {
    int border = int(std::ceil(glowRadius * 3));
    Mask halo = blur(pad(run.mask, border), glowRadius);
    scaleMask(halo, glowStrength);
    int ox = int(std::lround(cx - run.mask.width() * 0.5f)) - border;
    int oy = int(std::lround(baselineY)) - run.baseline - border;
    compositeMask(img, halo, ox, oy, glow);
    drawText(img, run, cx, baselineY, top, bottom);
}

void letterboxFrame(Image& img) {
    float w = float(img.width()), h = float(img.height());
    float px = 1.0f;
    float inset = h * 0.035f, rule = std::fmax(1.2f, h * 0.004f), tick = h * 0.05f;
    float band = inset + tick + 2;
    modify(img, [&](Color c, float u, float v) {
        Vec2 p = {u * w, v * h};
        if (p.y > band && p.y < h - band) return c;
        float d = 1e9f;
        // Rules stop short of the corners; ticks stand at the rule ends.
        d = std::fmin(d, sdBox(p, {w * 0.5f, inset}, {w * 0.5f - inset * 2.2f, rule * 0.5f}));
        d = std::fmin(d, sdBox(p, {w * 0.5f, h - inset}, {w * 0.5f - inset * 2.2f, rule * 0.5f}));
        for (float sx : {inset * 1.6f, w - inset * 1.6f}) {
            d = std::fmin(d,
                          sdBox(p, {sx, inset + tick * 0.5f - rule}, {rule * 0.5f, tick * 0.5f}));
            d = std::fmin(
                d, sdBox(p, {sx, h - inset - tick * 0.5f + rule}, {rule * 0.5f, tick * 0.5f}));
        }
        return over(c, palette::amber.withAlpha(0.9f * coverage(d, px)));
    });
}

EmblemDistance emblemSdf(float x, float y, float cx, float cy, float scale) {
    // Same proportions as the logo object (ring radius 2 there).
    float k = scale / 2.0f;
    Vec2 p = {(x - cx) / k, -(y - cy) / k};
    EmblemDistance d;
    d.ring = (std::fabs(length(p) - 2.0f) - 0.28f) * k;
    static const std::vector<Vec2> chevron = {{-0.32f, -1.5f}, {0.32f, -1.5f}, {1.62f, 1.22f},
                                              {0.88f, 1.22f},  {0.0f, -0.55f}, {-0.88f, 1.22f},
                                              {-1.62f, 1.22f}};
    // Far from the emblem the ring's distance is a good enough answer.
    if (length(p) > 3.5f) {
        d.chevron = (length(p) - 3.0f) * k;
        return d;
    }
    float c = sdPolygon(p, chevron);
    for (int i = -1; i <= 1; ++i) {
        float sx = i * 0.62f, top = 2.95f - std::abs(i) * 0.22f;
        const Vec2 stake[5] = {{sx - 0.2f, 1.95f},
                               {sx + 0.2f, 1.95f},
                               {sx + 0.2f, top - 0.35f},
                               {sx, top},
                               {sx - 0.2f, top - 0.35f}};
        c = std::fmin(c, sdPolygon(p, stake, 5));
    }
    d.chevron = c * k;
    return d;
}
