// lwsinfo - prints what the program's scene reader makes of a LightWave scene.
//
//   lwsinfo FILE.lws
//   lwsinfo --data ARCHIVE NAME
//
// Exit status, like lwoinfo's: 0 read as it stands; 3 read with problems (lines or items the
// program leaves out, each printed on standard error); 4 the file or entry cannot be read or
// the arguments are wrong.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "scene/scene.h"
#include "tools/common/tool_input.h"

namespace {

constexpr int kExitProblems = 3;
constexpr int kExitUnreadable = 4;

void printUsage(FILE* out) {
    std::fputs(
        "usage: lwsinfo FILE.lws\n"
        "       lwsinfo --data ARCHIVE NAME\n"
        "\n"
        "Reads a LightWave scene with the program's own reader and prints its items (type,\n"
        "name, id, parent, light colours and exclusions, path alignment), their motion blocks\n"
        "(key count and behaviours of every channel) and the parent tree as it is drawn.\n"
        "Everything the reader leaves out is listed on standard error, by line.\n"
        "\n"
        "Exit status: 0 read as it stands; 3 read with problems; 4 unreadable input or wrong\n"
        "arguments.\n",
        out);
}

const char* typeName(uint8_t type) {
    switch (type) {
        case kItemObject:
            return "object";
        case kItemLight:
            return "light";
        case kItemCamera:
            return "camera";
        case kItemNull:
            return "null";
        default:
            return "root";
    }
}

const char* behaviorName(int32_t behavior) {
    static const char* const names[] = {"reset",     "constant",      "repeat",
                                        "oscillate", "offset-repeat", "linear"};
    return behavior >= 0 && behavior <= kBehaviorLinear ? names[behavior] : "unknown";
}

const char* const kChannelNames[] = {"x", "y", "z", "heading", "pitch", "bank", "sx", "sy", "sz"};

std::string parentText(const Scene& scene, uint32_t parentId) {
    if (parentId == Scene::kRootId) return "root";
    char text[32];
    std::snprintf(text, sizeof text, "%08X", parentId);
    for (const SceneItem& other : scene.items)
        if (other.id == parentId) return std::string(text) + " '" + other.name + "'";
    return std::string(text) + " (no such item)";
}

void printMotion(const Scene& scene, const SceneItem& item) {
    if (item.envelope < 0) {
        std::printf("  no motion block\n");
        return;
    }
    const Envelope& envelope = scene.envelopes[item.envelope];
    std::printf("  motion: %d channel%s; keys", envelope.channelCount(),
                envelope.channelCount() == 1 ? "" : "s");
    for (int c = 0; c < envelope.channelCount(); ++c)
        std::printf(" %s:%zu", kChannelNames[c], envelope.channels[c].keys.size());
    std::printf("\n");
    // Behaviours only matter where a channel has keys to go beyond.
    for (int c = 0; c < envelope.channelCount(); ++c) {
        const EnvelopeChannel& channel = envelope.channels[c];
        if (channel.keys.size() < 2) continue;
        std::printf("    %s from %g to %g s, before %s, after %s\n", kChannelNames[c],
                    channel.keys.front().time, channel.keys.back().time, behaviorName(channel.pre),
                    behaviorName(channel.post));
    }
}

void printItem(const Scene& scene, const SceneItem& item) {
    std::printf("item %u: %s '%s', id %08X, parent %s, line %d\n", item.index, typeName(item.type),
                item.name.c_str(), item.id, parentText(scene, item.parentId).c_str(), item.line);
    if (item.type == kItemObject) std::printf("  layer %d\n", item.layer);
    if (item.type == kItemLight) {
        std::printf("  colour (%g, %g, %g), type %d\n", item.lightColor[0], item.lightColor[1],
                    item.lightColor[2], item.lightType);
    }
    if (item.excludedLights) {
        std::printf("  excludes light");
        for (size_t l = 0; l < 64; ++l)
            if (item.excludes(l)) std::printf(" %zu", l);
        std::printf("\n");
    }
    if (item.pathLookAhead > 0.0f) {
        const bool heading = item.pathTurns & kPathTurnsHeading,
                   pitch = item.pathTurns & kPathTurnsPitch;
        std::printf("  %s along its path, %g s ahead\n",
                    heading && pitch ? "heading and pitch"
                    : heading        ? "heading"
                                     : "pitch",
                    item.pathLookAhead);
    }
    printMotion(scene, item);
}

void printTree(const Scene& scene, int node, int depth) {
    for (int child : scene.nodes[node].children) {
        const SceneItem& item = scene.items[scene.nodes[child].item];
        std::printf("%*s%s '%s'\n", 2 * depth + 2, "", typeName(item.type), item.name.c_str());
        printTree(scene, child, depth + 1);
    }
}

void printScene(const Scene& scene) {
    int count[6] = {};
    for (const SceneItem& item : scene.items) ++count[item.type < 6 ? item.type : 0];
    std::printf("%s: frames %d to %d at %d fps\n", scene.name.c_str(), scene.firstFrame,
                scene.lastFrame, scene.framesPerSecond);
    std::printf(
        "%zu items: %d object layers, %d null objects, %d lights, %d cameras; %zu motion "
        "blocks\n",
        scene.items.size(), count[kItemObject], count[kItemNull], count[kItemLight],
        count[kItemCamera], scene.envelopes.size());
    for (const SceneItem& item : scene.items) printItem(scene, item);
    std::printf("tree:\n");
    if (!scene.nodes.empty()) printTree(scene, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            printUsage(stdout);
            return 0;
        }
    }
    const bool fromArchive = argc == 4 && std::strcmp(argv[1], "--data") == 0;
    if (!fromArchive && (argc != 2 || argv[1][0] == '\0' || argv[1][0] == '-')) {
        printUsage(stderr);
        return kExitUnreadable;
    }

    std::vector<uint8_t> data;
    const char* name = fromArchive ? argv[3] : argv[1];
    if (fromArchive ? !tools::readArchiveEntry(argv[2], argv[3], data)
                    : !tools::readWholeFile(argv[1], data)) {
        if (fromArchive) {
            std::fprintf(stderr, "lwsinfo: cannot read %s from %s\n", argv[3], argv[2]);
        } else {
            std::fprintf(stderr, "lwsinfo: cannot read %s\n", argv[1]);
        }
        return kExitUnreadable;
    }

    Scene scene;
    std::vector<std::string> problems;
    scene.read(name, reinterpret_cast<const char*>(data.data()), data.size(), &problems);
    printScene(scene);
    std::fflush(stdout);
    for (const std::string& problem : problems)
        std::fprintf(stderr, "lwsinfo: %s\n", problem.c_str());
    return problems.empty() ? 0 : kExitProblems;
}
