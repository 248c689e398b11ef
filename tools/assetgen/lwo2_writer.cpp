#include "tools/assetgen/lwo2_writer.h"

#include <algorithm>
#include <cfloat>

#include "mesh/iff_writer.h"

namespace {

bool check(const LwoObject& obj, std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (obj.layers.empty()) return fail("no layers");
    if (obj.surfaces.empty() || obj.surfaces.size() > 255)
        return fail("1 to 255 surfaces are needed");
    for (size_t i = 0; i < obj.layers.size(); ++i) {
        const LwoLayer& l = obj.layers[i];
        if (l.number != i) return fail("layers must be numbered 0, 1, 2, ... in order");
        if (l.points.size() > kLwoMaxShortIndex + 1)
            return fail("layer " + std::to_string(i) + " has too many points for 2-byte indices");
        if (l.triangles.size() > kLwoMaxShortIndex + 1)
            return fail("layer " + std::to_string(i) +
                        " has too many triangles for 2-byte indices");
        for (const LwoTriangle& t : l.triangles) {
            if (t.a >= l.points.size() || t.b >= l.points.size() || t.c >= l.points.size())
                return fail("a triangle of layer " + std::to_string(i) + " names a missing point");
            if (t.surface >= obj.surfaces.size()) return fail("a triangle names a missing surface");
        }
        if (l.uvMaps.size() > 64) return fail("more than 64 UV maps in a layer");
        for (const LwoUvMap& m : l.uvMaps)
            for (const LwoUv& e : m.entries)
                if (e.point >= l.points.size()) return fail("a UV entry names a missing point");
    }
    for (const LwoSurface& s : obj.surfaces)
        if (s.blocks.size() > 64) return fail("more than 64 blocks in a surface");
    return true;
}

void writeLayer(IffWriter& w, const LwoLayer& l) {
    w.open("LAYR", false);
    w.u2(l.number);
    w.u2(0);
    w.f4(l.pivot.x), w.f4(l.pivot.y), w.f4(l.pivot.z);
    w.s0(l.name);
    if (l.parent >= 0) w.u2(uint16_t(l.parent));
    w.close();

    // LightWave is left-handed: z is stored negated.
    Vec3 lo(FLT_MAX, FLT_MAX, FLT_MAX), hi(-FLT_MAX, -FLT_MAX, -FLT_MAX);
    w.open("PNTS", false);
    for (const Vec3& p : l.points) {
        Vec3 f(p.x, p.y, -p.z);
        w.f4(f.x), w.f4(f.y), w.f4(f.z);
        lo = Vec3(std::min(lo.x, f.x), std::min(lo.y, f.y), std::min(lo.z, f.z));
        hi = Vec3(std::max(hi.x, f.x), std::max(hi.y, f.y), std::max(hi.z, f.z));
    }
    w.close();
    if (!l.points.empty()) {
        w.open("BBOX", false);
        w.f4(lo.x), w.f4(lo.y), w.f4(lo.z), w.f4(hi.x), w.f4(hi.y), w.f4(hi.z);
        w.close();
    }

    for (const LwoUvMap& m : l.uvMaps) {
        w.open("VMAP", false);
        w.id("TXUV");
        w.u2(2);
        w.s0(m.name);
        for (const LwoUv& e : m.entries) {
            w.u2(uint16_t(e.point));
            w.f4(e.u), w.f4(e.v);
        }
        w.close();
    }

    // The mirror flips the turning sense, so the corners go in the opposite order.
    w.open("POLS", false);
    w.id("FACE");
    for (const LwoTriangle& t : l.triangles) {
        w.u2(3);
        w.u2(uint16_t(t.a)), w.u2(uint16_t(t.c)), w.u2(uint16_t(t.b));
    }
    w.close();

    w.open("PTAG", false);
    w.id("SURF");
    for (size_t i = 0; i < l.triangles.size(); ++i) {
        w.u2(uint16_t(i));
        w.u2(l.triangles[i].surface);
    }
    w.close();
}

void writeBlock(IffWriter& w, const LwoBlock& b) {
    w.open("BLOK", true);
    w.open("IMAP", true);
    w.s0("\x80");  // ordinal: the first (and only) layer of the channel
    w.open("CHAN", true), w.id("COLR"), w.close();
    w.open("ENAB", true), w.u2(1), w.close();
    w.open("OPAC", true), w.u2(0), w.f4(1.0f), w.u2(0), w.close();
    w.close();
    w.open("TMAP", true);
    w.open("CNTR", true), w.f4(0), w.f4(0), w.f4(0), w.u2(0), w.close();
    w.open("SIZE", true), w.f4(1), w.f4(1), w.f4(1), w.u2(0), w.close();
    w.open("ROTA", true), w.f4(0), w.f4(0), w.f4(0), w.u2(0), w.close();
    w.open("CSYS", true), w.u2(0), w.close();
    w.close();
    w.open("PROJ", true), w.u2(uint16_t(b.projection)), w.close();
    w.open("AXIS", true), w.u2(b.axis), w.close();
    w.open("IMAG", true), w.u2(uint16_t(b.image)), w.close();
    w.open("WRAP", true), w.u2(1), w.u2(1), w.close();
    if (b.projection == LwoProjection::UV) w.open("VMAP", true), w.s0(b.uvMap), w.close();
    w.close();
}

void writeSurface(IffWriter& w, const LwoSurface& s) {
    w.open("SURF", false);
    w.s0(s.name);
    w.s0("");
    w.open("COLR", true), w.f4(s.color.x), w.f4(s.color.y), w.f4(s.color.z), w.u2(0), w.close();
    w.open("DIFF", true), w.f4(s.diffuse), w.u2(0), w.close();
    w.open("LUMI", true), w.f4(s.luminosity), w.u2(0), w.close();
    w.open("SPEC", true), w.f4(s.specular), w.u2(0), w.close();
    w.open("SMAN", true), w.f4(s.smoothingAngle), w.close();
    w.open("SIDE", true), w.u2(s.doubleSided ? 3 : 1), w.close();
    for (const LwoBlock& b : s.blocks) writeBlock(w, b);
    w.close();
}

}  // namespace

std::vector<uint8_t> writeLwo2(const LwoObject& obj, std::string* error) {
    if (!check(obj, error)) return {};
    IffWriter w;
    w.open("FORM", false);
    w.id("LWO2");
    w.open("TAGS", false);
    for (const LwoSurface& s : obj.surfaces) w.s0(s.name);
    w.close();
    for (const LwoClip& c : obj.clips) {
        w.open("CLIP", false);
        w.u4(c.index);
        w.open("STIL", true), w.s0(c.path), w.close();
        w.close();
    }
    for (const LwoLayer& l : obj.layers) writeLayer(w, l);
    for (const LwoSurface& s : obj.surfaces) writeSurface(w, s);
    w.close();
    return w.bytes();
}
