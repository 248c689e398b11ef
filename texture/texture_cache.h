// texture_cache.h - the production's images as OpenGL textures, found by name.
//
// One global table of up to 128 images under their lower-case archive names
// ("textures\\greet.png"), filled once at start-up and only read afterwards. Every image is
// decoded with DevIL, converted to 8-bit RGBA and uploaded as a mipmapped 2D texture
// (magnification GL_LINEAR, minification GL_LINEAR_MIPMAP_NEAREST, repeat).
//
// Lookups ignore letter case but not separators: "textures/x.png" is not "textures\\x.png".
#pragma once

#include <cstddef>

#include "texture/asset_names.h"

class TextureCache {
  public:
    static constexpr int kSlots = AssetNames::kSlots;

    // Binds the named texture; an unknown name shows "Texture was not found: <name>" (once
    // per name) and leaves the binding as it was.
    void bind(const char* name) const;
    // The OpenGL texture name of the named image, 0 when there is none. Shows nothing.
    unsigned find(const char* name) const;
    // Binds the texture of a slot when 1 <= slot < count(); otherwise does nothing.
    void bindSlot(int slot) const;

    // Reads an entry of the data archive and loads it into the next slot. An entry that
    // cannot be read or does not decode is reported and still takes its slot, with a texture
    // that has no image. A full table or a name of 128 characters or more is reported and the
    // image is left out.
    bool load(const char* name);
    // The same with the entry's bytes in hand.
    bool loadFromMemory(const char* name, const unsigned char* data, size_t size);
    // Loads every entry of the data archive whose stored name starts with directory + "\",
    // whatever its extension, in archive order. Returns how many took a slot.
    int loadDirectory(const char* directory);

    int count() const { return names_.count(); }
    const char* name(int slot) const { return names_.name(slot); }
    unsigned texture(int slot) const { return textures_[slot]; }

    // Time spent so far reading the archive, decoding images and building mipmaps, in seconds.
    double archiveSeconds = 0.0;
    double decodeSeconds = 0.0;
    double mipmapSeconds = 0.0;

  private:
    AssetNames names_{"texture"};
    unsigned textures_[kSlots] = {};
};

extern TextureCache g_textureCache;

// Starts DevIL the way the texture loads expect: ilInit, iluInit, ilutInit, OpenGL
// conversion enabled, OpenGL renderer.
void initImageLibrary();
