// music_archive.cpp - opening the music from the program's data archive.
#include <cstdlib>

#include "archive/archive.h"
#include "music/music_player.h"

bool MusicPlayer::open(const char* entryName, bool isStream) {
    size_t size = 0;
    unsigned char* data = entryName ? Archive::loadEntry(&size, entryName) : nullptr;
    // A missing entry fails like unreadable music, with the same message.
    const bool opened = openMemory(data, data ? size : 0, isStream);
    std::free(data);
    return opened;
}
