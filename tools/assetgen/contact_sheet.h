// contact_sheet.h - overview pictures: every texture with its name, every object rendered.
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
