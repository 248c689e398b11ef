// scene.h - a LightWave scene (.lws, formats 3 to 5): items moving on keyed envelopes, with
// parents.
//
// The reader understands sixteen keywords: objects (one item per object layer), null
// objects, lights and cameras, each followed by its motion block, plus parents, path
// alignment and the heading and pitch controllers that switch it on in later formats, light
// colour and type, and per-object light exclusions. Every other line is
// ignored. Scene text is input: whatever it holds, reading ends with a scene that is safe to
// draw, and everything refused is listed as one problem naming the scene and the line.
//
// Drawing follows the parent tree through OpenGL's matrix stack. The camera's motion is
// applied forward onto the caller's model-view matrix, like any item's (not inverted); the
// lights are placed in a first pass so that every object is lit by the lights it does not
// exclude, at their positions at the same time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "math/vector3.h"
#include "scene/envelope.h"

enum SceneItemType : uint8_t {
    kItemRoot = 0,
    kItemObject = 1,  // one layer of an object file
    kItemLight = 2,
    kItemCamera = 3,
    kItemNull = 5,
};

// What turning along the path sets: format 3 sets heading and pitch and levels the bank; later
// formats choose heading and pitch apart and keep the keyed bank.
enum PathTurn : uint8_t {
    kPathTurnsHeading = 1,
    kPathTurnsPitch = 2,
    kPathLevelsBank = 4,
    kPathTurnsAll = kPathTurnsHeading | kPathTurnsPitch | kPathLevelsBank
};

struct SceneItem {
    // "lwos\<file>" for object layers, the file's name otherwise; at most 127 characters.
    std::string name;
    uint32_t index = 0;     // position in Scene::items
    uint32_t parentId = 0;  // 1 is the root
    uint32_t id = 0;        // 0x10000000 + object number, 0x20000000 + light, 0x30000000 + camera
    uint8_t type = kItemRoot;
    float pathLookAhead = 0.0f;         // > 0 turns the item along its path, looking this far ahead
    uint8_t pathTurns = kPathTurnsAll;  // what the path sets when it turns the item
    int32_t layer = 0;                  // object layers: the mesh layer to draw (0-based)
    uint64_t excludedLights = 0;        // bit n set: light number n does not light this object
    float lightMatrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // captured
    float lightColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    int32_t lightType = 0;  // kept, not used for drawing
    int envelope = -1;      // index into Scene::envelopes; -1: no motion block, holds still
    bool inTree = false;    // reachable from the root, so drawn (and, for lights, lighting)
    int line = 0;           // of the keyword that made the item
    int parentLine = 0;     // of its ParentItem line, 0 when none

    bool excludes(size_t lightNumber) const {
        return lightNumber < 64 && (excludedLights >> lightNumber & 1u);
    }
};

struct SceneNode {
    int item = -1;              // index into Scene::items; -1 for the root
    std::vector<int> children;  // indices into Scene::nodes, in item order
};

// An item's transform at one time: translate, then heading about y, pitch about x, bank
// about z (radians), then scale when the envelope has scale channels.
struct ItemMotion {
    Vector3 position = Vector3::zero();
    float heading = 0.0f, pitch = 0.0f, bank = 0.0f;
    bool scaled = false;
    Vector3 scale = Vector3(1.0f, 1.0f, 1.0f);
};

class Scene {
  public:
    static constexpr int kMaxItems = 64;  // lights and cameras included
    static constexpr int kMaxChannels = kMotionChannels;
    static constexpr int kMaxKeys = 1024;        // per channel
    static constexpr int kMaxLineLength = 1023;  // characters before the line feed
    static constexpr int kMaxNameLength = 127;
    static constexpr int kMaxDepth = 16;    // parent levels; each takes a matrix-stack slot
    static constexpr int kMaxGlLights = 8;  // lights one object can be lit by
    static constexpr int kMaxMessages = 8;  // problems shown by load(); the rest are counted
    static constexpr uint32_t kRootId = 1;

    // Reads the entry of the data archive and shows what was refused (see read). False, after
    // a message, when the entry cannot be read; the scene is then empty.
    bool load(const char* entryName);
    // Replaces the scene with the one in the text. Never fails: each line or item that cannot
    // be taken is left out and described in problems as "<name>:<line>: <what>".
    void read(const char* name, const char* text, size_t size,
              std::vector<std::string>* problems = nullptr);
    void clear();

    // Evaluates an item's envelope (no OpenGL).
    ItemMotion motion(const SceneItem& item, float time) const;
    // Multiplies the item's transform onto the current OpenGL matrix.
    void applyMotion(const SceneItem& item, float time) const;
    void applyCameraMotion(int camera, float time) const;
    // Draws the whole scene onto the current OpenGL state: camera 0's motion (none when the
    // scene has no camera), the light pass, then the objects.
    void draw(float time, bool material = false);
    // One node and its subtree; pass 2 captures the lights, pass 1 draws the objects.
    void drawNode(int node, float time, int pass, bool material);

    std::string name;
    int32_t firstFrame = 0, lastFrame = 0, framesPerSecond = 0;  // kept, not used
    std::vector<SceneItem> items;
    std::vector<int> lights;   // item indices, in AddLight order (light numbers)
    std::vector<int> cameras;  // item indices, in AddCamera order
    std::vector<Envelope> envelopes;
    std::vector<SceneNode> nodes;  // nodes[0] is the root; empty before reading
    uint32_t objectCount = 0;      // object layers and null objects
};
