// asset_names.h - the name side of the program's asset tables (textures, objects).
//
// A fixed number of slots, each holding one lower-case archive entry name of at most
// kNameSize - 1 characters. Slots fill in load order and are never removed. Lookups ignore
// letter case and nothing else.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>

class AssetNames {
  public:
    static constexpr int kSlots = 128;
    static constexpr int kNameSize = 128;  // including the terminating zero

    // kind names the assets in messages, e.g. "texture".
    explicit AssetNames(const char* kind) : kind_(kind) {}

    // Slot of the name, or -1.
    int find(const char* name) const;
    // Takes the next slot's name if there is room and the name fits; otherwise shows why the
    // asset was not loaded and returns false. The slot counts only after commit().
    bool claim(const char* name);
    const char* claimed() const { return names_[count_]; }
    void commit() { ++count_; }
    // Shows that an asset and everything after it was left out because the table is full.
    void reportFull(const char* name) const;

    // Calls load with the stored name of every entry of the data archive that starts with
    // directory + "\" and, when ending is given, ends with it (both compared as stored), in
    // archive order. Stops with a message when the table is full. Returns how many loads
    // succeeded; the time spent listing the archive is added to listSeconds.
    int loadDirectory(const char* directory, const char* ending,
                      const std::function<bool(const char*)>& load, double& listSeconds);

    // True the first time a name (letter case ignored) is reported, false ever after: a
    // missing or refused asset is reported once, not on every frame that asks for it.
    bool firstReport(const char* name) const;

    bool full() const { return count_ >= kSlots; }
    int count() const { return count_; }
    const char* name(int slot) const { return names_[slot]; }

  private:
    const char* kind_;
    int count_ = 0;
    char names_[kSlots][kNameSize] = {};
    mutable std::set<std::string> reported_;
};
