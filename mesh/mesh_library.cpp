#include "mesh/mesh_library.h"

#include <cctype>
#include <cstdlib>
#include <string>

#include "archive/archive.h"
#include "platform/platform.h"

MeshLibrary g_meshLibrary;

Mesh* MeshLibrary::find(const char* name) const {
    const int slot = names_.find(name);
    return slot < 0 ? nullptr : meshes_[slot].get();
}

bool MeshLibrary::loadFromMemory(const char* name, const uint8_t* data, size_t size) {
    if (!name || !Archive::nameEndsWith(name, "lwo") || !names_.claim(name)) return false;
    auto mesh = std::make_unique<Mesh>();
    const int64_t start = platform::counter();
    const bool loaded = mesh->loadFromMemory(names_.claimed(), data, size);
    buildSeconds += platform::secondsSince(start);
    if (!loaded) return false;
    meshes_[names_.count()] = std::move(mesh);
    names_.commit();
    return true;
}

namespace {

std::string lowerCase(const char* name) {
    std::string lower = name ? name : "";
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

}  // namespace

bool MeshLibrary::load(const char* name) {
    if (!name || !Archive::nameEndsWith(name, "lwo") || !names_.claim(name)) return false;
    const int64_t start = platform::counter();
    size_t size = 0;
    unsigned char* data = Mesh::readEntry(name, &size);
    archiveSeconds += platform::secondsSince(start);
    const bool loaded = data && loadFromMemory(name, data, size);
    std::free(data);
    if (!loaded) refused_.insert(lowerCase(name));
    return loaded;
}

bool MeshLibrary::refused(const char* name) const {
    return refused_.count(lowerCase(name)) > 0;
}

int MeshLibrary::loadDirectory(const char* directory) {
    return names_.loadDirectory(
        directory, "lwo", [this](const char* name) { return load(name); }, archiveSeconds);
}

void MeshLibrary::draw(const char* name, int layer, bool immediate, bool material) {
    if (observer_) observer_(observerUser_, name, layer);
    const int slot = names_.find(name);
    if (slot < 0) {
        // Once per name, and not at all for an object refused at load, which said why then.
        if (!names_.firstReport(name)) return;
        platform::showMessageWith("Object was not found: %s\n", lowerCase(name).c_str());
        return;
    }
    meshes_[slot]->draw(layer, immediate, material);
}
