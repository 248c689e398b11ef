// The player around the sync: spectrum, stream mode, failures, silent and device output.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "music/music_player.h"
#include "music/spectrum.h"
#include "music/wav_file.h"
#include "platform/audio.h"
#include "platform/platform.h"
#include "tests/music/test_songs.h"
#include "tests/support/test_support.h"

using namespace testsongs;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBandHz = static_cast<double>(kRate) / SpectrumAnalyser::kInput;
constexpr int kBands = SpectrumAnalyser::kBands;

std::vector<float> sine(double hz, int frames, double amplitude = 1.0, int rate = kRate) {
    std::vector<float> v(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        v[static_cast<size_t>(i)] =
            static_cast<float>(amplitude * std::sin(2 * kPi * hz * i / rate));
    }
    return v;
}

int loudestBand(const float* bands) {
    return static_cast<int>(std::max_element(bands, bands + kBands) - bands);
}

// A WAV file in memory, written through the program's own writer.
std::vector<uint8_t> wavBytes(const std::vector<float>& interleaved, int channels, int rate) {
    testsupport::TempDir temp;
    const std::string path = temp.file("a.wav");
    WavFile wav;
    if (!wav.open(path.c_str(), rate, channels) ||
        !wav.write(interleaved.data(), static_cast<int64_t>(interleaved.size()) / channels) ||
        !wav.close())
        return {};
    return testsupport::readFile(path);
}

TEST(Spectrum, AFullScaleSineReadsOneInItsBand) {
    SpectrumAnalyser analyser;
    ASSERT_TRUE(analyser.init());
    float bands[kBands];
    analyser.analyse(sine(100 * kBandHz, 1024).data(), bands);
    EXPECT_NEAR(bands[100], 1.0f, 0.01f);
    // The Hann window: half in each neighbour.
    EXPECT_NEAR(bands[99], 0.5f, 0.01f);
    // A constant has no mirror image: 0.5 reads 0.5.
    analyser.analyse(std::vector<float>(1024, 0.5f).data(), bands);
    EXPECT_NEAR(bands[0], 0.5f, 0.001f);
}

TEST(PlayerSpectrum, IsThatOfThe1024FramesBeforeTheOneHeard) {
    MusicPlayer player;
    ASSERT_TRUE(startLockstep(player));
    xm::Module m = emptySong(1, 1);
    m.instruments[0] = toneInstrument(32);    // 8363 / 32 = 261 Hz at C-4: band 6
    m.instruments[0].samples[0].panning = 0;  // left only: the mono mix is half of it
    m.patterns[0].at(1, 0) = note("C-4", 1);
    const std::vector<uint8_t> bytes = bytesOf(m);
    ASSERT_TRUE(player.openMemory(bytes.data(), bytes.size(), false));
    ASSERT_TRUE(player.play());
    SpectrumAnalyser reference;
    ASSERT_TRUE(reference.init());
    std::vector<float> pcm;
    const int64_t noteAt = 6 * kTick;
    for (int64_t heard : {noteAt, noteAt + 700, noteAt + 3000}) {
        SCOPED_TRACE(heard);
        ASSERT_TRUE(player.advanceFrames(heard - static_cast<int64_t>(pcm.size() / 2), &pcm));
        player.updateSpectrum();
        float mono[1024], bands[kBands];
        for (int i = 0; i < 1024; ++i) {
            const size_t f = static_cast<size_t>(heard - 1024 + i);
            mono[i] = 0.5f * (pcm[2 * f] + pcm[2 * f + 1]);
        }
        reference.analyse(mono, bands);
        for (int k = 0; k < kBands; ++k) ASSERT_EQ(player.spectrum()[k], bands[k]) << k;
    }
    EXPECT_EQ(loudestBand(player.spectrum()), 6);
    EXPECT_GT(player.spectrum()[6], 0.05f);
}

TEST(Streams, PlayAsOneChannelOnBothSidesAtTheOutputsRate) {
    MusicPlayer player;
    ASSERT_TRUE(startLockstep(player));
    // Left a sine at 1 kHz, right the same at half the level: the mix is 0.75 of it.
    const std::vector<float> tone = sine(1000, kRate / 2, 0.9);
    std::vector<float> stereo;
    for (float v : tone) {
        stereo.push_back(v);
        stereo.push_back(0.5f * v);
    }
    const std::vector<uint8_t> wav = wavBytes(stereo, 2, kRate);
    ASSERT_FALSE(wav.empty());
    ASSERT_TRUE(player.openMemory(wav.data(), wav.size(), true));
    EXPECT_TRUE(player.isStream());
    ASSERT_TRUE(player.play());

    std::vector<float> pcm;
    ASSERT_TRUE(player.advanceFrames(kRate / 4, &pcm));
    for (size_t i = 0; i < pcm.size() / 2; ++i) {
        ASSERT_NEAR(pcm[2 * i], 0.75f * tone[i], 1e-4) << i;
        ASSERT_EQ(pcm[2 * i], pcm[2 * i + 1]);
    }
    player.updateSpectrum();
    EXPECT_EQ(loudestBand(player.spectrum()), 23);  // 1000 / 43.07
    EXPECT_EQ(player.getOrder(), -1) << "a stream has no orders";

    ASSERT_TRUE(player.advanceFrames(kRate / 4 + 100, &pcm));
    EXPECT_TRUE(player.finished());
    EXPECT_EQ(player.endFrame(), kRate / 2);
    EXPECT_EQ(pcm[2 * (kRate / 2)], 0.0f);

    // Half a second at 22050 Hz lasts half a second at 44100 Hz too.
    const std::vector<uint8_t> slow = wavBytes(sine(500, 11025, 0.5, 22050), 1, 22050);
    ASSERT_TRUE(player.openMemory(slow.data(), slow.size(), true));
    ASSERT_TRUE(player.play());
    pcm.clear();
    ASSERT_TRUE(player.advanceFrames(kRate, &pcm));
    EXPECT_NEAR(static_cast<double>(player.endFrame()), kRate / 2.0, 2.0);
    for (int i = 0; i < kRate / 2 - 2; i += 97) {
        EXPECT_NEAR(pcm[2 * static_cast<size_t>(i)], 0.5 * std::sin(2 * kPi * 500 * i / kRate),
                    0.01)
            << i;
    }
}

TEST(PlayerFailures, EachSaysWhatFailedOnceAndLeavesTheDemoSilent) {
    testsupport::MessageCapture messages;
    MusicPlayer player;
    player.useLockstep(true);
    EXPECT_FALSE(player.init(0, 32));
    EXPECT_FALSE(player.init(kRate, 0));
    ASSERT_TRUE(player.init(kRate, 32));
    EXPECT_FALSE(player.play());
    EXPECT_FALSE(player.openMemory(nullptr, 0, false));
    std::string junk;
    for (int i = 0; i < 200; ++i) junk += "definitely not a tracker module ";
    EXPECT_FALSE(player.openMemory(junk.data(), junk.size(), true));
    EXPECT_FALSE(player.openMemory(junk.data(), junk.size(), false));
    EXPECT_FALSE(player.play()) << "already said";
    // What failed, in the program's terms, then why (libopenmpt's words for the junk).
    const std::vector<std::string> expected = {
        "Cannot start the music: mixing rate 0 or channel count 32 out of range",
        "Cannot start the music: mixing rate 44100 or channel count 0 out of range",
        "Cannot play the music: no module or stream is open",
        "Cannot read the music module: no music data",
        "Cannot read the music stream: ",
        "Cannot read the music module: "};
    ASSERT_EQ(messages.messages().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const std::string& said = messages.messages()[i];
        EXPECT_EQ(said.compare(0, expected[i].size(), expected[i]), 0) << said;
        EXPECT_GT(said.size(), 32u) << "a reason follows: " << said;
    }

    EXPECT_EQ(player.getOrder(), -1);
    player.updateInstrumentTimes();
    player.updateSpectrum();
    for (int k = 0; k < kBands; ++k) ASSERT_EQ(player.spectrum()[k], 0.0f);
    EXPECT_FALSE(player.advanceFrames(1000));

    // A module cut short plays in libopenmpt with silence where it is missing: refused too,
    // cut in the header, a pattern, the second instrument's header or its sample data.
    xm::Module song = emptySong(2, 2, 2);
    song.patterns[1].at(3, 1) = note("C-5", 2);
    const std::vector<uint8_t> whole = bytesOf(song);
    for (size_t cut : {size_t(100), size_t(400), whole.size() - 300, whole.size() - 1}) {
        messages.clear();
        EXPECT_FALSE(player.openMemory(whole.data(), cut, false)) << "cut at " << cut;
        ASSERT_EQ(messages.messages().size(), 1u);
        EXPECT_EQ(messages.messages()[0].rfind(
                      "Cannot read the music module: the module is cut short", 0),
                  0u);
    }
    std::vector<uint8_t> longer = whole;
    longer.resize(whole.size() + 100, 0);  // bytes after the module are no harm
    EXPECT_TRUE(player.openMemory(longer.data(), longer.size(), false));
    player.close();

    // Without a sound card the player goes silent (the jump tests run so) unless told not to.
    NoSoundCard noCard;
    messages.clear();
    player.useLockstep(false);
    player.allowSilentOutput(false);
    EXPECT_FALSE(player.init(kRate, 32));
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].rfind("Cannot open the audio output: ", 0), 0u);
    EXPECT_GT(messages.messages()[0].size(), 30u) << "SDL's reason follows";
}

// Seconds on the music clock now.
double musicNow() {
    return static_cast<double>(platform::counter() - musicClock.startCount()) /
           static_cast<double>(musicClock.frequency());
}

// A device pulled by hand on the manual clock: it asks for a buffer whenever a buffer's room
// has come free (every 1024 ticks, one tick a frame), with 1024 frames still queued, but for
// a stall of three buffers half-way. Each trigger reaches the sync data at the first look
// after the device has played its frame, never before, and the heard times keep the song's
// own spacing, those mixed after the stall the stall's length later. (How this goes on a real
// device, in real time, is bench_music's second part.)
TEST(DeviceOutput, TriggersArriveAsTheDeviceClockPlaysThem) {
    constexpr int kBuffer = 1024, kLatency = 1024, kLook = 256, kStallAt = 20, kStall = 3;
    platform::useManualClock(kRate);
    platform::useHandPulledAudio(true, kLatency);
    MusicPlayer player;
    player.allowSilentOutput(false);
    ASSERT_TRUE(player.init(kRate, 32));
    ASSERT_EQ(player.output(), MusicPlayer::Output::Device);
    struct Seen {
        SyncEvent event;
        double heardAt, deliveredAt;
    };
    std::vector<Seen> seen;
    player.setSyncObserver(
        [](void* user, const SyncEvent& e, double heardAt) {
            static_cast<std::vector<Seen>*>(user)->push_back({e, heardAt, musicNow()});
        },
        &seen);
    const std::vector<uint8_t> bytes = bytesOf(steadyBeat(24));
    ASSERT_TRUE(player.openMemory(bytes.data(), bytes.size(), false));
    ASSERT_TRUE(player.play());
    const double started = musicNow();
    for (int buffer = 0; !player.finished() && buffer < 2000; ++buffer) {
        if (buffer < kStallAt || buffer >= kStallAt + kStall) {
            ASSERT_TRUE(platform::pullAudio(kBuffer));
        }
        for (int look = 0; look < kBuffer / kLook; ++look) {
            platform::advanceManualClock(kLook);
            player.updateInstrumentTimes();
        }
    }
    player.close();
    platform::useHandPulledAudio(false);
    platform::useRealClock();
    ASSERT_TRUE(player.finished());
    EXPECT_EQ(instHitCount[0], 24);
    const Seen* first = nullptr;
    for (const Seen& s : seen) {
        if (s.event.kind != SyncEvent::kTrigger) continue;
        if (!first) {
            first = &s;
            // The song's frame f is heard once the kLatency frames queued before it have played.
            EXPECT_NEAR(s.heardAt, started + double(s.event.frame + kLatency) / kRate, 1e-9);
        }
        EXPECT_LE(s.heardAt, s.deliveredAt + 1e-9) << "frame " << s.event.frame;
        EXPECT_LT(s.deliveredAt - s.heardAt, double(kLook) / kRate + 1e-9)
            << "frame " << s.event.frame;
        // Frames mixed after the stall are heard the stall's length later.
        const double songTime = double(s.event.frame - first->event.frame) / kRate;
        const double late =
            s.event.frame < kStallAt * kBuffer ? 0.0 : double(kStall * kBuffer) / kRate;
        EXPECT_NEAR(s.heardAt - first->heardAt, songTime + late, 1e-6) << "frame " << s.event.frame;
    }
    ASSERT_NE(first, nullptr);
}

}  // namespace
