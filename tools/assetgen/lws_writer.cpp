#include "tools/assetgen/lws_writer.h"

#include <cstdio>

namespace {

// Shortest round-trip-safe form for the reader's %f, without locale surprises.
std::string num(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.7g", double(v));
    return buf;
}

std::string hex8(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", v);
    return buf;
}

void writeMotion(std::string& out, const char* keyword, const LwsMotion& m) {
    out += keyword;
    out += "\nNumChannels 9\n";
    for (int c = 0; c < 9; ++c) {
        const LwsChannel& ch = m.channels[c];
        out += "Channel " + std::to_string(c) + "\n{ Envelope\n  " +
               std::to_string(ch.keys.size()) + "\n";
        for (const LwsKey& k : ch.keys)
            out += "  Key " + num(k.value) + " " + num(k.time) + " " +
                   std::to_string(int(k.shape)) + " " + num(k.tension) + " " + num(k.continuity) +
                   " " + num(k.bias) + " 0 0 0\n";
        out += "  Behaviors " + std::to_string(int(ch.pre)) + " " + std::to_string(int(ch.post)) +
               "\n}\n";
    }
}

}  // namespace

LwsMotion LwsMotion::still(Vec3 p) {
    LwsMotion m;
    const float values[9] = {p.x, p.y, p.z, 0, 0, 0, 1, 1, 1};
    for (int c = 0; c < 9; ++c) m.channels[c].keys.push_back({values[c], 0});
    return m;
}

std::string writeLws(const LwsScene& scene) {
    // Ids follow the order each kind is written in.
    std::vector<unsigned> ids(scene.items.size(), 0);
    unsigned objects = 0, lights = 0, cameras = 0;
    for (int pass = 0; pass < 3; ++pass)
        for (size_t i = 0; i < scene.items.size(); ++i) {
            LwsItemType t = scene.items[i].type;
            if (pass == 0 && (t == LwsItemType::Object || t == LwsItemType::Null))
                ids[i] = 0x10000000u + objects++;
            if (pass == 1 && t == LwsItemType::Light) ids[i] = 0x20000000u + lights++;
            if (pass == 2 && t == LwsItemType::Camera) ids[i] = 0x30000000u + cameras++;
        }

    std::string out = "LWSC\n3\n\n";
    out += "FirstFrame " + std::to_string(scene.firstFrame) + "\n";
    out += "LastFrame " + std::to_string(scene.lastFrame) + "\n";
    out += "FrameStep 1\n";
    out += "PreviewFirstFrame " + std::to_string(scene.firstFrame) + "\n";
    out += "PreviewLastFrame " + std::to_string(scene.lastFrame) + "\n";
    out += "PreviewFrameStep 1\n";
    out += "CurrentFrame " + std::to_string(scene.firstFrame) + "\n";
    out += "FramesPerSecond " + std::to_string(scene.framesPerSecond) + "\n\n";

    auto common = [&](const LwsItem& it) {
        if (it.parent >= 0) out += "ParentItem " + hex8(ids[it.parent]) + "\n";
        if (it.pathLookAhead > 0) out += "PathAlignLookAhead " + num(it.pathLookAhead) + "\n";
    };
    for (int pass = 0; pass < 3; ++pass)
        for (size_t i = 0; i < scene.items.size(); ++i) {
            const LwsItem& it = scene.items[i];
            if (pass == 0 && it.type == LwsItemType::Object) {
                out += "LoadObjectLayer " + std::to_string(it.layer) + " " + it.name + "\n";
                out += "ShowObject 6 2\n";
                writeMotion(out, "ObjectMotion", it.motion);
                common(it);
                for (int l : it.excludedLights) out += "ExcludeLight " + hex8(ids[l]) + "\n";
                out += "ShadowOptions 7\n\n";
            } else if (pass == 0 && it.type == LwsItemType::Null) {
                out += "AddNullObject " + it.name + "\n";
                out += "ShowObject 6 3\n";
                writeMotion(out, "ObjectMotion", it.motion);
                common(it);
                out += "\n";
            } else if (pass == 1 && it.type == LwsItemType::Light) {
                out += "AddLight " + hex8(ids[i]) + "\n";
                out += "LightName " + it.name + "\n";
                out += "ShowLight 1 5\n";
                writeMotion(out, "LightMotion", it.motion);
                common(it);
                out += "LightColor " + num(it.lightColor.x) + " " + num(it.lightColor.y) + " " +
                       num(it.lightColor.z) + "\n";
                out += "LightIntensity " + num(it.lightIntensity) + "\n";
                out += "LightType " + std::to_string(it.lightType) + "\n\n";
            } else if (pass == 2 && it.type == LwsItemType::Camera) {
                out += "AddCamera " + hex8(ids[i]) + "\n";
                out += "CameraName " + it.name + "\n";
                out += "ShowCamera 1 2\n";
                writeMotion(out, "CameraMotion", it.motion);
                common(it);
                out += "ZoomFactor 2.4\n\n";
            }
        }
    return out;
}
