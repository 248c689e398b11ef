// envmaps.cpp - sphere environment maps: the picture a mirror ball would show, for OpenGL's
// sphere-map texture generation.
//
// Each texel (s, t) of the disc is a ball normal n = (2s - 1, 2t - 1, nz) seen from straight
// ahead; the reflection r = (2 nz nx, 2 nz ny, 2 nz^2 - 1) looks into the environment. The
// top of the picture is up in the world; the centre reflects what is behind the viewer, the
// rim what is behind the object.
#include <cmath>

#include "tools/assetgen/catalog.h"
#include "tools/assetgen/noise.h"
#include "tools/assetgen/style.h"
#include "tools/assetgen/vec3.h"

namespace {

using Environment = Color (*)(Vec3 r);

Image sphereMap(int size, Environment env, unsigned grainSeed) {
    Image img(size, size);
    shadeSupersampled(img, 2, [env](float s, float v) {
        float x = 2 * s - 1, y = 1 - 2 * v;  // v runs down the picture, t up the world
        float rr = x * x + y * y;
        if (rr > 0.998f) {  // outside the ball: carry the rim on, so filtering finds no seam
            float k = std::sqrt(0.998f / rr);
            x *= k, y *= k, rr = 0.998f;
        }
        float nz = std::sqrt(1 - rr);
        Vec3 r(2 * nz * x, 2 * nz * y, 2 * nz * nz - 1);
        return env(normalize(r));
    });
    addGrain(img, 0.012f, grainSeed);
    return img;
}

// An outdoor set: a sky with a sun over a dark floor ruled with a grid, a glowing horizon.
struct Outdoor {
    Color zenith, horizon, glow, ground, grid, sun;
};

Color outdoor(const Outdoor& o, Vec3 r) {
    // The world seen by the ball is turned a little, so the horizon is not a flat line.
    float y = r.y + 0.08f * r.x;
    if (y >= 0) {
        Color sky =
            ramp({{0.0f, o.horizon}, {0.25f, mix(o.horizon, o.zenith, 0.55f)}, {1.0f, o.zenith}},
                 std::pow(y, 0.7f));
        float clouds = fbm3(r.x * 3, r.y * 6, r.z * 3, 4, 11) * 0.5f + 0.5f;
        sky = mix(sky, o.horizon, smoothstep(0.55f, 0.8f, clouds) * 0.35f * (1 - y));
        Vec3 sunDir = normalize(Vec3(-0.45f, 0.55f, 0.7f));
        float s = std::fmax(0.0f, dot(r, sunDir));
        sky = addLight(sky, o.sun, std::pow(s, 300.0f) * 3 + std::pow(s, 12.0f) * 0.35f);
        return addLight(sky, o.glow, std::exp(-y * 18) * 0.8f);
    }
    float d = -y;
    float px = r.x / d, pz = r.z / d;  // where the ray meets the floor one unit down
    float fade = std::exp(-0.08f * std::sqrt(px * px + pz * pz));
    float gx = std::fabs(px * 0.6f - std::floor(px * 0.6f + 0.5f));
    float gz = std::fabs(pz * 0.6f - std::floor(pz * 0.6f + 0.5f));
    // Lines fade out towards the nadir, where they would widen into bars.
    float line = std::fmax(smoothstep(0.06f, 0.0f, gx), smoothstep(0.06f, 0.0f, gz)) * fade *
                 smoothstep(0.95f, 0.45f, d);
    Color ground = mix(o.ground, o.horizon * 0.5f, std::exp(-d * 10) * 0.6f);
    ground = addLight(ground, o.grid, line);
    return addLight(ground, o.glow, std::exp(-d * 14) * 1.1f);
}

Color chrome(Vec3 r) {
    // A deep sky and a pale, not white, horizon: chrome in this set keeps dark faces beside its
    // bright ones, which it needs under the zoom blur and the flashes.
    static const Outdoor o = {Color::hex(0x0E1A52), Color::hex(0x9CC2E6), palette::amber,
                              Color::hex(0x05070F), palette::teal,        Color::hex(0xFFF4D8)};
    return outdoor(o, r);
}

Color chromeGreen(Vec3 r) {
    // A high, bright sky over a black floor: the knot turns in front of a dark backdrop and
    // under white flashes, and a bright half keeps it standing out of both.
    static const Outdoor o = {Color::hex(0x7AD6B4), Color::hex(0xF6FFF8), Color::hex(0xB7FF5A),
                              Color::hex(0x020806), palette::moss,        Color::hex(0xF4FFE0)};
    return outdoor(o, r);
}

Color chromeRed(Vec3 r) {
    static const Outdoor o = {Color::hex(0x5A0F2E), Color::hex(0xFFE6EC), palette::amber,
                              Color::hex(0x16040C), palette::rose,        Color::hex(0xFFF0E0)};
    return outdoor(o, r);
}

// A studio: a dark room lit by large soft boxes.
struct SoftBox {
    Vec3 dir;  // centre of the box as seen from the ball
    float width, height;
    Color color;
};

Color studio(Vec3 r, const SoftBox* boxes, int count, Color room, Color floor) {
    Color c =
        r.y >= 0 ? mix(room, room * 0.55f, r.y) : mix(room, floor, smoothstep(0.0f, 0.4f, -r.y));
    for (int i = 0; i < count; ++i) {
        const SoftBox& b = boxes[i];
        Vec3 right = normalize(cross(Vec3(0, 1, 0), b.dir));
        if (length(right) < 0.5f) right = Vec3(1, 0, 0);
        Vec3 up = cross(b.dir, right);
        float facing = dot(r, b.dir);
        if (facing <= 0) continue;
        float u = dot(r, right) / facing, v = dot(r, up) / facing;
        float edge = std::fmax(std::fabs(u) / b.width, std::fabs(v) / b.height);
        float inside = smoothstep(1.0f, 0.8f, edge);
        float halo = std::exp(-std::fmax(0.0f, edge - 1) * 4) * 0.12f;
        c = addLight(c, b.color, inside + halo);
    }
    return c;
}

// Light bands: bright ice and teal stripes round a black room, as a chrome object shows its
// shape in a striped tunnel. Under the zoom feedback every frame is laid over the last ones:
// soft light adds up to a haze, while hard stripes on black leave swirling lines.
Color stripedRoom(Vec3 r) {
    float elevation = std::asin(std::fmax(-1.0f, std::fmin(1.0f, r.y)));
    float band = 0.5f + 0.5f * std::cos(elevation * 9.0f);
    float line = smoothstep(0.55f, 0.75f, band);
    Color c = mix(Color::hex(0x010206), mix(palette::teal, palette::ice, 0.5f + 0.5f * r.y), line);
    // A white key light overhead, so the top of the object flashes as it turns.
    return addLight(c, Color::hex(0xFFFFFF), std::pow(std::fmax(0.0f, r.y), 24.0f) * 0.8f);
}

Color studioCool(Vec3 r) {
    static const SoftBox boxes[] = {
        {normalize(Vec3(-0.3f, 0.85f, 0.4f)), 0.7f, 0.45f, Color::hex(0xF2FAFF)},
        {normalize(Vec3(-0.95f, 0.0f, 0.3f)), 0.15f, 1.0f, palette::ice},
        {normalize(Vec3(0.8f, 0.3f, 0.5f)), 0.35f, 0.35f, palette::teal},
        {normalize(Vec3(0.0f, 0.2f, -1.0f)), 0.8f, 0.2f, Color::hex(0x9FB4FF) * 0.7f},
    };
    return studio(r, boxes, 4, Color::hex(0x12182C), Color::hex(0x2A3350));
}

// Open sky with towering clouds over a calm sea: the ripples of the shock-wave sphere read
// as the sky breaking on water.
Color skyAndSea(Vec3 r) {
    float y = r.y;
    if (y >= 0) {
        Color sky = ramp({{0.0f, Color::hex(0xDDEBFF)},
                          {0.3f, Color::hex(0x6FA8E8)},
                          {1.0f, Color::hex(0x1F3F9A)}},
                         std::pow(y, 0.8f));
        float n = fbm3(r.x * 2.2f, r.y * 4.5f + 3, r.z * 2.2f, 5, 23) * 0.5f + 0.5f;
        float cloud = smoothstep(0.48f, 0.72f, n) * smoothstep(0.0f, 0.12f, y);
        float shade = 0.75f + 0.25f * (fbm3(r.x * 5, r.y * 9, r.z * 5, 3, 29) * 0.5f + 0.5f);
        sky = mix(sky, Color::hex(0xFFFFFF) * shade, cloud * 0.9f);
        Vec3 sunDir = normalize(Vec3(0.5f, 0.35f, 0.75f));
        float s = std::fmax(0.0f, dot(r, sunDir));
        return addLight(sky, Color::hex(0xFFF1C8),
                        std::pow(s, 400.0f) * 4 + std::pow(s, 16.0f) * 0.3f);
    }
    float d = -y;
    Color sea = ramp(
        {{0.0f, Color::hex(0x9CC6E8)}, {0.15f, Color::hex(0x2C6C9C)}, {1.0f, Color::hex(0x06213F)}},
        std::pow(d, 0.6f));
    float waves = fbm3(r.x / d * 2, 0, r.z / d * 2, 4, 31) * 0.5f + 0.5f;
    sea = addLight(sea, palette::ice, smoothstep(0.6f, 0.9f, waves) * 0.25f * std::exp(-d * 3));
    return sea;
}

template <Environment Env, int Size, unsigned Seed>
Image makeEnvmap(const AssetContext&) {
    return sphereMap(Size, Env, Seed);
}

}  // namespace

std::vector<TextureAsset> environmentMapAssets() {
    return {
        {"textures\\testenvmap.jpg", 512, 512, PixelFormat::Rgb,
         "chrome sphere map: blue sky and sun over a dark floor ruled in teal, amber horizon",
         makeEnvmap<chrome, 512, 1>},
        {"textures\\testenvmap-green.jpg", 512, 512, PixelFormat::Rgb,
         "the chrome set tinted emerald (the twisting knot)", makeEnvmap<chromeGreen, 512, 2>},
        {"textures\\testenvmap-red.jpg", 512, 512, PixelFormat::Rgb,
         "the chrome set tinted crimson and rose (the spike ball)", makeEnvmap<chromeRed, 512, 3>},
        {"textures\\kopi.jpg", 256, 256, PixelFormat::Rgb,
         "striped room: ice and teal light bands round a black room, a white key overhead",
         makeEnvmap<stripedRoom, 256, 4>},
        {"textures\\shockwave.jpg", 512, 512, PixelFormat::Rgb,
         "sky reflection: clouds and sun over a calm sea", makeEnvmap<skyAndSea, 512, 5>},
        {"textures\\test\\envi1.jpg", 256, 256, PixelFormat::Rgb,
         "cool studio: white and teal soft boxes", makeEnvmap<studioCool, 256, 6>},
    };
}
