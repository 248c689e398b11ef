// contact_sheet.h - overview pictures: every texture with its name, every object rendered,
// captured frames side by side.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/assetgen/catalog.h"

// textures: stored name -> picture, in the order given.
Image textureContactSheet(const Fonts& fonts,
                          const std::vector<std::pair<std::string, Image>>& textures);
// objects: stored name -> object; sphereMaps: stored texture name -> picture.
Image objectContactSheet(const Fonts& fonts,
                         const std::vector<std::pair<ObjectAsset, LwoObject>>& objects,
                         const std::map<std::string, Image>& sphereMaps);
// Captured frames, each shown at 320 x 240 in rows of four with its label and caption.
struct SheetFrame {
    std::string label, caption;
    Image picture;
};
Image frameContactSheet(const Fonts& fonts, const std::vector<SheetFrame>& frames,
                        const std::string& heading);
