#include "tools/assetgen/generator.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "mesh/mesh.h"
#include "tools/assetgen/contact_sheet.h"
#include "tools/assetgen/lwo2_writer.h"

namespace {

bool wanted(const GenerateOptions& o, const std::string& name) {
    return o.only.empty() || std::find(o.only.begin(), o.only.end(), name) != o.only.end();
}

bool makeParent(const std::string& path) {
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    if (ec)
        std::fprintf(stderr, "assetgen: cannot create %s: %s\n", parent.c_str(),
                     ec.message().c_str());
    return !ec;
}

// An object goes into the archive only when the program's own reader takes it.
bool programReads(const std::string& storedName, const std::vector<uint8_t>& bytes) {
    Mesh mesh;
    std::string problem;
    const LwoStatus status = mesh.read(bytes.data(), bytes.size(), &problem);
    if (status == LwoStatus::Ok) return true;
    if (const char* message = fatalMessage(status)) problem = message;
    std::fprintf(stderr, "assetgen: %s: the program's reader refuses it: %s\n", storedName.c_str(),
                 problem.empty() ? "not an IFF FORM" : problem.c_str());
    return false;
}

bool checkSize(const TextureAsset& t, const Image& img) {
    if (img.width() == t.width && img.height() == t.height) return true;
    std::fprintf(stderr, "assetgen: %s came out %dx%d instead of %dx%d\n", t.storedName.c_str(),
                 img.width(), img.height(), t.width, t.height);
    return false;
}

// Makes the pictures on a few worker threads, each with its own faces (FreeType faces are
// not to be shared between threads).
bool makePictures(const TextSources& texts, const std::string& fontDir,
                  const std::vector<TextureAsset>& assets, std::vector<Image>& out) {
    out.assign(assets.size(), Image());
    std::vector<char> done(assets.size(), 0);
    size_t next = 0;
    bool fontsOk = true;
    std::mutex lock;
    auto work = [&]() {
        Fonts fonts;
        bool opened = fonts.open(fontDir);
        AssetContext ctx{fonts, texts};
        for (;;) {
            size_t i;
            {
                std::lock_guard<std::mutex> g(lock);
                if (!opened) fontsOk = false;
                if (!opened || next >= assets.size()) return;
                i = next++;
            }
            out[i] = assets[i].make(ctx);
            done[i] = 1;
        }
    };
    unsigned threads = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
    if (!fontsOk) return false;
    for (size_t i = 0; i < assets.size(); ++i)
        if (!done[i] || !checkSize(assets[i], out[i])) return false;
    return true;
}

}  // namespace

bool writeFile(const std::string& path, const void* data, size_t size) {
    if (!makeParent(path)) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(data, 1, size, f) == size;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    return ok;
}

bool knownName(const std::string& name) {
    for (const TextureAsset& t : allTextures())
        if (t.storedName == name) return true;
    for (const ObjectAsset& a : allObjects())
        if (a.storedName == name) return true;
    for (const SceneAsset& s : allScenes())
        if (s.storedName == name) return true;
    return name == splashAsset().storedName;
}

bool generate(const TextSources& texts, const GenerateOptions& o) {
    for (const std::string& name : o.only)
        if (!knownName(name)) {
            std::fprintf(stderr, "assetgen: no asset is stored as %s (see --list)\n", name.c_str());
            return false;
        }
    bool writing = !o.outDir.empty();
    bool sheets = !o.textureSheet.empty() || !o.objectSheet.empty();
    std::vector<std::pair<std::string, Image>> pictures;
    std::map<std::string, Image> sphereMaps;

    std::vector<TextureAsset> textures;
    for (const TextureAsset& t : allTextures())
        if (wanted(o, t.storedName) || sheets) textures.push_back(t);
    if (wanted(o, splashAsset().storedName)) textures.push_back(splashAsset());
    std::vector<Image> made;
    if (!makePictures(texts, o.fontDir, textures, made)) return false;
    for (size_t i = 0; i < textures.size(); ++i) {
        const TextureAsset& t = textures[i];
        const Image& img = made[i];
        if (writing && wanted(o, t.storedName)) {
            std::string path = o.outDir + "/" + outputPath(t.storedName);
            if (!makeParent(path) || !saveImage(img, path, t.format)) return false;
            if (o.verbose) std::printf("%s\n", t.storedName.c_str());
        }
        sphereMaps[t.storedName] = img;
        pictures.emplace_back(t.storedName, img);
    }

    std::vector<std::pair<ObjectAsset, LwoObject>> objects;
    for (const ObjectAsset& a : allObjects()) {
        if (!wanted(o, a.storedName) && !sheets) continue;
        LwoObject obj = a.make();
        std::string error;
        std::vector<uint8_t> bytes = writeLwo2(obj, &error);
        if (bytes.empty()) {
            std::fprintf(stderr, "assetgen: %s: %s\n", a.storedName.c_str(), error.c_str());
            return false;
        }
        if (!programReads(a.storedName, bytes)) return false;
        if (writing && wanted(o, a.storedName)) {
            if (!writeFile(o.outDir + "/" + outputPath(a.storedName), bytes.data(), bytes.size()))
                return false;
            if (o.verbose) std::printf("%s\n", a.storedName.c_str());
        }
        objects.emplace_back(a, obj);
    }

    for (const SceneAsset& s : allScenes()) {
        if (!writing || !wanted(o, s.storedName)) continue;
        std::string text = s.make();
        if (!writeFile(o.outDir + "/" + outputPath(s.storedName), text.data(), text.size()))
            return false;
        if (o.verbose) std::printf("%s\n", s.storedName.c_str());
    }

    if (sheets) {
        Fonts fonts;
        if (!fonts.open(o.fontDir)) return false;
        if (!o.textureSheet.empty() &&
            (!makeParent(o.textureSheet) ||
             !saveImage(textureContactSheet(fonts, pictures), o.textureSheet, PixelFormat::Rgb)))
            return false;
        if (!o.objectSheet.empty() && (!makeParent(o.objectSheet) ||
                                       !saveImage(objectContactSheet(fonts, objects, sphereMaps),
                                                  o.objectSheet, PixelFormat::Rgb)))
            return false;
    }
    return true;
}
