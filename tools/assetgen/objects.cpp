// objects.cpp - the production's LightWave objects, modelled from code.
//
// Sizes follow where each object is seen: the overlay's logo at 35 units, the falling box in
// the tube flight, 4 x 4 x 4 cubes 9 units apart, a spike ball whose tips alone lie beyond
// 2.54 units, a knot that fits 3.5 units in front of the camera.
#include <algorithm>
#include <cmath>
#include <map>

#include "tools/assetgen/catalog.h"
#include "tools/assetgen/mesh_builder.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kSmooth = 89.5f * kPi / 180;  // smooth everywhere the points are shared
constexpr float kCrease = 30.0f * kPi / 180;  // flat faces with their own points

LwoSurface surface(const char* name, Vec3 color, float smoothing, float specular = 0.4f) {
    LwoSurface s;
    s.name = name;
    s.color = color;
    s.diffuse = 0.9f;
    s.specular = specular;
    s.smoothingAngle = smoothing;
    return s;
}

// An outline made counter-clockwise whatever order it was written in.
std::vector<Vec2> ccw(std::vector<Vec2> o) {
    float area = 0;
    for (size_t i = 0, j = o.size() - 1; i < o.size(); j = i++)
        area += o[j].x * o[i].y - o[i].x * o[j].y;
    if (area < 0) std::reverse(o.begin(), o.end());
    return o;
}

// Even directions on the unit sphere (golden-angle spiral).
std::vector<Vec3> fibonacciDirections(int n) {
    std::vector<Vec3> d;
    float golden = kPi * (3 - std::sqrt(5.0f));
    for (int i = 0; i < n; ++i) {
        float y = 1 - (i + 0.5f) * 2 / n, r = std::sqrt(1 - y * y), a = golden * i;
        d.push_back(Vec3(r * std::cos(a), y, r * std::sin(a)));
    }
    return d;
}

// Icosahedron subdivided `levels` times onto a sphere.
void icosphere(MeshBuilder& mb, Vec3 c, float radius, int levels, uint16_t surf) {
    float t = (1 + std::sqrt(5.0f)) / 2;
    std::vector<Vec3> v = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                           {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                           {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    std::vector<int> f = {0, 11, 5,  0, 5,  1, 0, 1, 7, 0, 7,  10, 0, 10, 11, 1, 5, 9, 5, 11,
                          4, 11, 10, 2, 10, 7, 6, 7, 1, 8, 3,  9,  4, 3,  4,  2, 3, 2, 6, 3,
                          6, 8,  3,  8, 9,  4, 9, 5, 2, 4, 11, 6,  2, 10, 8,  6, 7, 9, 8, 1};
    for (Vec3& p : v) p = normalize(p);
    for (int l = 0; l < levels; ++l) {
        std::vector<int> next;
        std::map<std::pair<int, int>, int> mid;
        auto middle = [&](int a, int b) {
            auto key = std::minmax(a, b);
            auto it = mid.find(key);
            if (it != mid.end()) return it->second;
            v.push_back(normalize(v[a] + v[b]));
            return mid[key] = int(v.size() - 1);
        };
        for (size_t i = 0; i < f.size(); i += 3) {
            int a = f[i], b = f[i + 1], cc = f[i + 2];
            int ab = middle(a, b), bc = middle(b, cc), ca = middle(cc, a);
            next.insert(next.end(), {a, ab, ca, b, bc, ab, cc, ca, bc, ab, bc, ca});
        }
        f = next;
    }
    uint32_t first = uint32_t(mb.current().points.size());
    for (const Vec3& p : v) mb.point(c + p * radius);
    for (size_t i = 0; i < f.size(); i += 3)
        mb.tri(first + f[i], first + f[i + 1], first + f[i + 2], surf);
}

// A torus knot winding p times about the z axis and q times through its hole.
Vec3 torusKnot(float t, int p, int q, float major, float minor) {
    float a = t * 2 * kPi;
    float r = major + minor * std::cos(q * a);
    return Vec3(r * std::cos(p * a), r * std::sin(p * a), minor * std::sin(q * a));
}

// A tetrahedron with one corner pointing along `dir` (the shredder's shards).
void shard(MeshBuilder& mb, Vec3 c, Vec3 dir, float size, uint16_t surf) {
    Vec3 e1 = perpendicular(dir), e2 = cross(dir, e1);
    uint32_t tip = mb.point(c + dir * size * 1.6f);
    uint32_t b[3];
    for (int i = 0; i < 3; ++i) {
        float a = i * 2 * kPi / 3;
        b[i] =
            mb.point(c - dir * size * 0.4f + (e1 * std::cos(a) + e2 * std::sin(a)) * size * 0.7f);
    }
    mb.tri(tip, b[0], b[1], surf), mb.tri(tip, b[1], b[2], surf), mb.tri(tip, b[2], b[0], surf);
    mb.tri(b[0], b[2], b[1], surf);
}

// ---------------------------------------------------------------------------------------

// The group's emblem: a chevron in a ring. It faces +y (the overlay stands it up with a
// quarter turn about x), its top is -z.
LwoObject makeLogo() {
    LwoObject o;
    MeshBuilder mb(o);
    mb.layer("Emblem");
    uint16_t ring = mb.surface(surface("Ring", {0.85f, 0.88f, 0.95f}, kSmooth, 0.8f));
    uint16_t chevron = mb.surface(surface("Chevron", {1.0f, 0.70f, 0.24f}, kCrease, 0.6f));
    auto place = [](float x, float y, float d) { return Vec3(x, d, -y); };
    const float R = 2.0f, r = 0.28f;
    mb.sheet(
        96, 16, true, true,
        [&](float u, float v) {
            float a = u * 2 * kPi, b = v * 2 * kPi;
            return place((R + r * std::cos(b)) * std::cos(a), (R + r * std::cos(b)) * std::sin(a),
                         r * std::sin(b));
        },
        ring);
    std::vector<Vec2> v = ccw({{-0.32f, -1.5f},
                               {0.32f, -1.5f},
                               {1.62f, 1.22f},
                               {0.88f, 1.22f},
                               {0.0f, -0.55f},
                               {-0.88f, 1.22f},
                               {-1.62f, 1.22f}});
    mb.extrude(v, 0.34f, 0.1f, place, chevron);
    // Three stakes crown the ring: the palisade.
    for (int i = -1; i <= 1; ++i) {
        float x = i * 0.62f, top = 2.95f - std::abs(i) * 0.22f;
        std::vector<Vec2> stake = {{x - 0.2f, 1.95f},
                                   {x + 0.2f, 1.95f},
                                   {x + 0.2f, top - 0.35f},
                                   {x, top},
                                   {x - 0.2f, top - 0.35f}};
        mb.extrude(ccw(stake), 0.2f, 0.06f, place, chevron);
    }
    return o;
}

LwoObject makeBox() {
    LwoObject o;
    o.clips.push_back({1, "images/testenvmap.jpg"});
    MeshBuilder mb(o);
    mb.layer("Box");
    LwoSurface s = surface("Box", {0.75f, 0.78f, 0.85f}, kSmooth, 0.5f);
    LwoBlock planar;
    planar.projection = LwoProjection::Planar;
    planar.axis = 1;
    planar.image = 1;
    s.blocks.push_back(planar);
    uint16_t box = mb.surface(s);
    mb.roundedBox({0, 0, 0}, {3, 3, 3}, 0.7f, 10, box);
    return o;
}

// Layer 0: one arrow lying flat, pointing along +x, with a hub on the vertical axis.
// Layer 1: the string the tower of arrows is threaded on, standing on a plinth.
LwoObject makeArrowStrengs() {
    LwoObject o;
    MeshBuilder mb(o);
    uint16_t arrow = mb.surface(surface("Arrow", {0.9f, 0.9f, 0.95f}, kCrease, 0.7f));
    uint16_t hub = mb.surface(surface("Hub", {0.6f, 0.65f, 0.75f}, kSmooth, 0.5f));
    uint16_t cord = mb.surface(surface("String", {0.95f, 0.7f, 0.25f}, kSmooth, 0.3f));
    mb.layer("Arrow");
    auto flat = [](float x, float y, float d) { return Vec3(x, d, -y); };
    std::vector<Vec2> outline = ccw({{-2.4f, -0.35f},
                                     {1.2f, -0.35f},
                                     {1.2f, -1.0f},
                                     {3.0f, 0.0f},
                                     {1.2f, 1.0f},
                                     {1.2f, 0.35f},
                                     {-2.4f, 0.35f},
                                     {-2.0f, 0.0f}});
    mb.extrude(outline, 0.3f, 0.1f, flat, arrow);
    mb.cylinder({0, -0.5f, 0}, {0, 1, 0}, 1.0f, 0.6f, 0.6f, 24, 1, true, true, hub);
    mb.layer("String");
    mb.cylinder({0, 0, 0}, {0, 1, 0}, 100.0f, 0.12f, 0.12f, 10, 20, false, true, cord);
    mb.cylinder({0, -1.0f, 0}, {0, 1, 0}, 1.6f, 2.4f, 1.7f, 32, 1, true, true, hub);
    return o;
}

// Layer 0: a drum with four saw blades turning about x. Layer 1: six shards circling the
// blades; each of their points carries a lens sprite.
LwoObject makeShredder() {
    LwoObject o;
    MeshBuilder mb(o);
    uint16_t drum = mb.surface(surface("Drum", {0.8f, 0.82f, 0.9f}, kSmooth, 0.8f));
    uint16_t blade = mb.surface(surface("Blade", {0.95f, 0.95f, 1.0f}, kCrease, 0.9f));
    uint16_t shardSurf = mb.surface(surface("Shard", {1.0f, 0.75f, 0.3f}, 0.0f, 1.0f));
    mb.layer("Drum");
    mb.cylinder({-4, 0, 0}, {1, 0, 0}, 8.0f, 1.1f, 1.1f, 32, 8, true, true, drum);
    std::vector<Vec2> saw;
    const int teeth = 16;
    for (int k = 0; k < teeth; ++k) {
        float step = 2 * kPi / teeth, a = k * step;
        saw.push_back({1.95f * std::cos(a), 1.95f * std::sin(a)});
        saw.push_back({2.6f * std::cos(a + 0.8f * step), 2.6f * std::sin(a + 0.8f * step)});
    }
    saw = ccw(saw);
    for (float x : {-2.7f, -0.9f, 0.9f, 2.7f})
        mb.extrude(
            saw, 0.12f, 0.04f, [x](float a, float b, float d) { return Vec3(x + d, a, b); }, blade);
    mb.layer("Shards", 0);
    for (int k = 0; k < 6; ++k) {
        float a = k * 2 * kPi / 6;
        Vec3 dir(0, std::cos(a), std::sin(a));
        shard(mb, Vec3(k % 2 ? 1.8f : -1.8f, 0, 0) + dir * 3.3f, dir, 0.45f, shardSurf);
    }
    return o;
}

LwoObject makeTorusKnot() {
    LwoObject o;
    MeshBuilder mb(o);
    mb.layer("Knot");
    uint16_t s = mb.surface(surface("Knot", {0.4f, 0.95f, 0.6f}, kSmooth, 0.9f));
    mb.closedTube(
        540, 18, [](float t) { return torusKnot(t, 3, 5, 0.78f, 0.34f); },
        [](float, float) { return 0.105f; }, s);
    return o;
}

// A figure-eight knot of gut: a five-lobed cross-section wrung along the loop, swelling
// and narrowing as it goes.
LwoObject makeTarmslyng() {
    LwoObject o;
    MeshBuilder mb(o);
    mb.layer("Tarm");
    uint16_t s = mb.surface(surface("Tarm", {0.95f, 0.55f, 0.45f}, kSmooth, 0.8f));
    auto path = [](float t) {
        float a = t * 2 * kPi;
        float r = 2 + std::cos(2 * a);
        return Vec3(r * std::cos(3 * a), r * std::sin(3 * a), std::sin(4 * a) * 1.3f) * 0.24f;
    };
    auto radius = [](float t, float angle) {
        float swell = 1 + 0.3f * std::sin(t * 2 * kPi * 7);
        float lobes = 1 + 0.22f * std::cos(5 * angle + t * 2 * kPi * 11);
        return 0.085f * swell * lobes;
    };
    mb.closedTube(420, 24, path, radius, s);
    return o;
}

// A core with 37 spikes; only the spike tips lie farther than 2.54 from the centre, one
// point each (they carry the greeting strips).
LwoObject makeSpikeBall() {
    LwoObject o;
    MeshBuilder mb(o);
    mb.layer("Ball");
    uint16_t core = mb.surface(surface("Core", {0.9f, 0.4f, 0.5f}, kSmooth, 0.9f));
    uint16_t spike = mb.surface(surface("Spike", {1.0f, 0.8f, 0.85f}, kSmooth, 1.0f));
    icosphere(mb, {0, 0, 0}, 1.25f, 3, core);
    const float rings[] = {1.0f, 1.5f, 1.95f, 2.3f};
    const float tipDistance = 2.95f, baseWidth = 0.3f;
    const int sides = 10;
    for (const Vec3& d : fibonacciDirections(37)) {
        Vec3 e1 = perpendicular(d), e2 = cross(d, e1);
        uint32_t first = uint32_t(mb.current().points.size());
        for (float s : rings) {
            float w = baseWidth * std::pow((tipDistance - s) / (tipDistance - rings[0]), 1.15f);
            for (int i = 0; i < sides; ++i) {
                float a = i * 2 * kPi / sides;
                mb.point(d * s + (e1 * std::cos(a) + e2 * std::sin(a)) * w);
            }
        }
        uint32_t tip = mb.point(d * tipDistance);
        for (int r = 0; r + 1 < 4; ++r)
            for (int i = 0; i < sides; ++i) {
                uint32_t a = first + r * sides + i, b = first + r * sides + (i + 1) % sides;
                mb.quad(a, b, b + sides, a + sides, spike);
            }
        for (int i = 0; i < sides; ++i)
            mb.tri(first + 3 * sides + i, first + 3 * sides + (i + 1) % sides, tip, spike);
    }
    return o;
}

// A five-pointed star with faceted ridges.
LwoObject makeStar() {
    LwoObject o;
    MeshBuilder mb(o);
    mb.layer("Star");
    uint16_t s = mb.surface(surface("Star", {1.0f, 0.8f, 0.3f}, 0.0f, 0.8f));
    std::vector<uint32_t> rim;
    LwoUvMap uv{"Star", {}};
    for (int i = 0; i < 10; ++i) {
        float a = kPi / 2 + i * kPi / 5, r = i % 2 ? 1.0f : 2.5f;
        rim.push_back(mb.point({r * std::cos(a), r * std::sin(a), 0}));
    }
    uint32_t front = mb.point({0, 0, 0.8f}), back = mb.point({0, 0, -0.8f});
    for (int i = 0; i < 10; ++i) {
        mb.tri(front, rim[i], rim[(i + 1) % 10], s);
        mb.tri(back, rim[(i + 1) % 10], rim[i], s);
    }
    for (uint32_t i = 0; i < mb.current().points.size(); ++i) {
        const Vec3& p = mb.current().points[i];
        uv.entries.push_back({i, p.x / 5 + 0.5f, p.y / 5 + 0.5f});
    }
    mb.current().uvMaps.push_back(uv);
    return o;
}

// An arrow pointing along -z from its tail at the origin, with three fins.
LwoObject makeArrow() {
    LwoObject o;
    MeshBuilder mb(o);
    mb.layer("Arrow");
    uint16_t shaft = mb.surface(surface("Shaft", {0.85f, 0.85f, 0.9f}, kSmooth, 0.6f));
    uint16_t head = mb.surface(surface("Head", {1.0f, 0.7f, 0.25f}, kSmooth, 0.8f));
    uint16_t fin = mb.surface(surface("Fin", {0.2f, 0.7f, 0.8f}, kCrease, 0.5f));
    Vec3 forward(0, 0, -1);
    mb.cylinder({0, 0, 0}, forward, 4.0f, 0.22f, 0.22f, 14, 4, true, false, shaft);
    mb.cylinder({0, 0, -3.9f}, forward, 1.7f, 0.65f, 0.0f, 20, 3, true, false, head);
    for (int k = 0; k < 3; ++k) {
        float a = kPi / 2 + k * 2 * kPi / 3;
        Vec3 radial(std::cos(a), std::sin(a), 0), side = cross(forward, radial);
        std::vector<Vec2> outline =
            ccw({{0.1f, 0.15f}, {1.3f, 0.15f}, {0.5f, 0.85f}, {-0.2f, 0.85f}});
        mb.extrude(
            outline, 0.05f, 0.0f,
            [&](float x, float y, float d) { return forward * x + radial * y + side * d; }, fin);
    }
    return o;
}

LwoObject makeCube() {
    LwoObject o;
    MeshBuilder mb(o);
    mb.layer("Cube");
    uint16_t s = mb.surface(surface("Cube", {0.85f, 0.9f, 1.0f}, kSmooth, 1.0f));
    mb.roundedBox({0, 0, 0}, {2.5f, 2.5f, 2.5f}, 0.55f, 8, s);
    return o;
}

// The small cube: flat faces with a UV map of their own, textured in material mode.
LwoObject makeSmallCube() {
    LwoObject o;
    o.clips.push_back({1, "images/testenvmap.jpg"});
    MeshBuilder mb(o);
    mb.layer("Cube");
    LwoSurface s = surface("Cube", {0.9f, 0.9f, 0.95f}, 0.0f, 0.8f);
    LwoBlock uvBlock;
    uvBlock.projection = LwoProjection::UV;
    uvBlock.image = 1;
    uvBlock.uvMap = "Faces";
    s.blocks.push_back(uvBlock);
    uint16_t surf = mb.surface(s);
    LwoUvMap uv{"Faces", {}};
    const Vec3 normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const Vec3& n : normals) {
        Vec3 u = perpendicular(n), v = cross(n, u);
        uint32_t c[4];
        const float cu[4] = {-1, 1, 1, -1}, cv[4] = {-1, -1, 1, 1};
        for (int i = 0; i < 4; ++i) {
            c[i] = mb.point((n + u * cu[i] + v * cv[i]) * 2.0f);
            uv.entries.push_back({c[i], (cu[i] + 1) / 2, (cv[i] + 1) / 2});
        }
        mb.quad(c[0], c[1], c[2], c[3], surf);
    }
    mb.current().uvMaps.push_back(uv);
    return o;
}

// A ring of sixteen pointed stakes: the palisade as a test object whose points the object
// grid covers with small cubes.
LwoObject makeRestatte() {
    LwoObject o;
    MeshBuilder mb(o);
    mb.layer("Palisade");
    uint16_t s = mb.surface(surface("Stake", {0.7f, 0.55f, 0.4f}, kSmooth, 0.2f));
    for (int k = 0; k < 16; ++k) {
        float a = k * 2 * kPi / 16;
        Vec3 base(6 * std::cos(a), -3.0f, 6 * std::sin(a));
        float h = 5.0f + 0.6f * std::sin(k * 2.3f);
        mb.cylinder(base, {0, 1, 0}, h, 0.4f, 0.4f, 6, 4, true, false, s);
        mb.cylinder(base + Vec3(0, h, 0), {0, 1, 0}, 1.0f, 0.4f, 0.0f, 6, 1, false, false, s);
    }
    return o;
}

}  // namespace

std::vector<ObjectAsset> objectAssets() {
    return {
        {"lwos\\c-logo.lwo",
         "the group's emblem: a chevron in a ring crowned by three stakes (overlay logo)", makeLogo,
         "", 1.3f},
        {"lwos\\box-demo.lwo", "rounded crate, 6 units, falling through the tube flight", makeBox,
         ""},
        {"lwos\\arrow-strengs-big.lwo",
         "layer 0: flat arrow with hub; layer 1: the string and plinth of the arrow tower",
         makeArrowStrengs, ""},
        {"lwos\\shredder.lwo",
         "layer 0: drum with four saw blades; layer 1: six shards whose points carry lens flares",
         makeShredder, "textures\\testenvmap.jpg"},
        {"lwos\\torus-loop-meta.lwo", "(3,5) torus knot, 9720 points, for the per-vertex twist",
         makeTorusKnot, "textures\\testenvmap-green.jpg"},
        {"lwos\\tarmslyng2.lwo",
         "figure-eight knot of wrung, swelling gut with a five-lobed section", makeTarmslyng,
         "textures\\kopi.jpg"},
        {"lwos\\spikeball.lwo", "core with 37 spikes, tips at 2.95 (the only points beyond 2.54)",
         makeSpikeBall, "textures\\testenvmap-red.jpg"},
        {"lwos\\star.lwo", "five-pointed star with faceted ridges and a planar UV map", makeStar,
         "textures\\testenvmap.jpg"},
        {"lwos\\arrow.lwo", "arrow pointing along -z from its tail, with three fins", makeArrow,
         ""},
        {"lwos\\cube.lwo", "rounded cube, 5 units, for the 9-unit cube grid", makeCube,
         "textures\\testenvmap.jpg"},
        {"lwos\\cube-s.lwo",
         "flat-faced cube, 4 units, UV-mapped per face, for the 4.5-unit pin grid", makeSmallCube,
         "textures\\test\\envi1.jpg"},
        {"lwos\\test-objrestatte.lwo",
         "ring of sixteen pointed stakes, the object grid's test object", makeRestatte,
         "textures\\test\\envi1.jpg"},
    };
}
