// mesh_library.h - the production's meshes by name.
//
// One global table of up to 128 meshes under their lower-case archive names
// ("lwos\\cube.lwo"), filled once at start-up and only read afterwards. Effects draw a mesh by
// name under their own OpenGL state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "mesh/mesh.h"
#include "texture/asset_names.h"

class MeshLibrary {
  public:
    static constexpr int kSlots = AssetNames::kSlots;

    // The mesh stored under the name (letter case ignored), or null. Shows nothing.
    Mesh* find(const char* name) const;

    // Loads an entry of the data archive whose name ends in "lwo" (as given: the ending is
    // tested before the name is turned into lower case); other names are ignored. An entry
    // that cannot be read or a refused object is reported and takes no slot, as is a full
    // table or a name of 128 characters or more.
    bool load(const char* name);
    // The same with the entry's bytes in hand.
    bool loadFromMemory(const char* name, const uint8_t* data, size_t size);
    // Loads every entry of the data archive whose stored name starts with directory + "\" and
    // ends in "lwo", in archive order. Returns how many were loaded.
    int loadDirectory(const char* directory);

    // Draws a layer (or Mesh::kAllLayers) of the named mesh; an unknown name shows "Object was
    // not found: <name in lower case>" once and draws nothing (an object refused at load,
    // which was reported then, draws nothing silently).
    void draw(const char* name, int layer, bool immediate = false, bool material = false);

    // Called at the start of every draw with the name and layer asked for, found or not:
    // tests and tools see what the parts draw, and under which OpenGL state. Null: none.
    using DrawObserver = void (*)(void* user, const char* name, int layer);
    void setDrawObserver(DrawObserver observer, void* user) {
        observer_ = observer;
        observerUser_ = user;
    }

    // Whether load() was asked for this entry (letter case ignored) and refused it, having
    // reported why: whoever loads the same entry for itself need not say so again.
    bool refused(const char* name) const;

    int count() const { return names_.count(); }
    const char* name(int slot) const { return names_.name(slot); }
    Mesh* mesh(int slot) const { return meshes_[slot].get(); }

    // Time spent so far reading the archive and turning entries into meshes, in seconds.
    double archiveSeconds = 0.0;
    double buildSeconds = 0.0;

  private:
    AssetNames names_{"object"};
    std::unique_ptr<Mesh> meshes_[kSlots];
    std::set<std::string> refused_;
    DrawObserver observer_ = nullptr;
    void* observerUser_ = nullptr;
};

extern MeshLibrary g_meshLibrary;
