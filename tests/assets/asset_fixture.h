// asset_fixture.h - the generated pictures, made once per test binary.
#pragma once

#include <string>

#include "tools/assetgen/catalog.h"

// The picture of a stored name (or "splash.png"), made with the DejaVu fonts and the texts
// of the source folder. Fails the calling test when the sources cannot be read.
const Image& picture(const std::string& storedName);
