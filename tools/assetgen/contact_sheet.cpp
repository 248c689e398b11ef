#include "tools/assetgen/contact_sheet.h"

#include <algorithm>
#include <cmath>

#include "tools/assetgen/object_preview.h"
#include "tools/assetgen/style.h"

namespace {

constexpr int kTile = 232, kLabel = 40, kGap = 16, kColumns = 6;

// Transparent parts show over a checkerboard.
void drawChecker(Image& sheet, int x0, int y0, int w, int h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool dark = ((x / 8) + (y / 8)) % 2;
            sheet.at(x0 + x, y0 + y) = dark ? Color::hex(0x3A3F52) : Color::hex(0x5A6075);
        }
}

void label(Image& sheet, const Fonts& fonts, const std::string& line1, const std::string& line2,
           int cx, int y, int width = kTile) {
    TextStyle s = houseSmallType(13);
    s.tracking = 0.02f;
    s = fitWidth(fonts, line1, s, float(width), 13);
    drawText(sheet, fonts.render(line1, s, 2), float(cx), float(y + 14), palette::bone,
             palette::bone);
    TextStyle t = houseSmallType(11);
    t.tracking = 0.04f;
    t = fitWidth(fonts, line2, t, float(width - 8), 11);
    drawText(sheet, fonts.render(line2, t, 2), float(cx), float(y + 31), palette::amber,
             palette::amber);
}

Image newSheet(const Fonts& fonts, int count, const std::string& heading) {
    int rows = (count + kColumns - 1) / kColumns;
    int width = kColumns * (kTile + kGap) + kGap;
    int height = 60 + rows * (kTile + kLabel + kGap) + kGap;
    Image sheet(width, height, palette::ink);
    drawText(sheet, fonts.render(heading, houseType(24), 2), width * 0.5f, 40, palette::bone,
             palette::amber);
    return sheet;
}

void tileOrigin(int i, int* x, int* y) {
    *x = kGap + (i % kColumns) * (kTile + kGap);
    *y = 60 + (i / kColumns) * (kTile + kLabel + kGap);
}

}  // namespace

Image textureContactSheet(const Fonts& fonts,
                          const std::vector<std::pair<std::string, Image>>& textures) {
    Image sheet = newSheet(fonts, int(textures.size()), "VEXIL PALISADE 2.0  \xc2\xb7  TEXTURES");
    for (size_t i = 0; i < textures.size(); ++i) {
        int x, y;
        tileOrigin(int(i), &x, &y);
        const Image& img = textures[i].second;
        float k = std::min(float(kTile) / img.width(), float(kTile) / img.height());
        int w = std::max(1, int(img.width() * k)), h = std::max(1, int(img.height() * k));
        int ox = x + (kTile - w) / 2, oy = y + (kTile - h) / 2;
        drawChecker(sheet, ox, oy, w, h);
        compositeImage(sheet, resample(img, w, h), ox, oy);
        std::string name = textures[i].first;
        label(sheet, fonts, name,
              std::to_string(img.width()) + " x " + std::to_string(img.height()), x + kTile / 2,
              y + kTile);
    }
    return sheet;
}

Image objectContactSheet(const Fonts& fonts,
                         const std::vector<std::pair<ObjectAsset, LwoObject>>& objects,
                         const std::map<std::string, Image>& sphereMaps) {
    int tiles = 0;
    for (const auto& o : objects) tiles += int(o.second.layers.size());
    Image sheet = newSheet(fonts, tiles, "VEXIL PALISADE 2.0  \xc2\xb7  OBJECTS");
    int i = 0;
    for (const auto& [asset, object] : objects) {
        auto env = sphereMaps.find(asset.previewTexture);
        for (size_t layer = 0; layer < object.layers.size(); ++layer, ++i) {
            int x, y;
            tileOrigin(i, &x, &y);
            PreviewView view;
            view.layer = int(layer);
            view.pitch = asset.previewPitch;
            compositeImage(
                sheet,
                renderObjectPreview(object, kTile, env == sphereMaps.end() ? nullptr : &env->second,
                                    view),
                x, y);
            const LwoLayer& l = object.layers[layer];
            std::string name = asset.storedName;
            if (object.layers.size() > 1) name += "  [layer " + std::to_string(layer) + "]";
            label(sheet, fonts, name,
                  std::to_string(l.points.size()) + " points, " +
                      std::to_string(l.triangles.size()) + " triangles",
                  x + kTile / 2, y + kTile);
        }
    }
    return sheet;
}

Image frameContactSheet(const Fonts& fonts, const std::vector<SheetFrame>& frames,
                        const std::string& heading) {
    constexpr int kFrameWidth = 320, kFrameHeight = 240, kFrameColumns = 4;
    const int count = int(frames.size());
    const int columns = std::max(1, std::min(kFrameColumns, count));
    const int rows = (count + columns - 1) / columns;
    const TextRun title = fonts.render(heading, houseType(24), 2);
    // As wide as the frames, or as the heading where one or two frames would cut it off; the
    // frames stand centred under it.
    const int framesWidth = columns * (kFrameWidth + kGap) + kGap;
    const int width = std::max(framesWidth, title.mask.width() + 4 * kGap);
    const int left = (width - framesWidth) / 2;
    Image sheet(width, 60 + rows * (kFrameHeight + kLabel + kGap) + kGap, palette::ink);
    drawText(sheet, title, width * 0.5f, 40, palette::bone, palette::amber);
    for (int i = 0; i < count; ++i) {
        const int x = left + kGap + (i % columns) * (kFrameWidth + kGap);
        const int y = 60 + (i / columns) * (kFrameHeight + kLabel + kGap);
        const SheetFrame& frame = frames[size_t(i)];
        compositeImage(sheet, resample(frame.picture, kFrameWidth, kFrameHeight), x, y);
        label(sheet, fonts, frame.label, frame.caption, x + kFrameWidth / 2, y + kFrameHeight,
              kFrameWidth);
    }
    return sheet;
}
