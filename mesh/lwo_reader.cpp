// lwo_reader.cpp - reading LWO2 objects from memory.
//
// Chunks read: CLIP (STIL), LAYR, PNTS, POLS (FACE), PTAG (SURF), SURF (COLR, DIFF, LUMI, SPEC,
// SMAN, SIDE, TRAN, BLOK), TAGS and VMAP (TXUV); everything else is skipped. Every read is
// bounded by the chunk or sub-chunk it belongs to, and by the end of the data: an object whose
// lengths or indices do not fit is refused as damaged instead of being read past its end.
// Polygons of other kinds than FACE (patches, curves, bones) are skipped with their tags, and
// an object left without triangles by that is refused as such; an object without surfaces is
// given a default one.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "mesh/mesh.h"

namespace {

constexpr uint32_t tag(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
           uint32_t(uint8_t(s[2])) << 8 | uint32_t(uint8_t(s[3]));
}

std::string tagText(uint32_t id) {
    char text[5] = {char(id >> 24), char(id >> 16), char(id >> 8), char(id), 0};
    for (int i = 0; i < 4; ++i) {
        if (text[i] < 32 || text[i] > 126) text[i] = '?';
    }
    return text;
}

// Big-endian reads with a limit. A read that would cross the limit reads nothing, yields 0 and
// marks the input as overrun; from then on every read fails, so callers check once at the end.
class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), limit_(size) {}

    size_t pos() const { return pos_; }
    size_t limit() const { return limit_; }
    size_t remaining() const { return overrun_ ? 0 : limit_ - pos_; }
    bool more() const { return remaining() > 0; }
    bool overrun() const { return overrun_; }

    // Narrows the readable range to [pos, pos + length); false (and overrun) when that
    // crosses the current limit. Returns the previous limit through outer.
    bool enter(size_t length, size_t& outer) {
        outer = limit_;
        if (!need(length)) return false;
        limit_ = pos_ + length;
        return true;
    }
    // Moves to the end of the range entered and widens the limit again.
    void leave(size_t outer) {
        if (!overrun_) pos_ = limit_;
        limit_ = outer;
    }

    uint16_t u2() {
        if (!need(2)) return 0;
        const uint16_t v = uint16_t(data_[pos_] << 8 | data_[pos_ + 1]);
        pos_ += 2;
        return v;
    }
    uint32_t u4() {
        if (!need(4)) return 0;
        const uint32_t v = uint32_t(data_[pos_]) << 24 | uint32_t(data_[pos_ + 1]) << 16 |
                           uint32_t(data_[pos_ + 2]) << 8 | uint32_t(data_[pos_ + 3]);
        pos_ += 4;
        return v;
    }
    float f4() {
        const uint32_t bits = u4();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    Vector3 vec12() {
        const float x = f4();
        const float y = f4();
        const float z = f4();
        return Vector3(x, y, z);
    }
    // A NUL-terminated string padded to an even distance from the start of the data; the
    // empty string consumes its NUL and the pad byte.
    std::string s0() {
        if (overrun_) return std::string();
        const void* nul = std::memchr(data_ + pos_, 0, limit_ - pos_);
        if (!nul) {
            overrun_ = true;
            return std::string();
        }
        const size_t n = static_cast<const uint8_t*>(nul) - (data_ + pos_);
        std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n + 1;
        padEven();
        return s;
    }
    void skip(size_t n) {
        if (need(n)) pos_ += n;
    }
    void padEven() {
        if (!overrun_ && (pos_ & 1) && pos_ < limit_) ++pos_;
    }
    // Back to an earlier position within the current range.
    void seek(size_t pos) {
        if (!overrun_ && pos <= limit_) pos_ = pos;
    }

  private:
    bool need(size_t n) {
        if (overrun_ || limit_ - pos_ < n) overrun_ = true;
        return !overrun_;
    }

    const uint8_t* data_;
    size_t pos_ = 0;
    size_t limit_;
    bool overrun_ = false;
};

class Reader {
  public:
    Reader(Mesh& mesh, const uint8_t* data, size_t size) : mesh_(mesh), in_(data, size) {}

    LwoStatus run();
    const std::string& problem() const { return problem_; }

  private:
    LwoStatus refuse(LwoStatus status, const std::string& what) {
        if (problem_.empty()) problem_ = what;
        return status;
    }
    LwoStatus damaged(const std::string& what) { return refuse(LwoStatus::Damaged, what); }
    LwoStatus checkRead(const std::string& what) {
        return in_.overrun() ? damaged(what + " runs past its end") : LwoStatus::Ok;
    }
    MeshLayer* currentLayer(uint32_t id) {
        MeshLayer* layer = mesh_.layers[currentLayer_].get();
        if (!layer) damaged(tagText(id) + " chunk before the first LAYR");
        return layer;
    }

    LwoStatus readChunk(uint32_t id, size_t length);
    LwoStatus readClip();
    LwoStatus readLayer(size_t length);
    LwoStatus readPoints(size_t length);
    LwoStatus readPolygons();
    LwoStatus readPolygonTags();
    LwoStatus readSurface();
    LwoStatus readBlock(Surface& surface);
    LwoStatus readTags();
    LwoStatus readVertexMap();
    LwoStatus finish();

    Mesh& mesh_;
    Input in_;
    uint8_t currentLayer_ = 0;
    // The latest POLS chunk of the current layer was of a kind that is not read: the PTAG
    // chunks after it name its polygons, not the triangles.
    bool polygonsSkipped_ = false;
    std::vector<uint32_t> skippedKinds_;  // POLS types that held polygons, in file order
    std::string problem_;
};

LwoStatus Reader::run() {
    if (in_.u4() != tag("FORM")) return LwoStatus::NotForm;
    in_.u4();     // form length: the data's own size is what counts
    in_.skip(4);  // form type, not compared
    if (in_.overrun()) return damaged("the file ends inside its FORM header");

    while (in_.more()) {
        const uint32_t id = in_.u4();
        const uint32_t length = in_.u4();
        if (in_.overrun()) return damaged("the file ends inside a chunk header");
        size_t outer;
        if (!in_.enter(length, outer)) {
            return damaged(tagText(id) + " chunk of " + std::to_string(length) +
                           " bytes runs past the end of the file");
        }
        const LwoStatus status = readChunk(id, length);
        if (status != LwoStatus::Ok) return status;
        in_.leave(outer);
        in_.padEven();
    }
    return finish();
}

LwoStatus Reader::readChunk(uint32_t id, size_t length) {
    switch (id) {
        case tag("CLIP"):
            return readClip();
        case tag("LAYR"):
            return readLayer(length);
        case tag("PNTS"):
            return readPoints(length);
        case tag("POLS"):
            return readPolygons();
        case tag("PTAG"):
            return readPolygonTags();
        case tag("SURF"):
            return readSurface();
        case tag("TAGS"):
            return readTags();
        case tag("VMAP"):
            return readVertexMap();
        default:
            return LwoStatus::Ok;  // skipped by the caller
    }
}

LwoStatus Reader::readClip() {
    if (mesh_.clips.size() >= Mesh::kMaxClips) {
        return damaged("more than " + std::to_string(Mesh::kMaxClips) + " clips");
    }
    ImageClip clip;
    clip.index = in_.u4();
    while (in_.more()) {
        const uint32_t id = in_.u4();
        const uint16_t length = in_.u2();
        size_t outer;
        if (!in_.enter(length, outer)) break;
        if (id == tag("STIL")) {
            // Only the base name counts: the image is looked for under textures\.
            const std::string file = in_.s0();
            const size_t cut = file.find_last_of("/:");
            clip.path = "textures\\" + (cut == std::string::npos ? file : file.substr(cut + 1));
        }
        in_.leave(outer);
    }
    mesh_.clips.push_back(clip);
    return checkRead("CLIP chunk");
}

LwoStatus Reader::readLayer(size_t length) {
    currentLayer_ = uint8_t(in_.u2() & 0xFF);  // the table has 256 layers: the low byte
    auto layer = std::make_unique<MeshLayer>();
    in_.u2();  // flags
    layer->pivot = in_.vec12();
    // The name fills what lies between the pivot and the parent, which ends the chunk; a
    // chunk of exactly 18 bytes has an empty name and its parent is the name's two bytes.
    if (length > 18) in_.skip(length - 18);
    layer->parent = in_.u2();
    if (in_.overrun())
        return damaged("LAYR chunk of " + std::to_string(length) + " bytes is too short");
    mesh_.layers[currentLayer_] = std::move(layer);
    polygonsSkipped_ = false;
    return LwoStatus::Ok;
}

LwoStatus Reader::readPoints(size_t length) {
    MeshLayer* layer = currentLayer(tag("PNTS"));
    if (!layer) return LwoStatus::Damaged;
    const size_t count = length / 12;
    layer->points.resize(count);
    for (Vector3& p : layer->points) {
        p = in_.vec12();
        p.z = -p.z;  // LightWave is left-handed
    }
    return checkRead("PNTS chunk");
}

LwoStatus Reader::readPolygons() {
    MeshLayer* layer = currentLayer(tag("POLS"));
    if (!layer) return LwoStatus::Damaged;
    const uint32_t type = in_.u4();
    if (in_.overrun()) return checkRead("POLS chunk");
    polygonsSkipped_ = type != tag("FACE");
    if (polygonsSkipped_) {
        const bool noted =
            std::find(skippedKinds_.begin(), skippedKinds_.end(), type) != skippedKinds_.end();
        if (in_.more() && !noted) skippedKinds_.push_back(type);
        return LwoStatus::Ok;
    }

    // First pass: count the polygons, each a vertex count (low 10 bits; the upper six are
    // flags) and that many indices.
    const size_t start = in_.pos();
    size_t count = 0;
    while (in_.more()) {
        in_.skip(size_t(in_.u2() & 0x3FF) * 2);
        ++count;
    }
    if (in_.overrun()) return damaged("a polygon of the POLS chunk runs past its end");

    in_.seek(start);
    std::vector<MeshPolygon> polygons(count);
    for (MeshPolygon& polygon : polygons) {
        if ((in_.u2() & 0x3FF) != 3) return LwoStatus::NotTriangles;
        for (uint32_t& point : polygon.points) point = in_.u2();
        polygon.surface = 0;  // until a PTAG says otherwise
        polygon.faceNormal = Vector3::zero();
    }
    layer->polygons = std::move(polygons);
    return checkRead("POLS chunk");
}

LwoStatus Reader::readPolygonTags() {
    MeshLayer* layer = currentLayer(tag("PTAG"));
    if (!layer) return LwoStatus::Damaged;
    if (polygonsSkipped_) return LwoStatus::Ok;
    if (in_.u4() != tag("SURF")) return checkRead("PTAG chunk");
    // The tag is taken as the index of the surface, in the order of the SURF chunks; the names
    // of TAGS are not looked up. Surfaces may follow, so the tag is checked at the end.
    while (in_.remaining() >= 4) {
        const uint16_t polygon = in_.u2();
        const uint16_t surface = in_.u2();
        if (polygon >= layer->polygons.size()) {
            return damaged("PTAG names polygon " + std::to_string(polygon) + " of " +
                           std::to_string(layer->polygons.size()));
        }
        layer->polygons[polygon].surface = surface;
    }
    return LwoStatus::Ok;
}

LwoStatus Reader::readSurface() {
    if (mesh_.surfaces.size() >= Mesh::kMaxSurfaces) {
        return damaged("more than " + std::to_string(Mesh::kMaxSurfaces) + " surfaces");
    }
    mesh_.surfaces.emplace_back();
    Surface& surface = mesh_.surfaces.back();
    surface.name = in_.s0();
    in_.s0();  // source surface, not used
    while (in_.more()) {
        const uint32_t id = in_.u4();
        const uint16_t length = in_.u2();
        size_t outer;
        if (!in_.enter(length, outer)) break;
        // Envelopes after the values are not used: whatever a sub-chunk holds beyond what
        // is read is skipped. Unknown sub-chunks are padded like chunks.
        bool known = true;
        switch (id) {
            case tag("COLR"):
                surface.color[0] = in_.f4();
                surface.color[1] = in_.f4();
                surface.color[2] = in_.f4();
                break;
            case tag("DIFF"):
                surface.diffuse = in_.f4();
                break;
            case tag("LUMI"):
                surface.luminosity = in_.f4();
                break;
            case tag("SPEC"):
                surface.specular = in_.f4();
                break;
            case tag("SMAN"):
                surface.smoothingAngle = in_.f4();
                break;
            case tag("SIDE"):
                surface.doubleSided = in_.u2() == 3;
                break;
            case tag("TRAN"):
                surface.transparency = in_.f4();
                break;
            case tag("BLOK"): {
                const LwoStatus status = readBlock(surface);
                if (status != LwoStatus::Ok) return status;
                break;
            }
            default:
                known = false;
                break;
        }
        in_.leave(outer);
        if (!known) in_.padEven();
    }
    return checkRead("SURF chunk \"" + surface.name + "\"");
}

LwoStatus Reader::readBlock(Surface& surface) {
    if (surface.blocks.size() >= Surface::kMaxBlocks) {
        return damaged("more than " + std::to_string(Surface::kMaxBlocks) +
                       " texture blocks in a surface");
    }
    surface.blocks.emplace_back();
    TextureBlock& block = surface.blocks.back();

    // Within a block, sub-chunks follow each other by their exact lengths, without padding.
    const uint32_t headerId = in_.u4();
    const uint16_t headerLength = in_.u2();
    size_t outer;
    if (!in_.enter(headerLength, outer)) return LwoStatus::Ok;
    if (headerId == tag("IMAP")) {
        in_.s0();  // ordinal string
        bool transparencyChannel = false;
        while (in_.more()) {
            const uint32_t id = in_.u4();
            const uint16_t length = in_.u2();
            size_t header;
            if (!in_.enter(length, header)) break;
            if (id == tag("CHAN")) {
                transparencyChannel = in_.u4() == tag("TRAN");
            } else if (id == tag("OPAC")) {
                // Only a transparency layer keeps its opacity type (7 = additive).
                surface.opacityType = in_.u2();
                surface.opacity = in_.f4();
                if (!transparencyChannel) surface.opacityType = 0;
            }
            in_.leave(header);
        }
    }
    in_.leave(outer);

    while (in_.more()) {
        const uint32_t id = in_.u4();
        const uint16_t length = in_.u2();
        size_t blockOuter;
        if (!in_.enter(length, blockOuter)) break;
        switch (id) {
            case tag("AXIS"):
                block.axis = uint8_t(in_.u2() & 0xFF);
                break;
            case tag("IMAG"):
                block.image = in_.u2();
                break;
            case tag("PROJ"):
                block.projection = uint8_t(in_.u2() & 0xFF);
                break;
            case tag("VMAP"):
                block.projection = 5;
                block.uvMapName = in_.s0();
                break;
            default:
                break;  // placement, wrapping and the rest are not used
        }
        in_.leave(blockOuter);
    }
    return LwoStatus::Ok;  // an overrun is reported by the surface
}

LwoStatus Reader::readTags() {
    // A later TAGS chunk writes from the first tag again.
    size_t index = 0;
    while (in_.more()) {
        if (index >= Mesh::kMaxTags) {
            return damaged("more than " + std::to_string(Mesh::kMaxTags) + " tags");
        }
        std::string text = in_.s0();
        if (index < mesh_.tags.size()) {
            mesh_.tags[index] = std::move(text);
        } else {
            mesh_.tags.push_back(std::move(text));
        }
        ++index;
    }
    return checkRead("TAGS chunk");
}

LwoStatus Reader::readVertexMap() {
    MeshLayer* layer = currentLayer(tag("VMAP"));
    if (!layer) return LwoStatus::Damaged;
    if (in_.u4() != tag("TXUV")) return checkRead("VMAP chunk");
    if (in_.u2() != 2)
        return in_.overrun() ? damaged("VMAP chunk runs past its end") : LwoStatus::UVNot2D;
    if (layer->uvMaps.size() >= MeshLayer::kMaxUVMaps) {
        return damaged("more than " + std::to_string(MeshLayer::kMaxUVMaps) +
                       " UV maps in a layer");
    }
    UVMap map;
    map.name = in_.s0();
    // Entries of a point index (U2) and u, v (F4 each); a partial entry at the end is ignored.
    map.entries.resize(in_.remaining() / 10);
    for (UVEntry& entry : map.entries) {
        entry.point = in_.u2();
        entry.u = in_.f4();
        entry.v = in_.f4();
    }
    if (in_.overrun()) return damaged("VMAP chunk runs past its end");
    layer->uvMaps.push_back(std::move(map));
    return LwoStatus::Ok;
}

// Plain words for the kinds of polygon that are not read.
std::string kindName(uint32_t type) {
    switch (type) {
        case tag("PTCH"):
            return "subdivision patches (PTCH)";
        case tag("SUBD"):
            return "subdivision surfaces (SUBD)";
        case tag("CURV"):
            return "spline curves (CURV)";
        case tag("MBAL"):
            return "metaballs (MBAL)";
        case tag("BONE"):
            return "bones (BONE)";
        default:
            return "polygons of type " + tagText(type);
    }
}

LwoStatus Reader::finish() {
    size_t triangles = 0;
    for (const auto& layer : mesh_.layers) triangles += layer ? layer->polygons.size() : 0;
    if (triangles == 0 && !skippedKinds_.empty()) {
        std::string kinds;
        for (size_t k = 0; k < skippedKinds_.size(); ++k) {
            if (k > 0) kinds += k + 1 < skippedKinds_.size() ? ", " : " and ";
            kinds += kindName(skippedKinds_[k]);
        }
        return refuse(LwoStatus::NoTriangles,
                      "it has no triangles, only " + kinds + ", which the program does not draw");
    }
    if (triangles > 0 && mesh_.surfaces.empty()) {
        // Without a SURF chunk no tag can name a surface: every polygon takes the default
        // one, LightWave's plain grey.
        Surface surface;
        surface.name = "Default";
        for (float& c : surface.color) c = 200.0f / 255.0f;
        mesh_.surfaces.push_back(surface);
        for (const auto& layer : mesh_.layers) {
            if (!layer) continue;
            for (MeshPolygon& polygon : layer->polygons) polygon.surface = 0;
        }
    }
    for (int l = 0; l < Mesh::kMaxLayers; ++l) {
        const MeshLayer* layer = mesh_.layers[l].get();
        if (!layer) continue;
        const size_t points = layer->points.size();
        for (size_t p = 0; p < layer->polygons.size(); ++p) {
            const MeshPolygon& polygon = layer->polygons[p];
            for (uint32_t point : polygon.points) {
                if (point >= points) {
                    return damaged("polygon " + std::to_string(p) + " of layer " +
                                   std::to_string(l) + " uses point " + std::to_string(point) +
                                   " of " + std::to_string(points));
                }
            }
            if (polygon.surface >= mesh_.surfaces.size()) {
                return damaged("polygon " + std::to_string(p) + " of layer " + std::to_string(l) +
                               " has tag " + std::to_string(polygon.surface) + " but there are " +
                               std::to_string(mesh_.surfaces.size()) + " surfaces");
            }
        }
    }
    return LwoStatus::Ok;
}

}  // namespace

int fatalExitStatus(LwoStatus status) {
    switch (status) {
        case LwoStatus::NotForm:
            return 2;
        case LwoStatus::NotTriangles:
            return 1;
        case LwoStatus::UVNot2D:
            return 1;
        default:
            return 0;
    }
}

const char* fatalMessage(LwoStatus status) {
    switch (status) {
        case LwoStatus::NotTriangles:
            return "3 Vertices per poly only";
        case LwoStatus::UVNot2D:
            return "2D UV-mapping only";
        default:
            return nullptr;
    }
}

void Mesh::clear() {
    clips.clear();
    tags.clear();
    surfaces.clear();
    for (auto& layer : layers) layer.reset();
}

LwoStatus Mesh::read(const uint8_t* data, size_t size, std::string* problem) {
    clear();
    if (!data) size = 0;
    Reader reader(*this, data, size);
    const LwoStatus status = reader.run();
    if (problem) *problem = reader.problem();
    return status;
}
