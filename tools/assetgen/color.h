// color.h - straight-alpha RGBA colour in floats (0..1) and the few operations the painters use.
#pragma once

#include <algorithm>
#include <cmath>

struct Color {
    float r = 0, g = 0, b = 0, a = 1;

    constexpr Color() = default;
    constexpr Color(float r_, float g_, float b_, float a_ = 1) : r(r_), g(g_), b(b_), a(a_) {}

    // From a 0xRRGGBB literal, the way the palette is written down.
    static constexpr Color hex(unsigned rgb, float alpha = 1) {
        return Color(((rgb >> 16) & 255) / 255.0f, ((rgb >> 8) & 255) / 255.0f,
                     (rgb & 255) / 255.0f, alpha);
    }
    constexpr Color withAlpha(float alpha) const { return Color(r, g, b, alpha); }
};

inline float clamp01(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}
inline float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
inline float lerp(float a, float b, float t) {
    return a + (b - a) * t;
}

inline Color operator*(Color c, float k) {
    return Color(c.r * k, c.g * k, c.b * k, c.a);
}
inline Color operator+(Color a, Color b) {
    return Color(a.r + b.r, a.g + b.g, a.b + b.b, a.a);
}
inline Color mix(Color a, Color b, float t) {
    return Color(lerp(a.r, b.r, t), lerp(a.g, b.g, t), lerp(a.b, b.b, t), lerp(a.a, b.a, t));
}
// Multiplies the colour channels, keeps alpha.
inline Color tint(Color c, Color k) {
    return Color(c.r * k.r, c.g * k.g, c.b * k.b, c.a);
}

// Porter-Duff "source over destination" for straight alpha.
inline Color over(Color dst, Color src) {
    float a = src.a + dst.a * (1 - src.a);
    if (a <= 0) return Color(0, 0, 0, 0);
    float kd = dst.a * (1 - src.a);
    return Color((src.r * src.a + dst.r * kd) / a, (src.g * src.a + dst.g * kd) / a,
                 (src.b * src.a + dst.b * kd) / a, a);
}
// Additive light onto an opaque picture (the way sprites and flares combine).
inline Color addLight(Color dst, Color light, float k = 1) {
    return Color(dst.r + light.r * k, dst.g + light.g * k, dst.b + light.b * k, dst.a);
}
// Screen blend, for glows that should not clip hard.
inline Color screen(Color dst, Color light, float k = 1) {
    auto s = [k](float d, float l) { return 1 - (1 - d) * (1 - clamp01(l * k)); };
    return Color(s(dst.r, light.r), s(dst.g, light.g), s(dst.b, light.b), dst.a);
}
inline float luminance(Color c) {
    return 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b;
}
