// shapes.h - signed distances of the 2-D shapes the painters use (negative inside), and the
// anti-aliased coverage that follows from them.
#pragma once

#include <cmath>
#include <vector>

struct Vec2 {
    float x = 0, y = 0;
};
inline Vec2 operator+(Vec2 a, Vec2 b) {
    return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b) {
    return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, float k) {
    return {a.x * k, a.y * k};
}
inline float dot(Vec2 a, Vec2 b) {
    return a.x * b.x + a.y * b.y;
}
inline float length(Vec2 a) {
    return std::sqrt(dot(a, a));
}

// Coverage of a pixel of size px by a shape at signed distance d from its centre.
inline float coverage(float d, float px) {
    float c = 0.5f - d / px;
    return c < 0 ? 0 : (c > 1 ? 1 : c);
}

inline float sdCircle(Vec2 p, Vec2 c, float r) {
    return length(p - c) - r;
}

inline float sdBox(Vec2 p, Vec2 centre, Vec2 half) {
    Vec2 d = {std::fabs(p.x - centre.x) - half.x, std::fabs(p.y - centre.y) - half.y};
    Vec2 o = {std::fmax(d.x, 0.0f), std::fmax(d.y, 0.0f)};
    return length(o) + std::fmin(std::fmax(d.x, d.y), 0.0f);
}

inline float sdRoundBox(Vec2 p, Vec2 centre, Vec2 half, float r) {
    return sdBox(p, centre, {half.x - r, half.y - r}) - r;
}

inline float sdSegment(Vec2 p, Vec2 a, Vec2 b) {
    Vec2 pa = p - a, ba = b - a;
    float h = dot(pa, ba) / dot(ba, ba);
    h = h < 0 ? 0 : (h > 1 ? 1 : h);
    return length(pa - ba * h);
}

// Any simple polygon, either winding.
float sdPolygon(Vec2 p, const Vec2* poly, size_t count);
inline float sdPolygon(Vec2 p, const std::vector<Vec2>& poly) {
    return sdPolygon(p, poly.data(), poly.size());
}

// A heart of about unit height centred on c, point downwards (y grows downwards).
float sdHeart(Vec2 p, Vec2 c, float size);

// A pointed stake (the palisade's pale): a vertical bar of half-width w from baseY up to
// topY with a point of height tip above topY. y grows downwards.
float sdStake(Vec2 p, float cx, float w, float baseY, float topY, float tip);

// A chevron "V" of arm thickness t: apex at (cx, apexY), arms rising to the half-width hw
// at height h above the apex. y grows downwards.
float sdChevron(Vec2 p, float cx, float apexY, float hw, float h, float t);
