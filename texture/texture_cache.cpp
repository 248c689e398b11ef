#include "texture/texture_cache.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>

#include <cstdlib>

#include "archive/archive.h"
#include "platform/platform.h"

TextureCache g_textureCache;

void initImageLibrary() {
    ilInit();
    iluInit();
    ilutInit();
    ilutEnable(ILUT_OPENGL_CONV);
    ilutRenderer(ILUT_OPENGL);
}

unsigned TextureCache::find(const char* name) const {
    const int slot = names_.find(name);
    return slot < 0 ? 0 : textures_[slot];
}

void TextureCache::bind(const char* name) const {
    const int slot = names_.find(name);
    if (slot < 0) {
        // Once per name: a box on every frame would stop the production for good.
        if (names_.firstReport(name))
            platform::showMessageWith("Texture was not found: %s\n", name);
        return;
    }
    glBindTexture(GL_TEXTURE_2D, textures_[slot]);
}

void TextureCache::bindSlot(int slot) const {
    // Slot 0 is never bound this way: the effects that cycle through the pictures skip it.
    if (slot >= 1 && slot < count()) glBindTexture(GL_TEXTURE_2D, textures_[slot]);
}

bool TextureCache::loadFromMemory(const char* name, const unsigned char* data, size_t size) {
    if (!names_.claim(name)) return false;

    int64_t start = platform::counter();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    const bool decoded = data && size > 0 && size <= 0xFFFFFFFFu &&
                         ilLoadL(IL_TYPE_UNKNOWN, data, static_cast<ILuint>(size)) == IL_TRUE &&
                         ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) == IL_TRUE;
    // PNG and JPEG decode top row first; OpenGL wants the bottom row first.
    const char* lowerName = names_.claimed();
    if (decoded &&
        (Archive::nameEndsWith(lowerName, "png") || Archive::nameEndsWith(lowerName, "jpg")))
        iluFlipImage();
    decodeSeconds += platform::secondsSince(start);

    // DevIL hands out a deleted image's name again, so the texture gets a name of its own.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    if (decoded) {
        start = platform::counter();
        // GLU scales sides that are not powers of two.
        gluBuild2DMipmaps(GL_TEXTURE_2D, ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL),
                          ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT), GL_RGBA,
                          ilGetInteger(IL_IMAGE_TYPE), ilGetData());
        mipmapSeconds += platform::secondsSince(start);
    }
    ilDeleteImages(1, &image);

    // An image that did not decode keeps its slot, as a texture without an image. It is
    // reported like an entry that could not be read: the parts would otherwise draw it blank
    // without a word, and a capture of them would end with status 0.
    if (data && !decoded) platform::showMessageWith("Texture could not be decoded: %s", name);
    textures_[names_.count()] = texture;
    names_.commit();
    return true;
}

bool TextureCache::load(const char* name) {
    if (!names_.claim(name)) return false;
    const int64_t start = platform::counter();
    size_t size = 0;
    unsigned char* data = Archive::loadEntry(&size, name);
    archiveSeconds += platform::secondsSince(start);
    // An entry that cannot be read still takes its slot, as a texture without an image, so
    // the slots keep their numbers and binding the name shows nothing more.
    if (!data) platform::showMessageWith("Texture could not be read: %s", name);
    const bool loaded = loadFromMemory(name, data, size);
    std::free(data);
    return loaded;
}

int TextureCache::loadDirectory(const char* directory) {
    return names_.loadDirectory(
        directory, nullptr, [this](const char* name) { return load(name); }, archiveSeconds);
}
