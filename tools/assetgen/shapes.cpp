#include "tools/assetgen/shapes.h"

#include <algorithm>

float sdPolygon(Vec2 p, const Vec2* v, size_t count) {
    float d = dot(p - v[0], p - v[0]);
    bool inside = false;
    for (size_t i = 0, j = count - 1; i < count; j = i++) {
        Vec2 e = v[j] - v[i], w = p - v[i];
        float h = std::clamp(dot(w, e) / dot(e, e), 0.0f, 1.0f);
        Vec2 b = w - e * h;
        d = std::min(d, dot(b, b));
        bool c1 = p.y >= v[i].y, c2 = p.y<v[j].y, c3 = e.x * w.y> e.y * w.x;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) inside = !inside;
    }
    return (inside ? -1.0f : 1.0f) * std::sqrt(d);
}

float sdHeart(Vec2 p, Vec2 c, float size) {
    // Two circles over a rotated square, the classic construction.
    Vec2 q = (p - c) * (1.0f / size);
    q.y = -q.y + 0.05f;
    float s = 0.7071f;
    Vec2 r = {(q.x - q.y) * s, (q.x + q.y) * s};
    float square = sdBox(r, {0, 0.0f}, {0.29f, 0.29f});
    float lobe1 = sdCircle(q, {-0.205f, 0.205f}, 0.29f);
    float lobe2 = sdCircle(q, {0.205f, 0.205f}, 0.29f);
    return std::min({square, lobe1, lobe2}) * size;
}

float sdStake(Vec2 p, float cx, float w, float baseY, float topY, float tip) {
    // Outside the stake's box the answer is far off anyway: skip the polygon.
    float top = std::min(baseY, topY - tip), bottom = std::max(baseY, topY - tip);
    float far = std::max({cx - w - p.x, p.x - cx - w, top - p.y, p.y - bottom});
    if (far > w) return far;
    const Vec2 poly[5] = {
        {cx - w, baseY}, {cx - w, topY}, {cx, topY - tip}, {cx + w, topY}, {cx + w, baseY}};
    return sdPolygon(p, poly, 5);
}

float sdChevron(Vec2 p, float cx, float apexY, float hw, float h, float t) {
    Vec2 apex = {cx, apexY};
    float a = sdSegment(p, apex, {cx - hw, apexY - h});
    float b = sdSegment(p, apex, {cx + hw, apexY - h});
    return std::min(a, b) - t * 0.5f;
}
