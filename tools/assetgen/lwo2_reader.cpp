#include "tools/assetgen/lwo2_reader.h"

#include <cstring>

namespace {

class Cursor {
  public:
    Cursor(const std::vector<uint8_t>& b) : b_(b) {}
    size_t pos = 0;
    bool failed = false;

    bool has(size_t n) const { return pos + n <= b_.size(); }
    uint16_t u2() {
        if (!has(2)) return fail(), 0;
        uint16_t v = uint16_t(b_[pos] << 8 | b_[pos + 1]);
        pos += 2;
        return v;
    }
    uint32_t u4() {
        uint32_t hi = u2();
        return hi << 16 | u2();
    }
    float f4() {
        uint32_t v = u4();
        float f;
        std::memcpy(&f, &v, 4);
        return f;
    }
    std::string id() {
        if (!has(4)) return fail(), std::string();
        std::string s(reinterpret_cast<const char*>(&b_[pos]), 4);
        pos += 4;
        return s;
    }
    // The engine's string rule: up to the NUL, then pad to an even distance from the start.
    std::string s0() {
        size_t end = pos;
        while (end < b_.size() && b_[end]) ++end;
        if (end >= b_.size()) return fail(), std::string();
        std::string s(reinterpret_cast<const char*>(&b_[pos]), end - pos);
        pos = end + 1;
        if (pos % 2) ++pos;
        return s;
    }
    void fail() { failed = true; }

  private:
    const std::vector<uint8_t>& b_;
};

struct Reader {
    Cursor c;
    LwoObject* obj;
    std::string* error;
    std::vector<std::string> tags;
    LwoLayer* layer = nullptr;
    std::vector<bool> polygonTagged;

    bool fail(const std::string& why) {
        if (error) *error = why;
        return false;
    }

    // A VX index: the engine takes only the 2-byte form.
    bool vx(uint32_t* v) {
        uint16_t x = c.u2();
        if ((x >> 8) == 0xFF) return false;
        *v = x;
        return true;
    }

    bool readBlock(size_t end, LwoSurface& s) {
        LwoBlock b;
        b.projection = LwoProjection::Planar;
        b.axis = 0;
        std::string header = c.id();
        uint16_t headerLen = c.u2();
        size_t headerEnd = c.pos + headerLen;
        if (headerEnd > end) return fail("block header runs past its block");
        if (header != "IMAP") return fail("only image blocks are written");
        c.pos = headerEnd;
        while (c.pos < end && !c.failed) {
            std::string tag = c.id();
            uint16_t len = c.u2();
            size_t next = c.pos + len;
            if (next > end) return fail("block sub-chunk " + tag + " runs past its block");
            if (tag == "AXIS")
                b.axis = c.u2() & 0xFF;
            else if (tag == "IMAG")
                b.image = c.u2();
            else if (tag == "PROJ")
                b.projection = LwoProjection(c.u2() & 0xFF);
            else if (tag == "VMAP")
                b.projection = LwoProjection::UV, b.uvMap = c.s0();
            c.pos = next;
        }
        s.blocks.push_back(b);
        return true;
    }

    bool readSurface(size_t end) {
        LwoSurface s;
        s.color = Vec3(0, 0, 0);
        s.name = c.s0();
        c.s0();
        while (c.pos < end && !c.failed) {
            std::string tag = c.id();
            uint16_t len = c.u2();
            size_t next = c.pos + len;
            if (next > end) return fail("surface sub-chunk " + tag + " runs past its chunk");
            if (len % 2) return fail("odd surface sub-chunk length");
            if (tag == "COLR")
                s.color = Vec3(c.f4(), c.f4(), c.f4());
            else if (tag == "DIFF")
                s.diffuse = c.f4();
            else if (tag == "LUMI")
                s.luminosity = c.f4();
            else if (tag == "SPEC")
                s.specular = c.f4();
            else if (tag == "SMAN")
                s.smoothingAngle = c.f4();
            else if (tag == "SIDE")
                s.doubleSided = c.u2() == 3;
            else if (tag == "BLOK" && !readBlock(next, s))
                return false;
            c.pos = next;
        }
        obj->surfaces.push_back(s);
        return true;
    }

    bool readChunk(const std::string& tag, size_t end) {
        if (tag == "TAGS") {
            while (c.pos < end && !c.failed) tags.push_back(c.s0());
        } else if (tag == "CLIP") {
            LwoClip clip{c.u4(), ""};
            while (c.pos < end && !c.failed) {
                std::string sub = c.id();
                uint16_t len = c.u2();
                size_t next = c.pos + len;
                if (next > end) return fail("clip sub-chunk runs past its chunk");
                if (sub == "STIL") clip.path = c.s0();
                c.pos = next;
            }
            obj->clips.push_back(clip);
        } else if (tag == "LAYR") {
            uint16_t number = c.u2();
            if (number != obj->layers.size()) return fail("layers out of order");
            obj->layers.emplace_back();
            layer = &obj->layers.back();
            layer->number = number;
            c.u2();
            layer->pivot = Vec3(c.f4(), c.f4(), c.f4());
            layer->name = c.s0();
            if (c.pos + 2 <= end) layer->parent = c.u2();
            polygonTagged.clear();
        } else if (tag == "PNTS" || tag == "POLS" || tag == "PTAG" || tag == "VMAP") {
            if (!layer) return fail(tag + " before the first layer");
            if (tag == "PNTS") {
                if ((end - c.pos) % 12) return fail("point chunk is not a whole number of points");
                while (c.pos < end) {
                    float x = c.f4(), y = c.f4(), z = c.f4();
                    layer->points.push_back(Vec3(x, y, -z));
                }
            } else if (tag == "POLS") {
                if (c.id() != "FACE") return fail("only face polygons are written");
                while (c.pos < end && !c.failed) {
                    if ((c.u2() & 0x3FF) != 3) return fail("3 Vertices per poly only");
                    uint32_t a, b, cc;
                    if (!vx(&a) || !vx(&b) || !vx(&cc)) return fail("4-byte point index");
                    if (a >= layer->points.size() || b >= layer->points.size() ||
                        cc >= layer->points.size())
                        return fail("polygon names a missing point");
                    layer->triangles.push_back({a, cc, b, 0});
                }
                polygonTagged.assign(layer->triangles.size(), false);
            } else if (tag == "PTAG") {
                if (c.id() != "SURF") return fail("only surface tags are written");
                while (c.pos < end && !c.failed) {
                    uint32_t poly;
                    if (!vx(&poly)) return fail("4-byte polygon index");
                    uint16_t t = c.u2();
                    if (poly >= layer->triangles.size()) return fail("tag names a missing polygon");
                    if (t >= tags.size()) return fail("tag index without a tag name");
                    layer->triangles[poly].surface = t;
                    polygonTagged[poly] = true;
                }
            } else {
                if (c.id() != "TXUV") return fail("only UV maps are written");
                if (c.u2() != 2) return fail("2D UV-mapping only");
                LwoUvMap m;
                m.name = c.s0();
                if ((end - c.pos) % 10) return fail("UV map entries are not 10 bytes each");
                while (c.pos < end && !c.failed) {
                    LwoUv e;
                    if (!vx(&e.point)) return fail("4-byte UV point index");
                    if (e.point >= layer->points.size())
                        return fail("UV entry names a missing point");
                    e.u = c.f4(), e.v = c.f4();
                    m.entries.push_back(e);
                }
                layer->uvMaps.push_back(m);
            }
        } else if (tag == "SURF") {
            return readSurface(end);
        }
        return true;
    }
};

}  // namespace

bool readLwo2(const std::vector<uint8_t>& bytes, LwoObject* out, std::string* error) {
    *out = LwoObject();
    Reader r{Cursor(bytes), out, error, {}, nullptr, {}};
    Cursor& c = r.c;
    if (c.id() != "FORM") return r.fail("not an IFF FORM");
    uint32_t formLen = c.u4();
    if (formLen + 8 != bytes.size()) return r.fail("FORM length does not match the file");
    if (c.id() != "LWO2") return r.fail("not an LWO2 object");
    while (c.pos < bytes.size()) {
        std::string tag = c.id();
        uint32_t len = c.u4();
        if (c.failed || c.pos + len > bytes.size())
            return r.fail("chunk " + tag + " runs past the file");
        size_t end = c.pos + len;
        if (!r.readChunk(tag, end)) return false;
        if (c.failed) return r.fail("chunk " + tag + " is cut short");
        if (c.pos > end) return r.fail("chunk " + tag + " reads past its length");
        c.pos = end + (len % 2);
        for (size_t i = 0; i < r.polygonTagged.size(); ++i)
            if (tag == "PTAG" && !r.polygonTagged[i]) return r.fail("a polygon has no surface tag");
    }
    if (out->layers.empty()) return r.fail("no layers");
    if (r.tags.size() != out->surfaces.size())
        return r.fail("tag names and surfaces differ in number");
    for (size_t i = 0; i < r.tags.size(); ++i)
        if (r.tags[i] != out->surfaces[i].name)
            return r.fail("tag " + std::to_string(i) + " names another surface");
    return true;
}
