#include "tools/assetgen/mesh_builder.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace {
constexpr float kPi = 3.14159265358979f;

float cross2(Vec2 a, Vec2 b) {
    return a.x * b.y - a.y * b.x;
}

bool pointInTriangle(Vec2 p, Vec2 a, Vec2 b, Vec2 c) {
    float d1 = cross2(b - a, p - a), d2 = cross2(c - b, p - b), d3 = cross2(a - c, p - c);
    return d1 >= 0 && d2 >= 0 && d3 >= 0;
}
}  // namespace

uint16_t MeshBuilder::surface(const LwoSurface& s) {
    obj_.surfaces.push_back(s);
    return uint16_t(obj_.surfaces.size() - 1);
}

void MeshBuilder::layer(const std::string& name, int parent) {
    LwoLayer l;
    l.number = uint16_t(obj_.layers.size());
    l.name = name;
    l.parent = parent;
    obj_.layers.push_back(l);
}

LwoLayer& MeshBuilder::current() {
    if (obj_.layers.empty()) layer("");
    return obj_.layers.back();
}

uint32_t MeshBuilder::point(Vec3 p) {
    current().points.push_back(p);
    return uint32_t(current().points.size() - 1);
}

void MeshBuilder::tri(uint32_t a, uint32_t b, uint32_t c, uint16_t surf) {
    current().triangles.push_back({a, b, c, surf});
}

void MeshBuilder::quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint16_t surf) {
    const auto& p = current().points;
    if (length(p[a] - p[c]) <= length(p[b] - p[d])) {
        tri(a, b, c, surf), tri(a, c, d, surf);
    } else {
        tri(a, b, d, surf), tri(b, c, d, surf);
    }
}

uint32_t MeshBuilder::sheet(int cols, int rows, bool wrapU, bool wrapV,
                            const std::function<Vec3(float, float)>& f, uint16_t surf) {
    int pc = wrapU ? cols : cols + 1, pr = wrapV ? rows : rows + 1;
    uint32_t first = uint32_t(current().points.size());
    for (int j = 0; j < pr; ++j)
        for (int i = 0; i < pc; ++i) point(f(float(i) / cols, float(j) / rows));
    auto at = [&](int i, int j) { return first + uint32_t((j % pr) * pc + (i % pc)); };
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < cols; ++i)
            quad(at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1), surf);
    return first;
}

void MeshBuilder::closedTube(int segments, int sides, const std::function<Vec3(float)>& path,
                             const std::function<float(float, float)>& radius, uint16_t surf) {
    // Parallel-transported frames, then the leftover turn spread evenly so the ends meet.
    std::vector<Vec3> centre(segments), tangent(segments), normal(segments);
    for (int i = 0; i < segments; ++i) {
        float t = float(i) / segments;
        centre[i] = path(t);
        tangent[i] = normalize(path(t + 0.5f / segments) - path(t - 0.5f / segments));
    }
    normal[0] = perpendicular(tangent[0]);
    for (int i = 1; i <= segments; ++i) {
        Vec3 t = tangent[i % segments];
        Vec3 n = normal[i - 1];
        n = normalize(n - t * dot(n, t));
        if (i < segments)
            normal[i] = n;
        else {
            Vec3 b0 = cross(tangent[0], normal[0]);
            float twist = std::atan2(dot(n, b0), dot(n, normal[0]));
            for (int k = 0; k < segments; ++k)
                normal[k] = rotate(normal[k], tangent[k], -twist * k / segments);
        }
    }
    sheet(
        sides, segments, true, true,
        [&](float u, float v) {
            int k = int(std::lround(v * segments)) % segments;
            float angle = u * 2 * kPi;
            Vec3 n = normal[k], b = cross(tangent[k], n);
            float r = radius(v, angle);
            return centre[k] + (n * std::cos(angle) + b * std::sin(angle)) * r;
        },
        surf);
}

std::vector<int> triangulate(const std::vector<Vec2>& poly) {
    std::vector<int> idx(poly.size()), out;
    for (size_t i = 0; i < poly.size(); ++i) idx[i] = int(i);
    int guard = 0;
    while (idx.size() > 3 && guard++ < 10000) {
        bool clipped = false;
        for (size_t i = 0; i < idx.size(); ++i) {
            int a = idx[(i + idx.size() - 1) % idx.size()], b = idx[i],
                c = idx[(i + 1) % idx.size()];
            if (cross2(poly[b] - poly[a], poly[c] - poly[b]) <= 1e-9f) continue;  // reflex
            bool empty = true;
            for (int k : idx)
                if (k != a && k != b && k != c &&
                    pointInTriangle(poly[k], poly[a], poly[b], poly[c])) {
                    empty = false;
                    break;
                }
            if (!empty) continue;
            out.insert(out.end(), {a, b, c});
            idx.erase(idx.begin() + long(i));
            clipped = true;
            break;
        }
        if (!clipped) break;
    }
    if (idx.size() == 3) out.insert(out.end(), {idx[0], idx[1], idx[2]});
    return out;
}

std::vector<Vec2> insetOutline(const std::vector<Vec2>& o, float d) {
    std::vector<Vec2> out(o.size());
    for (size_t i = 0; i < o.size(); ++i) {
        Vec2 prev = o[(i + o.size() - 1) % o.size()], cur = o[i], next = o[(i + 1) % o.size()];
        Vec2 e0 = cur - prev, e1 = next - cur;
        e0 = e0 * (1 / length(e0)), e1 = e1 * (1 / length(e1));
        Vec2 n0 = {-e0.y, e0.x}, n1 = {-e1.y, e1.x};  // inward normals of a CCW outline
        Vec2 bis = n0 + n1;
        float bl = length(bis);
        bis = bl > 1e-6f ? bis * (1 / bl) : n0;
        float k = d / std::max(0.34f, dot(bis, n0));
        out[i] = cur + bis * k;
    }
    return out;
}

void MeshBuilder::extrude(const std::vector<Vec2>& outline, float halfDepth, float bevel,
                          const std::function<Vec3(float, float, float)>& place, uint16_t surf) {
    std::vector<Vec2> inner = bevel > 0 ? insetOutline(outline, bevel) : outline;
    float wall = halfDepth - bevel;
    size_t n = outline.size();
    std::vector<int> caps = triangulate(inner);

    // Front and back caps.
    for (int side : {1, -1}) {
        uint32_t first = uint32_t(current().points.size());
        for (const Vec2& p : inner) point(place(p.x, p.y, side * halfDepth));
        for (size_t i = 0; i < caps.size(); i += 3) {
            uint32_t a = first + caps[i], b = first + caps[i + 1], c = first + caps[i + 2];
            if (side > 0)
                tri(a, b, c, surf);
            else
                tri(a, c, b, surf);
        }
    }
    // Walls, one flat quad per outline edge, and the chamfers between walls and caps.
    for (size_t i = 0; i < n; ++i) {
        size_t j = (i + 1) % n;
        uint32_t a = point(place(outline[i].x, outline[i].y, -wall));
        uint32_t b = point(place(outline[j].x, outline[j].y, -wall));
        uint32_t c = point(place(outline[j].x, outline[j].y, wall));
        uint32_t d = point(place(outline[i].x, outline[i].y, wall));
        quad(a, b, c, d, surf);
        if (bevel <= 0) continue;
        uint32_t fi = point(place(inner[i].x, inner[i].y, halfDepth));
        uint32_t fj = point(place(inner[j].x, inner[j].y, halfDepth));
        uint32_t f0 = point(place(outline[i].x, outline[i].y, wall));
        uint32_t f1 = point(place(outline[j].x, outline[j].y, wall));
        quad(f0, f1, fj, fi, surf);
        uint32_t bi = point(place(inner[i].x, inner[i].y, -halfDepth));
        uint32_t bj = point(place(inner[j].x, inner[j].y, -halfDepth));
        uint32_t b0 = point(place(outline[i].x, outline[i].y, -wall));
        uint32_t b1 = point(place(outline[j].x, outline[j].y, -wall));
        quad(b1, b0, bi, bj, surf);
    }
}

void MeshBuilder::roundedBox(Vec3 c, Vec3 h, float r, int n, uint16_t surf) {
    // Six subdivided faces pushed onto the rounded shape, then welded along the edges.
    // Grid lines crowd towards the edges, where the curvature is.
    auto spread = [](float t) { return 0.5f - 0.5f * std::cos(t * kPi); };
    auto shape = [&](Vec3 p) {
        Vec3 inner(std::clamp(p.x, -h.x + r, h.x - r), std::clamp(p.y, -h.y + r, h.y - r),
                   std::clamp(p.z, -h.z + r, h.z - r));
        Vec3 d = p - inner;
        return c + inner + (length(d) > 0 ? normalize(d) * r : d);
    };
    struct Face {
        Vec3 n, u, v;
    };
    const Face faces[6] = {{{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
                           {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
                           {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}}};
    for (const Face& f : faces) {
        Vec3 hn(f.n.x * h.x, f.n.y * h.y, f.n.z * h.z);
        float hu = std::fabs(dot(f.u, h)), hv = std::fabs(dot(f.v, h));
        sheet(
            n, n, false, false,
            [&](float u, float v) {
                return shape(hn + f.u * ((spread(u) * 2 - 1) * hu) +
                             f.v * ((spread(v) * 2 - 1) * hv));
            },
            surf);
    }
    weld(1e-4f);
}

void MeshBuilder::cylinder(Vec3 base, Vec3 axis, float len, float r0, float r1, int sides,
                           int stacks, bool capBase, bool capTop, uint16_t surf) {
    axis = normalize(axis);
    Vec3 e1 = perpendicular(axis), e2 = cross(axis, e1);
    auto ring = [&](float t, float ang, float r) {
        return base + axis * (t * len) + (e1 * std::cos(ang) + e2 * std::sin(ang)) * r;
    };
    sheet(
        sides, stacks, true, false,
        [&](float u, float v) { return ring(v, u * 2 * kPi, r0 + (r1 - r0) * v); }, surf);
    for (int end = 0; end < 2; ++end) {
        if ((end == 0 && !capBase) || (end == 1 && !capTop)) continue;
        float r = end ? r1 : r0;
        if (r <= 0) continue;
        uint32_t centre = point(base + axis * (end * len));
        uint32_t first = uint32_t(current().points.size());
        for (int i = 0; i < sides; ++i) point(ring(float(end), float(i) / sides * 2 * kPi, r));
        for (int i = 0; i < sides; ++i) {
            uint32_t a = first + i, b = first + (i + 1) % sides;
            if (end)
                tri(centre, a, b, surf);
            else
                tri(centre, b, a, surf);
        }
    }
}

void MeshBuilder::weld(float eps) {
    LwoLayer& l = current();
    std::map<std::tuple<long, long, long>, uint32_t> grid;
    std::vector<uint32_t> remap(l.points.size());
    std::vector<Vec3> kept;
    for (size_t i = 0; i < l.points.size(); ++i) {
        const Vec3& p = l.points[i];
        auto key =
            std::make_tuple(std::lround(p.x / eps), std::lround(p.y / eps), std::lround(p.z / eps));
        auto it = grid.find(key);
        if (it == grid.end()) {
            grid[key] = uint32_t(kept.size());
            remap[i] = uint32_t(kept.size());
            kept.push_back(p);
        } else {
            remap[i] = it->second;
        }
    }
    l.points = kept;
    std::vector<LwoTriangle> tris;
    for (LwoTriangle t : l.triangles) {
        t.a = remap[t.a], t.b = remap[t.b], t.c = remap[t.c];
        if (t.a != t.b && t.b != t.c && t.a != t.c) tris.push_back(t);
    }
    l.triangles = tris;
    for (LwoUvMap& m : l.uvMaps)
        for (LwoUv& e : m.entries) e.point = remap[e.point];
}
