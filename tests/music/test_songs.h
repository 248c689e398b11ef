// test_songs.h - small modules built in code for the music tests, and a lockstep harness.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "music/music_player.h"
#include "music/sync_event.h"
#include "music/xm_writer.h"

namespace testsongs {

constexpr int kRate = 44100;
// At the default tempo of 125 a tick lasts 2.5 / 125 s = 882 frames.
constexpr int64_t kTick = 882;

// A short burst (about 5 ms) and then nothing: each note is heard as one click, so its onset
// can be found in the output.
xm::Instrument clickInstrument(bool sixteenBit = true);
// A steady looped sine.
xm::Instrument toneInstrument(int periodFrames = 32);

// One note cell.
xm::Cell note(const char* name, int instrument);
xm::Cell withEffect(xm::Cell cell, uint8_t effect, uint8_t param);

// A module with `instruments` click instruments, `channels` channels and `patterns` empty
// 16-row patterns played once each in order.
xm::Module emptySong(int channels, int patterns, int instruments = 1, int rows = 16);

std::vector<uint8_t> bytesOf(const xm::Module& module);

// Everything the player reported while a song played through in lockstep.
struct Recording {
    std::vector<SyncEvent> events;  // as delivered, instruments above 63 included
    std::vector<double> heardAt;    // musicClock seconds of each event
    std::vector<float> pcm;         // interleaved stereo
    bool finished = false;

    std::vector<SyncEvent> triggers() const;
    std::vector<SyncEvent> orders() const;
};

// Opens the module in a lockstep player and advances it in steps of `step` frames until the
// song has ended (or maxFrames), recording everything. The player stays open for further
// queries.
Recording playThrough(MusicPlayer& player, const std::vector<uint8_t>& module, int64_t step,
                      int64_t maxFrames = 60 * kRate);

// Starts a lockstep player (init only).
bool startLockstep(MusicPlayer& player);

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
