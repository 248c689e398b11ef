#include "demo/startup.h"

#include "music/music_player.h"

bool initDemo() {
    return true;
}

void shutdownDemo() {
    g_musicPlayer.close();
}
