#include "tools/assetgen/object_preview.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "tools/assetgen/style.h"

namespace {

struct Projected {
    float x, y, z;  // pixels (y down), depth towards the viewer
};

// Corner normals the way the engine's reader forms them.
std::vector<Vec3> cornerNormals(const LwoObject& obj, const LwoLayer& l) {
    std::vector<Vec3> acc(l.points.size(), Vec3(0, 0, 0)), face(l.triangles.size());
    for (size_t i = 0; i < l.triangles.size(); ++i) {
        const LwoTriangle& t = l.triangles[i];
        face[i] = normalize(cross(l.points[t.b] - l.points[t.a], l.points[t.c] - l.points[t.a]));
        acc[t.a] += face[i], acc[t.b] += face[i], acc[t.c] += face[i];
    }
    std::vector<Vec3> corners(l.triangles.size() * 3);
    for (size_t i = 0; i < l.triangles.size(); ++i) {
        const LwoTriangle& t = l.triangles[i];
        bool smooth = obj.surfaces[t.surface].smoothingAngle > 0;
        const uint32_t idx[3] = {t.a, t.b, t.c};
        for (int k = 0; k < 3; ++k) corners[i * 3 + k] = smooth ? normalize(acc[idx[k]]) : face[i];
    }
    return corners;
}

}  // namespace

Image renderObjectPreview(const LwoObject& obj, int size, const Image* env,
                          const PreviewView& view) {
    const int ss = 2, n = size * ss;
    Image frame(n, n, palette::ink);
    shade(frame, [](float u, float v) {
        float d = std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.45f) * (v - 0.45f));
        return mix(palette::night, palette::ink, smoothstep(0.0f, 0.7f, d));
    });
    if (view.layer >= int(obj.layers.size())) return resample(frame, size, size);
    const LwoLayer& l = obj.layers[view.layer];

    float cy = std::cos(view.yaw), sy = std::sin(view.yaw), cp = std::cos(view.pitch),
          sp = std::sin(view.pitch);
    auto turn = [&](Vec3 p) {
        Vec3 a(cy * p.x + sy * p.z, p.y, -sy * p.x + cy * p.z);
        return Vec3(a.x, cp * a.y - sp * a.z, sp * a.y + cp * a.z);
    };
    Vec3 lo(1e9f, 1e9f, 1e9f), hi(-1e9f, -1e9f, -1e9f);
    for (const Vec3& p : l.points) {
        lo = Vec3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
        hi = Vec3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
    }
    Vec3 centre = (lo + hi) * 0.5f;
    float radius = 0;
    for (const Vec3& p : l.points) radius = std::max(radius, length(p - centre));
    float scale = n * 0.44f / std::max(radius, 1e-6f);

    std::vector<Projected> proj(l.points.size());
    for (size_t i = 0; i < l.points.size(); ++i) {
        Vec3 p = turn(l.points[i] - centre);
        proj[i] = {n * 0.5f + p.x * scale, n * 0.5f - p.y * scale, p.z};
    }
    std::vector<Vec3> normals = cornerNormals(obj, l);
    std::vector<float> depth(size_t(n) * n, -std::numeric_limits<float>::infinity());
    Vec3 light = normalize(Vec3(-0.45f, 0.55f, 1.0f));

    for (size_t ti = 0; ti < l.triangles.size(); ++ti) {
        const LwoTriangle& t = l.triangles[ti];
        const Projected* v[3] = {&proj[t.a], &proj[t.b], &proj[t.c]};
        // Counter-clockwise on screen (y down flips the sign) is the front.
        float area =
            (v[1]->x - v[0]->x) * (v[2]->y - v[0]->y) - (v[2]->x - v[0]->x) * (v[1]->y - v[0]->y);
        if (area >= 0) continue;
        Vec3 nrm[3];
        for (int k = 0; k < 3; ++k) nrm[k] = turn(normals[ti * 3 + k]);
        Vec3 col = obj.surfaces[t.surface].color;
        int x0 = std::max(0, int(std::floor(std::min({v[0]->x, v[1]->x, v[2]->x}))));
        int x1 = std::min(n - 1, int(std::ceil(std::max({v[0]->x, v[1]->x, v[2]->x}))));
        int y0 = std::max(0, int(std::floor(std::min({v[0]->y, v[1]->y, v[2]->y}))));
        int y1 = std::min(n - 1, int(std::ceil(std::max({v[0]->y, v[1]->y, v[2]->y}))));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                float px = x + 0.5f, py = y + 0.5f;
                float w0 =
                    ((v[1]->x - px) * (v[2]->y - py) - (v[2]->x - px) * (v[1]->y - py)) / area;
                float w1 =
                    ((v[2]->x - px) * (v[0]->y - py) - (v[0]->x - px) * (v[2]->y - py)) / area;
                float w2 = 1 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                float z = w0 * v[0]->z + w1 * v[1]->z + w2 * v[2]->z;
                float& d = depth[size_t(y) * n + x];
                if (z <= d) continue;
                d = z;
                Vec3 nn = normalize(nrm[0] * w0 + nrm[1] * w1 + nrm[2] * w2);
                Color c;
                if (env) {
                    float s = nn.x * 0.5f + 0.5f, tt = nn.y * 0.5f + 0.5f;
                    c = env->sample(s * env->width(), (1 - tt) * env->height(), Edge::Clamp);
                } else {
                    float k = 0.18f + 0.82f * std::max(0.0f, dot(nn, light));
                    float specular =
                        std::pow(std::max(0.0f, dot(nn, normalize(light + Vec3(0, 0, 1)))), 40.0f);
                    c = Color(col.x * k + specular * 0.4f, col.y * k + specular * 0.4f,
                              col.z * k + specular * 0.4f);
                }
                frame.at(x, y) = Color(c.r, c.g, c.b, 1);
            }
    }
    return resample(frame, size, size);
}
