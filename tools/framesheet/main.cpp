// framesheet - tiles captured frames (palisade --capture) into one labelled picture, in the
// house style of the artwork's contact sheets.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tools/assetgen/contact_sheet.h"
#include "tools/assetgen/image_io.h"

namespace {

const char* kUsage =
    "usage: framesheet [--heading TEXT] [--fonts DIR] OUT.png LABEL=FRAME.png[=CAPTION]...\n"
    "\n"
    "Shows each frame at 320 x 240, four to a row, with its label and a caption (by default\n"
    "its size) underneath, and writes the sheet to OUT.png.\n"
    "\n"
    "  --heading TEXT   the line over the frames (default: VEXIL PALISADE 2.0 \xc2\xb7 FRAMES)\n"
    "  --fonts DIR      the DejaVu fonts (default: " PALISADE_FONT_DIR
    ")\n"
    "  --help           show this text\n"
    "\n"
    "Exit status: 0 written, 1 a frame could not be read or the sheet not written,\n"
    "2 wrong arguments.\n";

int usageError(const std::string& why) {
    std::fprintf(stderr, "framesheet: %s\n%s", why.c_str(), kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    g_toolName = "framesheet";
    std::string heading = "VEXIL PALISADE 2.0  \xc2\xb7  FRAMES", fontDir = PALISADE_FONT_DIR, out;
    struct Wanted {
        std::string label, file, caption;
    };
    std::vector<Wanted> wanted;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--heading" || a == "--fonts") {
            if (i + 1 >= argc) return usageError(a + " needs a value");
            (a == "--heading" ? heading : fontDir) = argv[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            return usageError("unknown option " + a);
        } else if (out.empty()) {
            out = a;
        } else {
            const size_t equals = a.find('=');
            const size_t second = equals == std::string::npos ? equals : a.find('=', equals + 1);
            const std::string file = a.substr(equals + 1, second - equals - 1);
            if (equals == std::string::npos || equals == 0 || file.empty())
                return usageError("'" + a + "' is not LABEL=FRAME.png[=CAPTION]");
            wanted.push_back({a.substr(0, equals), file,
                              second == std::string::npos ? "" : a.substr(second + 1)});
        }
    }
    if (out.empty() || wanted.empty()) return usageError("give OUT.png and at least one frame");

    std::vector<SheetFrame> frames;
    for (const Wanted& w : wanted) {
        Image frame(1, 1);
        if (!loadImage(w.file, frame)) {
            std::fprintf(stderr, "framesheet: cannot read %s\n", w.file.c_str());
            return 1;
        }
        const std::string size =
            std::to_string(frame.width()) + " x " + std::to_string(frame.height());
        frames.push_back({w.label, w.caption.empty() ? size : w.caption, std::move(frame)});
    }
    Fonts fonts;
    if (!fonts.open(fontDir)) return 1;
    return saveImage(frameContactSheet(fonts, frames, heading), out, PixelFormat::Rgb) ? 0 : 1;
}
