// test_songs.h - small modules built in code for the music tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "music/music_player.h"
#include "music/xm_writer.h"

namespace testsongs {

constexpr int kRate = 44100;
// At the default tempo of 125 a tick lasts 2.5 / 125 s = 882 frames.
constexpr int64_t kTick = 882;

// A steady looped sine. (The other instruments are clicks: a burst of 5 ms and nothing, so
// that each note's onset can be found in the output.)
xm::Instrument toneInstrument(int periodFrames = 32);

xm::Cell note(const char* name, int instrument);
xm::Cell withEffect(xm::Cell cell, uint8_t effect, uint8_t param);

// A module with `instruments` click instruments, `channels` channels and `patterns` empty
// patterns of `rows` rows played once each in order, at speed 6 and tempo 125.
xm::Module emptySong(int channels, int patterns, int instruments = 1, int rows = 16);

std::vector<uint8_t> bytesOf(const xm::Module& module);

bool startLockstep(MusicPlayer& player);  // init only

// One note per row on channel 0 with instrument 1 at speed 2: a row every 1764 frames (40 ms).
xm::Module steadyBeat(int rows);

// Points SDL at an audio driver that does not exist, for as long as it lives: players then
// fall back to silent output.
class NoSoundCard {
  public:
    NoSoundCard();
    ~NoSoundCard();
    NoSoundCard(const NoSoundCard&) = delete;
    NoSoundCard& operator=(const NoSoundCard&) = delete;

  private:
    bool had_ = false;
    std::string previous_;
};

}  // namespace testsongs
