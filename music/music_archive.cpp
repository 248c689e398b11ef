// music_archive.cpp - opening the music from the program's data archive.
#include <cstdlib>

#include "archive/archive.h"
#include "music/music_player.h"

bool MusicPlayer::open(const char* entryName, bool isStream) {
    size_t size = 0;
    unsigned char* data = entryName ? Archive::loadEntry(&size, entryName) : nullptr;
    const bool opened = openNamed(data, data ? size : 0, isStream, entryName,
                                  "not in the data archive, or damaged there");
    std::free(data);
    return opened;
}
