#include "texture/asset_names.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "archive/archive.h"
#include "platform/platform.h"

namespace {

// Lower-case copy; false when the name does not fit.
bool lowerCaseCopy(const char* name, char (&out)[AssetNames::kNameSize]) {
    size_t i = 0;
    for (; name[i]; ++i) {
        if (i + 1 >= sizeof out) return false;
        out[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    }
    out[i] = '\0';
    return true;
}

}  // namespace

int AssetNames::find(const char* name) const {
    char key[kNameSize];
    if (!name || !lowerCaseCopy(name, key)) return -1;
    for (int i = 0; i < count_; ++i) {
        if (std::strcmp(names_[i], key) == 0) return i;
    }
    return -1;
}

bool AssetNames::firstReport(const char* name) const {
    std::string key = name ? name : "";
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return reported_.insert(key).second;
}

bool AssetNames::claim(const char* name) {
    if (!name) return false;
    char text[64];
    firstReport(name);  // whatever happens below is the one report of this name
    if (full()) {
        std::snprintf(text, sizeof text, "Too many %ss: %%s was not loaded", kind_);
        platform::showMessageWith(text, name);
        return false;
    }
    if (!lowerCaseCopy(name, names_[count_])) {
        names_[count_][0] = '\0';
        std::snprintf(text, sizeof text, "The %s name is too long: %%s was not loaded", kind_);
        platform::showMessageWith(text, name);
        return false;
    }
    return true;
}

void AssetNames::reportFull(const char* name) const {
    char text[96];
    std::snprintf(text, sizeof text, "Too many %ss: %%s and the entries after it were not loaded",
                  kind_);
    platform::showMessageWith(text, name);
}

int AssetNames::loadDirectory(const char* directory, const char* ending,
                              const std::function<bool(const char*)>& load, double& listSeconds) {
    char prefix[AssetNames::kNameSize + 2];
    std::snprintf(prefix, sizeof prefix, "%s\\", directory);
    const size_t prefixLength = std::strlen(prefix);

    ArchiveEntryInfo* entries = nullptr;
    const int64_t start = platform::counter();
    Archive::listEntries(Archive::dataPath(), &entries);
    listSeconds += platform::secondsSince(start);

    int loaded = 0;
    for (const ArchiveEntryInfo* e = entries; e; e = e->next) {
        if (std::strncmp(e->name, prefix, prefixLength) != 0) continue;
        if (ending && !Archive::nameEndsWith(e->name, ending)) continue;
        if (full()) {
            reportFull(e->name);
            break;
        }
        if (load(e->name)) ++loaded;
    }
    Archive::freeEntryList(entries);
    return loaded;
}
