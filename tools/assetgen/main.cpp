// assetgen - makes the production's artwork from source: textures, objects and scenes under
// their stored names, ready to be packed into data.rar.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/assetgen/generator.h"

namespace {

const char* kUsage =
    "usage: assetgen --out DIR [options]\n"
    "       assetgen --contact-sheet FILE.png [--objects-sheet FILE.png] [options]\n"
    "       assetgen --icon SIZE FILE.png\n"
    "\n"
    "Writes every texture, object and scene of the production under its stored name\n"
    "(textures\\x.jpg becomes DIR/textures/x.jpg) and the settings dialog's splash.png.\n"
    "The same sources always give the same bytes.\n"
    "\n"
    "options:\n"
    "  --out DIR                 directory to write the assets into\n"
    "  --sources DIR             the texts the pictures set (default: " PALISADE_ARTWORK_SOURCES
    ")\n"
    "  --fonts DIR               the DejaVu fonts (default: " PALISADE_FONT_DIR
    ")\n"
    "  --contact-sheet FILE.png  draw every texture with its name onto one sheet\n"
    "  --objects-sheet FILE.png  draw a preview of every object onto one sheet\n"
    "  --only NAME               make only this stored name (may be repeated)\n"
    "  --list                    print every stored name with what it is, and stop\n"
    "  --icon SIZE FILE.png      draw the program's icon, SIZE x SIZE pixels (16 to 1024),\n"
    "                            and stop\n"
    "  --verbose                 print each name as it is written\n"
    "  --help                    show this text\n";

void list() {
    for (const TextureAsset& t : allTextures())
        std::printf("%s\t%dx%d\t%s\n", t.storedName.c_str(), t.width, t.height,
                    t.description.c_str());
    TextureAsset s = splashAsset();
    std::printf("%s\t%dx%d\t%s\n", s.storedName.c_str(), s.width, s.height, s.description.c_str());
    for (const ObjectAsset& o : allObjects())
        std::printf("%s\t\t%s\n", o.storedName.c_str(), o.description.c_str());
    for (const SceneAsset& s2 : allScenes())
        std::printf("%s\t\t%s\n", s2.storedName.c_str(), s2.description.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    GenerateOptions options;
    std::string sources = PALISADE_ARTWORK_SOURCES, fontDir = PALISADE_FONT_DIR;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "assetgen: %s needs a value\n%s", a.c_str(), kUsage);
                return false;
            }
            into = argv[++i];
            return true;
        };
        std::string only;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--list") {
            list();
            return 0;
        } else if (a == "--icon") {
            if (i + 2 >= argc) {
                std::fprintf(stderr, "assetgen: --icon needs a size and a file\n%s", kUsage);
                return 2;
            }
            char* end = nullptr;
            const long size = std::strtol(argv[i + 1], &end, 10);
            if (*end != '\0' || size < 16 || size > 1024) {
                std::fprintf(stderr, "assetgen: --icon: the size is 16 to 1024, not %s\n",
                             argv[i + 1]);
                return 2;
            }
            // saveImage says what failed.
            return saveImage(makeIcon(static_cast<int>(size)), argv[i + 2], PixelFormat::Rgba) ? 0
                                                                                               : 1;
        } else if (a == "--verbose") {
            options.verbose = true;
        } else if (a == "--out") {
            if (!value(options.outDir)) return 2;
        } else if (a == "--sources") {
            if (!value(sources)) return 2;
        } else if (a == "--fonts") {
            if (!value(fontDir)) return 2;
        } else if (a == "--contact-sheet") {
            if (!value(options.textureSheet)) return 2;
        } else if (a == "--objects-sheet") {
            if (!value(options.objectSheet)) return 2;
        } else if (a == "--only") {
            if (!value(only)) return 2;
            options.only.push_back(only);
        } else {
            std::fprintf(stderr, "assetgen: unknown option %s\n%s", a.c_str(), kUsage);
            return 2;
        }
    }
    if (options.outDir.empty() && options.textureSheet.empty() && options.objectSheet.empty()) {
        std::fprintf(stderr, "assetgen: nothing to do\n%s", kUsage);
        return 2;
    }
    TextSources texts;
    if (!loadTextSources(sources, texts)) {
        std::fprintf(stderr,
                     "assetgen: cannot read title.txt, credits.txt and greetings.txt in %s\n",
                     sources.c_str());
        return 1;
    }
    options.fontDir = fontDir;
    return generate(texts, options) ? 0 : 1;
}
