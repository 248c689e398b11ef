// lwoinfo - prints what the program's LWO2 reader makes of an object.
//
//   lwoinfo FILE.lwo
//   lwoinfo ARCHIVE ENTRY
//
// The exit status is the reader's: 0 read, 2 not a FORM file, 1 a polygon that is not a
// triangle or a UV map that is not 2D (the program stops on these three), 3 damaged or without
// triangles (the program refuses the object), 4 the file or entry cannot be read or the
// arguments are wrong.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "tools/common/tool_input.h"

namespace {

constexpr int kExitRefused = 3;
constexpr int kExitUnreadable = 4;

void printUsage(FILE* out) {
    std::fputs(
        "usage: lwoinfo FILE.lwo\n"
        "       lwoinfo ARCHIVE ENTRY\n"
        "\n"
        "Reads a LightWave object (LWO2) with the program's own reader and prints its layers\n"
        "(point and triangle counts, UV maps), surfaces, image clips and tags.\n"
        "\n"
        "Exit status: 0 read; 2 not a FORM file; 1 a polygon that is not a triangle or a UV\n"
        "map that is not 2D (the program stops on these); 3 damaged, or no triangles (only\n"
        "patches, curves or other polygons it skips): the program refuses the object;\n"
        "4 unreadable input or wrong arguments.\n",
        out);
}

const char* projectionName(int projection) {
    switch (projection) {
        case 0:
            return "planar";
        case 1:
            return "cylindrical";
        case 2:
            return "spherical";
        case 3:
            return "cubic";
        case 4:
            return "front";
        case 5:
            return "uv";
        default:
            return "unknown";
    }
}

void printMesh(const char* name, const Mesh& mesh) {
    int layers = 0;
    for (const auto& layer : mesh.layers) layers += layer != nullptr;
    std::printf("%s: %d layer%s, %zu surface%s, %zu clip%s, %zu tag%s\n", name, layers,
                layers == 1 ? "" : "s", mesh.surfaces.size(), mesh.surfaces.size() == 1 ? "" : "s",
                mesh.clips.size(), mesh.clips.size() == 1 ? "" : "s", mesh.tags.size(),
                mesh.tags.size() == 1 ? "" : "s");
    for (int l = 0; l < Mesh::kMaxLayers; ++l) {
        const MeshLayer* layer = mesh.layer(l);
        if (!layer) continue;
        std::printf("layer %d: %zu points, %zu triangles, pivot (%g, %g, %g), parent %u\n", l,
                    layer->points.size(), layer->polygons.size(), layer->pivot.x, layer->pivot.y,
                    layer->pivot.z, layer->parent);
        for (const UVMap& map : layer->uvMaps) {
            std::printf("  uv map \"%s\": %zu entries\n", map.name.c_str(), map.entries.size());
        }
    }
    for (size_t s = 0; s < mesh.surfaces.size(); ++s) {
        const Surface& surface = mesh.surfaces[s];
        std::printf(
            "surface %zu \"%s\": colour (%g, %g, %g), diffuse %g, luminosity %g, specular %g, "
            "smoothing %g rad, %s-sided, transparency %g, opacity type %u\n",
            s, surface.name.c_str(), surface.color[0], surface.color[1], surface.color[2],
            surface.diffuse, surface.luminosity, surface.specular, surface.smoothingAngle,
            surface.doubleSided ? "double" : "single", surface.transparency, surface.opacityType);
        for (size_t b = 0; b < surface.blocks.size(); ++b) {
            const TextureBlock& block = surface.blocks[b];
            std::printf("  block %zu: %s projection, axis %d, image %u", b,
                        projectionName(block.projection), block.axis, block.image);
            if (!block.uvMapName.empty()) std::printf(", uv map \"%s\"", block.uvMapName.c_str());
            std::printf("\n");
        }
    }
    for (const ImageClip& clip : mesh.clips) {
        std::printf("clip %u: %s\n", clip.index, clip.path.c_str());
    }
    for (size_t t = 0; t < mesh.tags.size(); ++t) {
        std::printf("tag %zu: \"%s\"\n", t, mesh.tags[t].c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            printUsage(stdout);
            return 0;
        }
    }
    if (argc != 2 && argc != 3) {
        printUsage(stderr);
        return kExitUnreadable;
    }

    std::vector<uint8_t> data;
    const char* name = argc == 2 ? argv[1] : argv[2];
    const bool read = argc == 2 ? tools::readWholeFile(argv[1], data)
                                : tools::readArchiveEntry(argv[1], argv[2], data);
    if (!read) {
        if (argc == 2) {
            std::fprintf(stderr, "lwoinfo: cannot read %s\n", argv[1]);
        } else {
            std::fprintf(stderr, "lwoinfo: cannot read %s from %s\n", argv[2], argv[1]);
        }
        return kExitUnreadable;
    }

    Mesh mesh;
    std::string problem;
    const LwoStatus status = mesh.read(data.data(), data.size(), &problem);
    switch (status) {
        case LwoStatus::Ok:
            printMesh(name, mesh);
            return 0;
        case LwoStatus::NotForm:
            std::fprintf(stderr, "lwoinfo: %s: not an IFF FORM file\n", name);
            break;
        case LwoStatus::Damaged:
            std::fprintf(stderr, "lwoinfo: %s: damaged: %s\n", name, problem.c_str());
            return kExitRefused;
        case LwoStatus::NoTriangles:
            std::fprintf(stderr, "lwoinfo: %s: not loaded: %s\n", name, problem.c_str());
            return kExitRefused;
        default:
            std::fprintf(stderr, "lwoinfo: %s: %s\n", name, fatalMessage(status));
            break;
    }
    return fatalExitStatus(status);
}
