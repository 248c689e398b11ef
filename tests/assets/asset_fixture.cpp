#include "tests/assets/asset_fixture.h"

#include <gtest/gtest.h>

#include <map>

namespace {

struct Pictures {
    Fonts fonts;
    TextSources texts;
    bool ok = false;
    std::map<std::string, Image> made;
};

Pictures& pictures() {
    static Pictures p;
    static bool opened = false;
    if (!opened) {
        opened = true;
        p.ok =
            p.fonts.open(PALISADE_FONT_DIR) && loadTextSources(PALISADE_ARTWORK_SOURCES, p.texts);
    }
    return p;
}

}  // namespace

const Image& picture(const std::string& name) {
    static const Image empty;
    Pictures& p = pictures();
    EXPECT_TRUE(p.ok) << "fonts or texts missing";
    if (!p.ok) return empty;
    auto it = p.made.find(name);
    if (it != p.made.end()) return it->second;
    AssetContext ctx{p.fonts, p.texts};
    std::vector<TextureAsset> all = allTextures();
    all.push_back(splashAsset());
    for (const TextureAsset& t : all)
        if (t.storedName == name) return p.made[name] = t.make(ctx);
    ADD_FAILURE() << "no picture named " << name;
    return empty;
}
