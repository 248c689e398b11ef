// generator.h - writes the assets into a directory tree and draws the overview sheets.
#pragma once

#include <string>
#include <vector>

#include "tools/assetgen/catalog.h"

struct GenerateOptions {
    std::string fontDir;            // the DejaVu faces
    std::string outDir;             // "" = write no assets
    std::string textureSheet;       // "" = none
    std::string objectSheet;        // "" = none
    std::vector<std::string> only;  // stored names; empty = all
    bool verbose = false;
};

// Pictures are made on several threads (each with its own FreeType faces) and written in
// catalogue order, so the output does not depend on the thread count. False after a message
// on stderr naming the asset that failed.
bool generate(const TextSources& texts, const GenerateOptions& options);

// Writes bytes to a file, creating its directory; false with a message on failure.
bool writeFile(const std::string& path, const void* data, size_t size);
