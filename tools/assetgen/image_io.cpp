#include "tools/assetgen/image_io.h"

#include <IL/il.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

const char* g_toolName = "assetgen";

namespace {

void startDevil() {
    static bool started = false;
    if (started) return;
    ilInit();
    ilEnable(IL_FILE_OVERWRITE);
    // Decoded pictures come out top row first, the way the painters hold them.
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    started = true;
}

unsigned char quantise(float v) {
    return (unsigned char)std::lround(clamp01(v) * 255.0f);
}

bool endsWith(const std::string& path, const char* suffix) {
    size_t n = std::char_traits<char>::length(suffix);
    if (path.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower((unsigned char)path[path.size() - n + i]) != suffix[i]) return false;
    return true;
}

bool readBoundImage(Image& out) {
    if (!ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) return false;
    int w = ilGetInteger(IL_IMAGE_WIDTH), h = ilGetInteger(IL_IMAGE_HEIGHT);
    const unsigned char* p = ilGetData();
    if (!p || w <= 0 || h <= 0) return false;
    bool flip = ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT;
    out = Image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* s = p + (size_t(flip ? h - 1 - y : y) * w + x) * 4;
            out.at(x, y) = Color(s[0] / 255.0f, s[1] / 255.0f, s[2] / 255.0f, s[3] / 255.0f);
        }
    return true;
}

}  // namespace

bool saveImage(const Image& img, const std::string& path, PixelFormat format, int jpegQuality) {
    startDevil();
    bool jpeg = endsWith(path, ".jpg") || endsWith(path, ".jpeg");
    if (!jpeg && !endsWith(path, ".png")) {
        std::fprintf(stderr, "%s: %s: only .png and .jpg are written\n", g_toolName, path.c_str());
        return false;
    }
    int channels = (format == PixelFormat::Rgba && !jpeg) ? 4 : 3;
    std::vector<unsigned char> data(size_t(img.width()) * img.height() * channels);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const Color& c = img.at(x, y);
            unsigned char* d = &data[(size_t(y) * img.width() + x) * channels];
            d[0] = quantise(c.r), d[1] = quantise(c.g), d[2] = quantise(c.b);
            if (channels == 4) d[3] = quantise(c.a);
        }
    ILuint id;
    ilGenImages(1, &id);
    ilBindImage(id);
    bool ok = ilTexImage(img.width(), img.height(), 1, ILubyte(channels),
                         channels == 4 ? IL_RGBA : IL_RGB, IL_UNSIGNED_BYTE, data.data());
    if (ok) {
        ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
        if (jpeg) ilSetInteger(IL_JPG_QUALITY, jpegQuality);
        ok = ilSave(jpeg ? IL_JPG : IL_PNG, path.c_str());
    }
    ilDeleteImages(1, &id);
    if (!ok) std::fprintf(stderr, "%s: cannot write %s\n", g_toolName, path.c_str());
    return ok;
}

bool loadImage(const std::string& path, Image& out) {
    startDevil();
    ILuint id;
    ilGenImages(1, &id);
    ilBindImage(id);
    bool ok = ilLoadImage(path.c_str()) && readBoundImage(out);
    ilDeleteImages(1, &id);
    return ok;
}

bool loadImageFromMemory(const void* data, size_t size, Image& out) {
    startDevil();
    ILuint id;
    ilGenImages(1, &id);
    ilBindImage(id);
    bool ok = ilLoadL(IL_TYPE_UNKNOWN, data, ILuint(size)) && readBoundImage(out);
    ilDeleteImages(1, &id);
    return ok;
}
