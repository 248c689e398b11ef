// mesh_library.h - the production's meshes by name.
//
// One global table of up to 128 meshes under their lower-case archive names
// ("lwos\\cube.lwo"), filled once at start-up and only read afterwards. Effects draw a mesh by
// name under their own OpenGL state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "mesh/mesh.h"

class MeshLibrary {
  public:
    static constexpr int kSlots = 128;
    static constexpr int kNameSize = 128;  // including the terminating zero

    // The mesh stored under the name (letter case ignored), or null. Shows nothing.
    Mesh* find(const char* name) const;

    // Loads an archive entry whose name ends in "lwo" (as stored: the ending is tested before
    // the name is turned into lower case); other names are ignored. False when it was ignored
    // or not loaded; a message has then said why, except for an ignored name.
    bool load(const char* name);
    // The same with the entry's bytes in hand.
    bool loadFromMemory(const char* name, const uint8_t* data, size_t size);
    // Loads every entry of the data archive whose stored name starts with directory + "\",
    // in archive order. Returns how many were loaded. Stops with a message when the table
    // is full.
    int loadDirectory(const char* directory);

    // Draws a layer (or Mesh::kAllLayers) of the named mesh; an unknown name shows "Object was
    // not found: <name>" and draws nothing.
    void draw(const char* name, int layer, bool immediate = false, bool material = false);

    int count() const { return count_; }
    const char* name(int slot) const { return names_[slot]; }
    Mesh* mesh(int slot) const { return meshes_[slot].get(); }

    // Time spent so far reading entries and turning them into meshes, in seconds.
    double archiveSeconds = 0.0;
    double buildSeconds = 0.0;

  private:
    int slotOf(const char* name) const;
    // Checks the ending, the room and the name's length; fills the slot's name when they fit.
    bool claimSlot(const char* name, bool& ignored);

    int count_ = 0;
    std::unique_ptr<Mesh> meshes_[kSlots];
    char names_[kSlots][kNameSize] = {};
};

extern MeshLibrary g_meshLibrary;
