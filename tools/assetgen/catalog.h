// catalog.h - every asset of the production: its stored name in data.rar, what it is, and
// the function that makes it.
#pragma once

#include <string>
#include <vector>

#include "tools/assetgen/font.h"
#include "tools/assetgen/image.h"
#include "tools/assetgen/image_io.h"
#include "tools/assetgen/lwo2_model.h"

// The texts the pictures set, read from the sources folder.
struct TextSources {
    std::string title;
    std::vector<std::string> credits;    // lines; "# " starts a heading
    std::vector<std::string> greetings;  // one strip each
};

struct AssetContext {
    const Fonts& fonts;
    const TextSources& texts;
};

struct TextureAsset {
    std::string storedName;  // e.g. "textures\\greet.png"
    int width, height;
    PixelFormat format;
    std::string description;
    Image (*make)(const AssetContext&);
};

struct ObjectAsset {
    std::string storedName;  // e.g. "lwos\\cube.lwo"
    std::string description;
    LwoObject (*make)();
    std::string previewTexture;  // the sphere map it wears on screen ("" = lit)
    float previewPitch = 0.45f;  // radians, tipping the object towards the viewer in previews
};

struct SceneAsset {
    std::string storedName;
    std::string description;
    std::string (*make)();
};

// The families, one module each.
std::vector<TextureAsset> environmentMapAssets();
std::vector<TextureAsset> spriteAssets();
std::vector<TextureAsset> typographyAssets();
std::vector<TextureAsset> backdropAssets();
std::vector<ObjectAsset> objectAssets();
std::vector<SceneAsset> sceneAssets();

// All textures, all objects, all scenes, in archive order.
std::vector<TextureAsset> allTextures();
std::vector<ObjectAsset> allObjects();
std::vector<SceneAsset> allScenes();

// The settings dialog's splash picture: 256 x 256, stored as "splash.png".
TextureAsset splashAsset();
// The program's icon at size x size pixels, transparent around the emblem.
Image makeIcon(int size);

// Reads title.txt, credits.txt and greetings.txt from the sources folder.
bool loadTextSources(const std::string& directory, TextSources& out);

// The stored name as a relative path of the output tree ('\' becomes '/').
std::string outputPath(const std::string& storedName);
