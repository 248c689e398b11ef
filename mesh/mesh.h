// mesh.h - a LightWave object (LWO2) loaded for drawing.
//
// The reader takes a subset of LWO2: triangles only, 2D UV maps only, 16-bit indices, and the
// chunks listed in lwo_reader.cpp; everything else is skipped. Points are mirrored in z on
// load (LightWave is left-handed) and triangles are emitted in reverse corner order, which
// keeps their facing. After reading, normals are computed and one display list per layer and
// surface is compiled, so drawing a mesh replays lists under the caller's OpenGL state.
//
// Reading and normals (read, clear, computeNormals, and the records) are library palisade_lwo,
// which needs no OpenGL: tools and tests read objects with it alone. Loading from the archive,
// display lists and drawing are palisade_mesh.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/vector3.h"

struct UVEntry {
    uint32_t point;
    float u, v;  // v as stored in the file
};

struct UVMap {
    std::string name;  // empty when the file gives none
    std::vector<UVEntry> entries;
};

struct MeshPolygon {
    uint32_t points[3];  // file order
    Vector3 faceNormal;
    Vector3 cornerNormals[3];
    uint16_t surface;  // index into Mesh::surfaces, in the order of the file's SURF chunks
};

struct MeshLayer {
    static constexpr int kMaxUVMaps = 64;

    std::vector<Vector3> points;  // (x, y, -z) of the file
    std::vector<MeshPolygon> polygons;
    std::vector<UVMap> uvMaps;
    uint32_t displayLists[256] = {};  // per surface index; 0 = none
    Vector3 pivot = Vector3::zero();  // as stored, not mirrored; not used for drawing
    uint16_t parent = 0;
};

struct TextureBlock {
    uint8_t axis = 0;        // 0 x, 1 y, 2 z
    uint8_t projection = 0;  // 0 planar, 1 cylindrical, 2 spherical, ..., 5 UV
    uint32_t image = 0;      // clip index, 0 = none
    std::string uvMapName;
};

struct Surface {
    static constexpr int kMaxBlocks = 64;
    enum : uint32_t { kAdditive = 7 };  // opacity type of additive transparency

    std::string name;
    float smoothingAngle = 0.0f;  // radians; above 0 smooths across all faces of a point
    bool doubleSided = false;
    float color[3] = {0.0f, 0.0f, 0.0f};
    float luminosity = 0.0f;
    float diffuse = 1.0f;
    float specular = 0.0f;
    bool hasUV = false;  // set and cleared while drawing
    uint32_t opacityType = 0;
    float transparency = 0.0f;
    float opacity = 0.0f;
    std::vector<TextureBlock> blocks;  // only the first is used for drawing
};

struct ImageClip {
    uint32_t index;
    std::string path;  // "textures\<base name of the still image>"
};

// Outcome of reading an object.
enum class LwoStatus {
    Ok,
    NotForm,       // the file does not start with FORM
    NotTriangles,  // a polygon with other than three corners
    UVNot2D,       // a UV map whose dimension is not 2
    Damaged,       // anything else the reader cannot take safely; the object is refused
    NoTriangles,   // every polygon is of a kind that is not read (patches, curves); refused
};

// Process exit status for the three kinds of input that stop the program (2, 1, 1); 0 for Ok
// and Damaged, which do not stop it.
int fatalExitStatus(LwoStatus status);
// The message shown before such an exit; null where none is shown.
const char* fatalMessage(LwoStatus status);

class Mesh {
  public:
    static constexpr int kMaxLayers = 256;
    static constexpr int kMaxSurfaces = 256;
    static constexpr int kMaxClips = 256;
    static constexpr int kMaxTags = 256;
    static constexpr int kAllLayers = 4096;

    Mesh() = default;
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Reads an object from memory into this (empty) record. Needs no OpenGL. On anything but
    // Ok, problem (when given) says what was wrong and the record must not be drawn.
    LwoStatus read(const uint8_t* data, size_t size, std::string* problem = nullptr);
    // Back to the empty record.
    void clear();

    // The program's load: reads the entry of that name from the data archive, then as
    // loadFromMemory. False when the entry cannot be read or the object is refused; both are
    // reported with a message.
    bool load(const char* entryName);
    // Reads, computes normals and builds the display lists (needs a current context). A file
    // that is not FORM ends the process with status 2; a polygon that is not a triangle or a
    // UV map that is not 2D shows its message and ends it with status 1. A damaged object, or
    // one without triangles, is reported with a message naming it and refused (false).
    bool loadFromMemory(const char* entryName, const uint8_t* data, size_t size);
    // An entry of the data archive as a malloc block the caller frees; null, after a message
    // naming it, when it cannot be read.
    static unsigned char* readEntry(const char* entryName, size_t* size);

    void computeNormals();
    void buildDisplayLists();

    // Draws one layer, or every layer for kAllLayers. Immediate mode emits the UV coordinates
    // of a surface's UV map; material mode applies each surface's own material.
    void draw(int layer, bool immediate, bool material);
    // Applies a surface's material; returns the index of its UV map (valid when the surface's
    // hasUV flag is set).
    int setupSurface(int layer, int surface);

    MeshLayer* layer(int index) const {
        return index >= 0 && index < kMaxLayers ? layers[index].get() : nullptr;
    }

    std::string name;
    std::vector<ImageClip> clips;
    std::vector<std::string> tags;  // empty string for an empty tag
    std::vector<Surface> surfaces;
    std::unique_ptr<MeshLayer> layers[kMaxLayers];

  private:
    void drawLayer(MeshLayer& layer, int layerIndex, bool immediate, bool material);
};
