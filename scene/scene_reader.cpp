// scene_reader.cpp - reading LightWave scene text into a Scene.
//
// The header runs from the LWSC line to the first item keyword; its FirstFrame, LastFrame and
// FramesPerSecond are read wherever they stand, the lines LightWave writes there that do not
// change the motion are passed over, and any other header line is reported. Formats 3 to 5
// are read; the later two write an item id before an object's path and a path look-ahead for
// every item, turning an item along its path only where its heading or pitch controller says
// so. After the header every line's first word is looked up in the keyword table and
// anything else is ignored. A
// motion block belongs to the item before it. Numbers are read word by word with range and
// finiteness checks, so no line can leave a field half-set; a line that holds one of the
// keywords also ends a motion block that is still open, so one damaged block costs only
// itself.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "scene/scene.h"

namespace {

constexpr uint32_t kObjectIds = 0x10000000u;
constexpr uint32_t kLightIds = 0x20000000u;
constexpr uint32_t kCameraIds = 0x30000000u;
constexpr int kMaxLayer = 256;  // layers an object file can have

enum Keyword {
    kAddNullObject,
    kLoadObjectLayer,
    kObjectMotion,
    kParentItem,
    kPathAlignLookAhead,
    kAddLight,
    kLightName,
    kLightMotion,
    kLightColor,
    kLightType,
    kExcludeLight,
    kAddCamera,
    kCameraName,
    kCameraMotion,
    kHController,
    kPController,
    kNoKeyword
};

const char* const kKeywords[] = {
    "AddNullObject",      "LoadObjectLayer", "ObjectMotion", "ParentItem",
    "PathAlignLookAhead", "AddLight",        "LightName",    "LightMotion",
    "LightColor",         "LightType",       "ExcludeLight", "AddCamera",
    "CameraName",         "CameraMotion",    "HController",  "PController",
};

Keyword keywordOf(const std::string& word) {
    // Most lines of a scene are keys: let them through without sixteen comparisons.
    if (word.size() < 8 || std::string("ALOPECH").find(word[0]) == std::string::npos)
        return kNoKeyword;
    for (int k = 0; k < kNoKeyword; ++k)
        if (word == kKeywords[k]) return Keyword(k);
    return kNoKeyword;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Into words, reusing its storage: reading a scene splits every line.
void splitWords(const std::string& line, std::vector<std::string>& words) {
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSpace(line[i])) ++i;
        const size_t start = i;
        while (i < line.size() && !isSpace(line[i])) ++i;
        if (i > start) words.emplace_back(line, start, i - start);
    }
}

bool parseInt(const std::string& word, int32_t& out) {
    if (word.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(word.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
    out = int32_t(v);
    return true;
}

bool parseFloat(const std::string& word, float& out) {
    if (word.empty()) return false;
    char* end = nullptr;
    const float v = std::strtof(word.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v)) return false;
    out = v;
    return true;
}

// One to eight hexadecimal digits, as item ids are written.
bool parseId(const std::string& word, uint32_t& out) {
    if (word.empty() || word.size() > 8) return false;
    uint32_t v = 0;
    for (char c : word) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return false;
        }
        v = v << 4 | uint32_t(digit);
    }
    out = v;
    return true;
}

std::string hexId(uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", id);
    return text;
}

class SceneReader {
  public:
    SceneReader(Scene& scene, const char* text, size_t size, std::vector<std::string>* problems)
        : scene_(scene), text_(text), size_(text ? size : 0), problems_(problems) {
        // The text ends at its first NUL byte, if any.
        if (const void* nul = std::memchr(text_, 0, size_)) {
            size_ = size_t(static_cast<const char*>(nul) - text_);
        }
    }

    void run();

  private:
    struct Exclusion {
        int item;
        uint32_t light;
        int line;
    };

    void problem(int line, const std::string& what) {
        if (problems_) problems_->push_back(scene_.name + ":" + std::to_string(line) + ": " + what);
    }
    void problem(const std::string& what) {
        if (problems_) problems_->push_back(scene_.name + ": " + what);
    }

    bool nextLine(std::string& line);
    void pushBack(const std::string& line) {
        pending_ = line;
        hasPending_ = true;
    }
    // The next line of a motion block, or false when the block ends there: at the end of the
    // text, or at a keyword line, which is handed back to the keyword loop.
    bool blockLine(std::string& line, std::vector<std::string>& words);

    // False when the text does not begin with the scene format's LWSC line.
    bool readHeader();
    void handle(Keyword keyword, const std::vector<std::string>& words);
    void loadObjectLayer(SceneItem& item, const std::vector<std::string>& words);
    void setField(SceneItem& item, Keyword keyword, const std::vector<std::string>& words);
    void setController(SceneItem& item, const std::vector<std::string>& words);
    bool takeWrittenId(SceneItem& item, const std::vector<std::string>& words, size_t at);
    void applyPathAlignments();
    SceneItem* newItem(SceneItemType type, uint32_t id);
    SceneItem* lastItem(const std::vector<std::string>& words);
    void setName(SceneItem& item, const std::string& name, const char* what);
    void readMotion(const std::string& keyword);
    bool readChannel(EnvelopeChannel& channel);
    void readKey(const std::vector<std::string>& words, EnvelopeChannel& channel,
                 bool& limitReported);
    void checkEnvelope(const Envelope& envelope, const std::string& keyword, int line);
    void finish();
    void buildTree(int node, int depth);
    void reportUnplaced();

    Scene& scene_;
    const char* text_;
    size_t size_;
    size_t pos_ = 0;
    int line_ = 0;  // number of the line read last
    std::string pending_;
    bool hasPending_ = false;
    std::vector<std::string>* problems_;

    int32_t format_ = 3;
    bool itemsFull_ = false;  // the item limit was reached: later items are left out
    bool skipping_ = false;   // the last item was left out, and so is everything of it
    std::vector<Exclusion> exclusions_;
};

bool SceneReader::nextLine(std::string& line) {
    if (hasPending_) {
        hasPending_ = false;
        line = pending_;
        return true;
    }
    if (pos_ >= size_) return false;
    const char* start = text_ + pos_;
    const void* feed = std::memchr(start, '\n', size_ - pos_);
    const size_t length = feed ? size_t(static_cast<const char*>(feed) - start) : size_ - pos_;
    pos_ += length + (feed ? 1 : 0);
    ++line_;
    if (length > size_t(Scene::kMaxLineLength)) {
        problem(line_, "line of " + std::to_string(length) + " characters, longer than " +
                           std::to_string(Scene::kMaxLineLength) + "; ignored");
        line.clear();
    } else {
        line.assign(start, length);
    }
    return true;
}

bool SceneReader::blockLine(std::string& line, std::vector<std::string>& words) {
    if (!nextLine(line)) {
        problem(line_, "the text ends inside a motion block");
        return false;
    }
    splitWords(line, words);
    if (!words.empty() && keywordOf(words[0]) != kNoKeyword) {
        problem(line_, "motion block cut short by " + words[0] + "; the item keeps what was read");
        pushBack(line);
        return false;
    }
    return true;
}

bool SceneReader::readHeader() {
    std::string line;
    std::vector<std::string> words;
    if (!nextLine(line)) return false;
    splitWords(line, words);
    if (words.size() != 1 || words[0] != "LWSC") return false;
    // The format's version: 3 to 5 are what this reader knows. Another one may carry lines it
    // reads differently, so its motion may come out wrong: said, not hidden, and read as the
    // nearest known format.
    if (nextLine(line)) {
        splitWords(line, words);
        int32_t version = 0;
        if (words.size() != 1 || !parseInt(words[0], version) || version < 1) {
            pushBack(line);
        } else {
            if (version < 3 || version > 5) {
                problem(line_, "scene format " + words[0] +
                                   ": this reader knows formats 3 to 5; items and motion may be "
                                   "read wrong");
            }
            format_ = version < 3 ? 3 : version > 5 ? 5 : version;
        }
    }
    // Lines LightWave writes in the header that do not change what is drawn.
    static const char* const kPassedOver[] = {"FrameStep", "PreviewFirstFrame", "PreviewLastFrame",
                                              "PreviewFrameStep", "CurrentFrame"};
    while (nextLine(line)) {
        splitWords(line, words);
        if (words.empty()) continue;
        if (keywordOf(words[0]) != kNoKeyword) {
            pushBack(line);  // the first item: the header ends here
            break;
        }
        int32_t* target = words[0] == "FirstFrame"        ? &scene_.firstFrame
                          : words[0] == "LastFrame"       ? &scene_.lastFrame
                          : words[0] == "FramesPerSecond" ? &scene_.framesPerSecond
                                                          : nullptr;
        if (target) {
            if (words.size() != 2 || !parseInt(words[1], *target))
                problem(line_, words[0] + " without a whole number; ignored");
            continue;
        }
        bool passedOver = false;
        for (const char* known : kPassedOver) passedOver = passedOver || words[0] == known;
        if (!passedOver) problem(line_, "header line " + words[0] + " is not used");
    }
    return true;
}

void SceneReader::run() {
    scene_.nodes.push_back(SceneNode());  // the root
    if (!readHeader()) {
        // Anything else (an empty entry, another file under the scene's name, bytes gone bad)
        // would only give a misleading "no camera" and whatever its lines happen to match.
        problem(1, "not a LightWave scene: the text does not begin with LWSC; nothing is drawn");
        return;
    }
    std::string line;
    std::vector<std::string> words;
    while (nextLine(line)) {
        splitWords(line, words);
        if (words.empty()) continue;
        const Keyword keyword = keywordOf(words[0]);
        if (keyword != kNoKeyword) handle(keyword, words);
    }
    finish();
}

SceneItem* SceneReader::newItem(SceneItemType type, uint32_t id) {
    if (int(scene_.items.size()) >= Scene::kMaxItems) {
        if (!itemsFull_) {
            problem(line_, "more than " + std::to_string(Scene::kMaxItems) +
                               " items; this one and all after it are left out");
        }
        itemsFull_ = true;
        skipping_ = true;
        return nullptr;
    }
    skipping_ = false;
    SceneItem item;
    item.type = type;
    item.id = id;
    item.index = uint32_t(scene_.items.size());
    item.parentId = Scene::kRootId;
    // Formats 4 and 5 write a look-ahead for every item; there only the controllers turn it.
    if (format_ >= 4) item.pathTurns = 0;
    item.line = line_;
    scene_.items.push_back(item);
    return &scene_.items.back();
}

SceneItem* SceneReader::lastItem(const std::vector<std::string>& words) {
    if (skipping_) return nullptr;  // belongs to an item that was left out, already told
    if (scene_.items.empty()) {
        problem(line_, words[0] + " before any item; ignored");
        return nullptr;
    }
    return &scene_.items.back();
}

void SceneReader::setName(SceneItem& item, const std::string& name, const char* what) {
    if (name.size() > size_t(Scene::kMaxNameLength)) {
        problem(line_, std::string(what) + " longer than " + std::to_string(Scene::kMaxNameLength) +
                           " characters; cut short");
        item.name = name.substr(0, Scene::kMaxNameLength);
    } else {
        item.name = name;
    }
}

void SceneReader::handle(Keyword keyword, const std::vector<std::string>& words) {
    switch (keyword) {
        case kAddNullObject:
            if (SceneItem* item = newItem(kItemNull, kObjectIds + scene_.objectCount)) {
                ++scene_.objectCount;
                const size_t at = takeWrittenId(*item, words, 1) ? 2 : 1;
                setName(*item, words.size() > at ? words[at] : std::string(), "null object name");
            }
            return;
        case kLoadObjectLayer:
            if (SceneItem* item = newItem(kItemObject, kObjectIds + scene_.objectCount)) {
                ++scene_.objectCount;
                loadObjectLayer(*item, words);
            }
            return;
        case kAddLight:
            if (SceneItem* item = newItem(kItemLight, kLightIds + uint32_t(scene_.lights.size()))) {
                scene_.lights.push_back(int(item->index));
                if (scene_.lights.size() == size_t(Scene::kMaxGlLights) + 1) {
                    problem(line_, "more than " + std::to_string(Scene::kMaxGlLights) +
                                       " lights; each object is lit by the first " +
                                       std::to_string(Scene::kMaxGlLights) +
                                       " it does not exclude");
                }
            }
            return;
        case kAddCamera:
            if (SceneItem* item =
                    newItem(kItemCamera, kCameraIds + uint32_t(scene_.cameras.size())))
                scene_.cameras.push_back(int(item->index));
            return;
        case kObjectMotion:
        case kLightMotion:
        case kCameraMotion:
            readMotion(words[0]);
            return;
        default:
            if (SceneItem* item = lastItem(words)) setField(*item, keyword, words);
            return;
    }
}

void SceneReader::loadObjectLayer(SceneItem& item, const std::vector<std::string>& words) {
    int32_t layer = 0;
    if (words.size() < 3 || !parseInt(words[1], layer)) {
        problem(line_,
                "LoadObjectLayer needs a layer number and an object path; the item is "
                "kept as a null object");
        item.type = kItemNull;
        return;
    }
    // Later formats write the item's id between the layer and the path, and the path to the
    // end of the line.
    std::string path = words[2];
    if (takeWrittenId(item, words, 2)) {
        path = words[3];
        for (size_t w = 4; w < words.size(); ++w) path += " " + words[w];
    }
    // The object's file name without its folders, under the archive's object folder.
    const size_t cut = path.find_last_of("/:");
    const std::string name = "lwos\\" + (cut == std::string::npos ? path : path.substr(cut + 1));
    if (layer < 1 || layer > kMaxLayer) {
        problem(line_, "object layer " + std::to_string(layer) + " is not between 1 and " +
                           std::to_string(kMaxLayer) + "; the item is kept as a null object");
        item.type = kItemNull;
    } else if (name.size() > size_t(Scene::kMaxNameLength)) {
        problem(line_, "object name longer than " + std::to_string(Scene::kMaxNameLength) +
                           " characters; the item is kept as a null object");
        item.type = kItemNull;
    }
    item.layer = layer - 1;
    item.name = name.substr(0, Scene::kMaxNameLength);
}

void SceneReader::setField(SceneItem& item, Keyword keyword,
                           const std::vector<std::string>& words) {
    const std::string argument = words.size() > 1 ? words[1] : std::string();
    switch (keyword) {
        case kParentItem: {
            uint32_t id = 0;
            if (!parseId(argument, id)) {
                problem(line_,
                        "ParentItem needs an item id of up to 8 hexadecimal digits; ignored");
                return;
            }
            item.parentId = id;
            item.parentLine = line_;
            return;
        }
        case kPathAlignLookAhead:
            if (!parseFloat(argument, item.pathLookAhead))
                problem(line_, "PathAlignLookAhead needs a number; ignored");
            return;
        case kHController:
        case kPController:
            setController(item, words);
            return;
        case kLightName:
            setName(item, argument, "light name");
            return;
        case kCameraName:
            setName(item, argument, "camera name");
            return;
        case kLightColor: {
            float rgb[3];
            if (words.size() < 4 || !parseFloat(words[1], rgb[0]) ||
                !parseFloat(words[2], rgb[1]) || !parseFloat(words[3], rgb[2])) {
                problem(line_, "LightColor needs three numbers; ignored");
                return;
            }
            for (int c = 0; c < 3; ++c) item.lightColor[c] = rgb[c];
            return;
        }
        case kLightType:
            if (!parseInt(argument, item.lightType))
                problem(line_, "LightType needs a number; ignored");
            return;
        case kExcludeLight: {
            uint32_t id = 0;
            if (!parseId(argument, id) || id < kLightIds || id - kLightIds >= 64) {
                problem(line_, "ExcludeLight " + argument + " is not a light id; ignored");
                return;
            }
            item.excludedLights |= uint64_t(1) << (id - kLightIds);
            exclusions_.push_back({int(item.index), id - kLightIds, line_});
            return;
        }
        default:
            return;
    }
}

// Formats 4 and 5 write an object's id before its path or name. Ids count the objects in the
// order they stand, as the counted id the item already has; one that does not is said, and the
// counted id kept, so ids stay unique. False when the word is not an id.
bool SceneReader::takeWrittenId(SceneItem& item, const std::vector<std::string>& words, size_t at) {
    uint32_t id = 0;
    if (format_ < 4 || words.size() <= at + 1 || words[at].size() != 8 || !parseId(words[at], id))
        return false;
    if (id != item.id) {
        problem(line_, words[0] + " id " + words[at] + " does not follow the objects before it; " +
                           "the item is " + hexId(item.id));
    }
    return true;
}

// 0 follows the keys, 1 turns along the path; 2, inverse kinematics, is not drawn here.
void SceneReader::setController(SceneItem& item, const std::vector<std::string>& words) {
    if (format_ < 4) return;  // not a line of format 3
    int32_t controller = 0;
    if (words.size() < 2 || !parseInt(words[1], controller) || controller < 0 || controller > 2) {
        problem(line_, words[0] + " needs 0, 1 or 2; ignored");
        return;
    }
    const uint8_t turn = words[0][0] == 'H' ? kPathTurnsHeading : kPathTurnsPitch;
    uint8_t& turns = item.pathTurns;
    turns = controller == 1 ? uint8_t(turns | turn) : uint8_t(turns & ~turn);
    if (controller == 2) {
        problem(line_, words[0] + " 2 (inverse kinematics) is not followed; the item keeps its " +
                           (turn == kPathTurnsHeading ? "keyed heading" : "keyed pitch"));
    }
}

// In formats 4 and 5 an item turns along its path only where a controller says so, looking
// ahead as far as its own line says, or one frame where it says nothing usable.
void SceneReader::applyPathAlignments() {
    if (format_ < 4) return;
    const float frame = 1.0f / float(scene_.framesPerSecond > 0 ? scene_.framesPerSecond : 30);
    for (SceneItem& item : scene_.items) {
        if (item.pathTurns == 0) {
            item.pathLookAhead = 0.0f;
        } else if (!(item.pathLookAhead > 0.0f)) {
            item.pathLookAhead = frame;
        }
    }
}

void SceneReader::readMotion(const std::string& keyword) {
    const int keywordLine = line_;
    SceneItem* owner = nullptr;
    if (!skipping_) {
        if (scene_.items.empty()) {
            problem(line_, keyword + " before any item; the block is ignored");
        } else if (scene_.items.back().envelope >= 0) {
            problem(line_, "a second motion block for one item; ignored");
        } else {
            owner = &scene_.items.back();
        }
    }

    Envelope envelope;
    std::string line;
    std::vector<std::string> words;
    int32_t channels = 0;
    if (blockLine(line, words)) {
        if (words.size() < 2 || words[0] != "NumChannels" || !parseInt(words[1], channels)) {
            problem(line_, "expected NumChannels and a count after " + keyword + "; no motion");
            channels = 0;
        } else if (channels < 0) {
            problem(line_, "negative channel count; no motion");
            channels = 0;
        } else if (channels > Scene::kMaxChannels) {
            problem(line_, std::to_string(channels) + " channels; only the first " +
                               std::to_string(Scene::kMaxChannels) + " are used");
        }
        for (int32_t c = 0; c < channels; ++c) {
            EnvelopeChannel channel;
            const bool complete = readChannel(channel);
            if (c < Scene::kMaxChannels) envelope.channels.push_back(std::move(channel));
            if (!complete) break;
        }
    }
    if (!owner) return;
    owner->envelope = int(scene_.envelopes.size());
    checkEnvelope(envelope, keyword, keywordLine);
    scene_.envelopes.push_back(std::move(envelope));
}

void SceneReader::checkEnvelope(const Envelope& envelope, const std::string& keyword, int line) {
    // Six channels move and turn; nine also scale. What is missing holds still.
    const int n = envelope.channelCount();
    if ((n > 0 && n < kChannelScaleX) || (n > kChannelScaleX && n < kMotionChannels)) {
        problem(line, keyword + " block of " + std::to_string(n) +
                          " channels; the missing ones hold still (position and angles 0, "
                          "scale 1)");
    }
}

bool SceneReader::readChannel(EnvelopeChannel& channel) {
    std::string line;
    std::vector<std::string> words;
    // The channel's header line and the line that opens its envelope are not examined.
    if (!blockLine(line, words) || !blockLine(line, words)) return false;
    if (!blockLine(line, words)) return false;
    int32_t count = -1;  // unknown: keys are read while key lines follow
    if (words.empty() || !parseInt(words[0], count) || count < 0) {
        problem(line_, "key count '" + (words.empty() ? std::string() : words[0]) +
                           "' is not a number of keys; the key lines that follow are read");
        count = -1;
    }
    bool haveBehaviors = false;
    bool limitReported = false;
    for (int32_t k = 0; count < 0 || k < count; ++k) {
        if (!blockLine(line, words)) return false;
        if (!words.empty() && words[0] == "Behaviors") {
            if (count >= 0) {
                problem(line_, "the channel has " + std::to_string(k) + " of its " +
                                   std::to_string(count) + " keys");
            }
            haveBehaviors = true;
            break;
        }
        if (count < 0 && (words.empty() || words[0] != "Key")) {
            haveBehaviors = true;  // take this line as the behaviours, as it stands
            break;
        }
        readKey(words, channel, limitReported);
    }
    if (!haveBehaviors && !blockLine(line, words)) return false;
    int32_t pre = 0, post = 0;
    if (words.size() < 3 || words[0] != "Behaviors" || !parseInt(words[1], pre) ||
        !parseInt(words[2], post)) {
        problem(line_, "expected Behaviors and two numbers; the channel holds its end values");
    } else {
        channel.pre = pre;
        channel.post = post;
    }
    // The closing brace.
    return blockLine(line, words);
}

void SceneReader::readKey(const std::vector<std::string>& words, EnvelopeChannel& channel,
                          bool& limitReported) {
    EnvelopeKey key;
    bool ok = words.size() >= 10 && words[0] == "Key" && parseFloat(words[1], key.value) &&
              parseFloat(words[2], key.time) && parseInt(words[3], key.shape);
    for (int p = 0; ok && p < 6; ++p) ok = parseFloat(words[4 + p], key.p[p]);
    if (!ok) {
        problem(line_, "expected Key and nine numbers; the key is left out");
        return;
    }
    if (key.shape < kShapeTCB || key.shape > kShapeBezier2D) {
        problem(line_, "key shape " + words[3] + " is not one of 0 to 5; the span to it reads 0");
    }
    if (!channel.keys.empty() && !(key.time > channel.keys.back().time)) {
        problem(line_, "key time does not come after the key before it; the key is left out");
    } else if (channel.keys.size() >= size_t(Scene::kMaxKeys)) {
        if (!limitReported) {
            problem(line_, "more than " + std::to_string(Scene::kMaxKeys) +
                               " keys in one channel; the rest are left out");
        }
        limitReported = true;
    } else {
        channel.keys.push_back(key);
    }
}

void SceneReader::finish() {
    applyPathAlignments();
    for (const SceneItem& item : scene_.items) {
        if (item.envelope < 0) {
            problem(item.line, "item '" + item.name +
                                   "' has no motion block; it stays at its "
                                   "parent's origin");
        }
    }
    for (const Exclusion& e : exclusions_) {
        if (e.light >= scene_.lights.size()) {
            problem(e.line, "ExcludeLight names light " + std::to_string(e.light) +
                                " but the scene has " + std::to_string(scene_.lights.size()) +
                                " lights; ignored");
            scene_.items[e.item].excludedLights &= ~(uint64_t(1) << e.light);
        }
    }
    if (scene_.cameras.empty()) problem("no camera; the scene is drawn from the caller's view");

    buildTree(0, 0);
    reportUnplaced();
}

// Attaches every item whose parent is the node's item, in item order, each below its own
// children. Item ids are unique, so what hangs from the root is a tree; the depth limit keeps
// it within OpenGL's matrix stack.
void SceneReader::buildTree(int node, int depth) {
    const int nodeItem = scene_.nodes[node].item;
    const uint32_t id = nodeItem < 0 ? Scene::kRootId : scene_.items[nodeItem].id;
    for (SceneItem& item : scene_.items) {
        if (item.parentId != id || item.inTree) continue;
        if (depth >= Scene::kMaxDepth) {
            problem(item.parentLine, "item '" + item.name + "' is nested more than " +
                                         std::to_string(Scene::kMaxDepth) +
                                         " levels deep; it and its children are not drawn");
            continue;
        }
        item.inTree = true;
        const int child = int(scene_.nodes.size());
        scene_.nodes.push_back(SceneNode());
        scene_.nodes[child].item = int(item.index);
        scene_.nodes[node].children.push_back(child);
        buildTree(child, depth + 1);
    }
}

void SceneReader::reportUnplaced() {
    auto find = [&](uint32_t id) -> const SceneItem* {
        for (const SceneItem& item : scene_.items)
            if (item.id == id) return &item;
        return nullptr;
    };
    for (const SceneItem& item : scene_.items) {
        if (item.inTree) continue;
        const SceneItem* parent = find(item.parentId);
        if (!parent) {
            problem(item.parentLine, "ParentItem " + hexId(item.parentId) + " names no item; '" +
                                         item.name + "' and its children are not drawn");
            continue;
        }
        // Is the item its own ancestor? Items below a cycle are told of through it.
        const SceneItem* up = parent;
        for (size_t steps = 0; up && up != &item && steps < scene_.items.size(); ++steps)
            up = find(up->parentId);
        if (up == &item) {
            problem(item.parentLine, "ParentItem makes '" + item.name +
                                         "' its own ancestor; it and its children are not drawn");
        }
    }
    for (int index : scene_.lights) {
        const SceneItem& light = scene_.items[index];
        if (!light.inTree)
            problem(light.line, "light '" + light.name +
                                    "' is outside the parent tree; it lights "
                                    "nothing");
    }
}

}  // namespace

void Scene::clear() {
    *this = Scene();
}

void Scene::read(const char* sceneName, const char* text, size_t size,
                 std::vector<std::string>* problems) {
    clear();
    name = sceneName ? sceneName : "";
    SceneReader(*this, text, size, problems).run();
}
