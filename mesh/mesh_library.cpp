#include "mesh/mesh_library.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "archive/archive.h"
#include "platform/platform.h"

MeshLibrary g_meshLibrary;

namespace {

// Lower-case copy into a slot-sized buffer; false when the name does not fit.
bool lowerCaseCopy(const char* name, char (&out)[MeshLibrary::kNameSize]) {
    size_t i = 0;
    for (; name[i]; ++i) {
        if (i + 1 >= sizeof out) return false;
        out[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    }
    out[i] = '\0';
    return true;
}

bool endsWithLwo(const char* name) {
    const size_t length = std::strlen(name);
    return length >= 3 && std::strcmp(name + length - 3, "lwo") == 0;
}

double secondsSince(int64_t start) {
    return double(platform::counter() - start) / double(platform::counterFrequency());
}

void report(const char* format, const char* name) {
    char text[400];
    std::snprintf(text, sizeof text, format, name);
    platform::showMessage(text);
}

}  // namespace

int MeshLibrary::slotOf(const char* name) const {
    char key[kNameSize];
    if (!name || !lowerCaseCopy(name, key)) return -1;
    for (int i = 0; i < count_; ++i) {
        if (std::strcmp(names_[i], key) == 0) return i;
    }
    return -1;
}

Mesh* MeshLibrary::find(const char* name) const {
    const int slot = slotOf(name);
    return slot < 0 ? nullptr : meshes_[slot].get();
}

bool MeshLibrary::claimSlot(const char* name, bool& ignored) {
    ignored = !name || !endsWithLwo(name);
    if (ignored) return false;
    if (count_ >= kSlots) {
        report("Too many objects: %s was not loaded", name);
        return false;
    }
    if (!lowerCaseCopy(name, names_[count_])) {
        report("Object name too long: %s was not loaded", name);
        names_[count_][0] = '\0';
        return false;
    }
    return true;
}

bool MeshLibrary::loadFromMemory(const char* name, const uint8_t* data, size_t size) {
    bool ignored;
    if (!claimSlot(name, ignored)) return false;
    auto mesh = std::make_unique<Mesh>();
    const int64_t start = platform::counter();
    const bool loaded = mesh->loadFromMemory(names_[count_], data, size);
    buildSeconds += secondsSince(start);
    if (!loaded) {
        names_[count_][0] = '\0';
        return false;
    }
    meshes_[count_++] = std::move(mesh);
    return true;
}

bool MeshLibrary::load(const char* name) {
    bool ignored;
    if (!claimSlot(name, ignored)) return false;
    const int64_t start = platform::counter();
    size_t size = 0;
    unsigned char* data = Archive::loadEntry(&size, name);
    archiveSeconds += secondsSince(start);
    if (!data) {
        report("Object could not be read: %s", name);
        names_[count_][0] = '\0';
        return false;
    }
    const bool loaded = loadFromMemory(name, data, size);
    std::free(data);
    return loaded;
}

int MeshLibrary::loadDirectory(const char* directory) {
    char prefix[kNameSize + 2];
    std::snprintf(prefix, sizeof prefix, "%s\\", directory);
    const size_t prefixLength = std::strlen(prefix);

    ArchiveEntryInfo* entries = nullptr;
    const int64_t start = platform::counter();
    Archive::listEntries(Archive::dataPath(), &entries);
    archiveSeconds += secondsSince(start);

    int loaded = 0;
    for (const ArchiveEntryInfo* e = entries; e; e = e->next) {
        // Case-sensitive, before any change of case.
        if (std::strncmp(e->name, prefix, prefixLength) != 0 || !endsWithLwo(e->name)) continue;
        if (count_ >= kSlots) {
            report("Too many objects: %s and the objects after it were not loaded", e->name);
            break;
        }
        if (load(e->name)) ++loaded;
    }
    Archive::freeEntryList(entries);
    return loaded;
}

void MeshLibrary::draw(const char* name, int layer, bool immediate, bool material) {
    const int slot = slotOf(name);
    if (slot < 0) {
        char key[kNameSize];
        report("Object was not found: %s\n", name && lowerCaseCopy(name, key) ? key : name);
        return;
    }
    meshes_[slot]->draw(layer, immediate, material);
}
