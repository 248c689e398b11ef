// The player around the sync: spectrum, stream mode, failures, silent and device output.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

#include <SDL.h>

#include "music/music_player.h"
#include "music/spectrum.h"
#include "music/wav_file.h"
#include "platform/platform.h"
#include "tests/music/test_songs.h"
#include "tests/support/test_support.h"

using namespace testsongs;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBandHz = static_cast<double>(kRate) / SpectrumAnalyser::kInput;

std::vector<float> sine(double hz, int frames, double amplitude = 1.0, int rate = kRate) {
    std::vector<float> v(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        v[static_cast<size_t>(i)] =
            static_cast<float>(amplitude * std::sin(2 * kPi * hz * i / rate));
    }
    return v;
}

int loudestBand(const float* bands) {
    return static_cast<int>(std::max_element(bands, bands + SpectrumAnalyser::kBands) - bands);
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

class Lockstep : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(startLockstep(player)); }
    void TearDown() override { player.close(); }
    MusicPlayer player;
};

// ---------------------------------------------------------------------------------------------
// Spectrum
// ---------------------------------------------------------------------------------------------

TEST(Spectrum, FullScaleSineReadsAboutOneInItsBandAndSilenceReadsZero) {
    SpectrumAnalyser analyser;
    ASSERT_TRUE(analyser.init());
    float bands[SpectrumAnalyser::kBands];

    analyser.analyse(sine(100 * kBandHz, 1024).data(), bands);
    EXPECT_EQ(loudestBand(bands), 100);
    EXPECT_NEAR(bands[100], 1.0f, 0.01f);
    EXPECT_LT(bands[90], 0.01f);
    EXPECT_LT(bands[110], 0.01f);

    // Between two bands the window costs at most about 1.5 dB.
    analyser.analyse(sine(40.5 * kBandHz, 1024).data(), bands);
    EXPECT_GT(std::max(bands[40], bands[41]), 0.84f);
    EXPECT_LT(std::max(bands[40], bands[41]), 1.01f);

    analyser.analyse(sine(200 * kBandHz, 1024, 0.25).data(), bands);
    EXPECT_NEAR(bands[200], 0.25f, 0.01f);

    const std::vector<float> silence(1024, 0.0f);
    analyser.analyse(silence.data(), bands);
    for (float b : bands) ASSERT_EQ(b, 0.0f);
}

TEST_F(Lockstep, SpectrumFollowsTheModuleBeingHeard) {
    xm::Module m = emptySong(1, 1);
    m.instruments[0] = toneInstrument(32);  // 8363 / 32 = 261 Hz at C-4
    m.patterns[0].at(0, 0) = note("C-4", 1);
    m.patterns[0].at(4, 0) = note("===", 0);
    const std::vector<uint8_t> bytes = bytesOf(m);
    ASSERT_TRUE(player.openMemory(bytes.data(), bytes.size(), false));
    player.updateSpectrum();
    for (int k = 0; k < MusicPlayer::kSpectrumBands; ++k) ASSERT_EQ(player.spectrum()[k], 0.0f);

    ASSERT_TRUE(player.play());
    ASSERT_TRUE(player.advanceFrames(2 * 6 * kTick));
    player.updateSpectrum();
    EXPECT_EQ(loudestBand(player.spectrum()), static_cast<int>(std::lround(8363.0 / 32 / kBandHz)));
    EXPECT_GT(player.spectrum()[6], 0.05f);

    // Key released (no envelope, so it stops): after 1024 more frames the window is silent.
    ASSERT_TRUE(player.advanceFrames(3 * 6 * kTick + 2048));
    player.updateSpectrum();
    for (int k = 0; k < MusicPlayer::kSpectrumBands; ++k)
        ASSERT_EQ(player.spectrum()[k], 0.0f) << k;
}

// ---------------------------------------------------------------------------------------------
// Stream mode
// ---------------------------------------------------------------------------------------------

TEST_F(Lockstep, StreamPlaysAGeneratedWavAsMono) {
    // Left a sine at 1 kHz, right its copy: the mono mix is the same sine.
    const std::vector<float> tone = sine(1000, kRate / 2, 0.9);
    std::vector<float> stereo;
    for (float v : tone) {
        stereo.push_back(v);
        stereo.push_back(v);
    }
    const std::vector<uint8_t> wav = wavBytes(stereo, 2, kRate);
    ASSERT_FALSE(wav.empty());
    ASSERT_TRUE(player.openMemory(wav.data(), wav.size(), true));
    EXPECT_TRUE(player.isStream());
    ASSERT_TRUE(player.play());

    std::vector<float> pcm;
    ASSERT_TRUE(player.advanceFrames(kRate / 4, &pcm));
    for (size_t i = 0; i < tone.size() / 2; ++i) {
        ASSERT_NEAR(pcm[2 * i], tone[i], 1e-4) << i;
        ASSERT_EQ(pcm[2 * i], pcm[2 * i + 1]);
    }
    player.updateSpectrum();
    EXPECT_EQ(loudestBand(player.spectrum()), static_cast<int>(std::lround(1000 / kBandHz)));
    EXPECT_GT(player.spectrum()[23], 0.8f);
    EXPECT_EQ(player.getOrder(), -1) << "a stream has no orders";

    ASSERT_TRUE(player.advanceFrames(kRate / 4 + 100, &pcm));
    EXPECT_TRUE(player.finished());
    EXPECT_EQ(player.endFrame(), kRate / 2);
    EXPECT_EQ(pcm[2 * (kRate / 2 + 50)], 0.0f);
}

TEST_F(Lockstep, StreamAtAnotherRateIsResampled) {
    // Half a second at 22050 Hz lasts half a second at 44100 Hz too.
    const std::vector<float> tone = sine(500, 11025, 0.5, 22050);
    const std::vector<uint8_t> wav = wavBytes(tone, 1, 22050);
    ASSERT_TRUE(player.openMemory(wav.data(), wav.size(), true));
    ASSERT_TRUE(player.play());
    std::vector<float> pcm;
    ASSERT_TRUE(player.advanceFrames(kRate, &pcm));
    EXPECT_TRUE(player.finished());
    EXPECT_NEAR(static_cast<double>(player.endFrame()), kRate / 2.0, 2.0);
    for (int i = 0; i < kRate / 2 - 2; i += 97) {
        EXPECT_NEAR(pcm[2 * static_cast<size_t>(i)], 0.5 * std::sin(2 * kPi * 500 * i / kRate),
                    0.01)
            << i;
    }
}

// ---------------------------------------------------------------------------------------------
// Failures
// ---------------------------------------------------------------------------------------------

TEST_F(Lockstep, CorruptModuleFailsWithItsMessageAndLeavesTheDemoSilent) {
    testsupport::MessageCapture messages;
    std::string junk;
    for (int i = 0; i < 200; ++i) junk += "definitely not a tracker module ";
    EXPECT_FALSE(player.openMemory(junk.data(), junk.size(), false));
    EXPECT_FALSE(player.play());
    ASSERT_EQ(messages.messages().size(), 1u) << "one failure, one message";
    EXPECT_EQ(messages.messages()[0], "Failed to open fmusic module");

    const int order = player.getOrder();
    EXPECT_TRUE(order < 0 || order > 31);
    player.updateInstrumentTimes();
    player.updateSpectrum();
    for (int k = 0; k < MusicPlayer::kSpectrumBands; ++k) ASSERT_EQ(player.spectrum()[k], 0.0f);
    EXPECT_FALSE(player.advanceFrames(1000));

    // A bad stream says so in its own words.
    messages.clear();
    EXPECT_FALSE(player.openMemory(junk.data(), junk.size(), true));
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0], "Failed to open fsound stream");
}

// A module cut short loads in libopenmpt without a word and plays silence where its notes
// or samples are missing: the player refuses it like any module it cannot read.
TEST_F(Lockstep, ModuleCutShortIsRefusedWithItsMessage) {
    xm::Module song = testsongs::emptySong(2, 2, 2);
    song.patterns[1].at(3, 1) = testsongs::note("C-5", 2);
    const std::vector<uint8_t> whole = testsongs::bytesOf(song);
    testsupport::MessageCapture messages;
    // Within the header, a pattern, the second instrument's header and its sample data.
    for (size_t cut : {size_t(100), size_t(400), whole.size() - 300, whole.size() - 1}) {
        messages.clear();
        EXPECT_FALSE(player.openMemory(whole.data(), cut, false)) << "cut at " << cut;
        ASSERT_EQ(messages.messages().size(), 1u) << "cut at " << cut;
        EXPECT_EQ(messages.messages()[0], "Failed to open fmusic module");
    }
    std::vector<uint8_t> longer = whole;
    longer.resize(whole.size() + 100, 0);  // bytes after the module are no harm
    EXPECT_TRUE(player.openMemory(longer.data(), longer.size(), false));
    EXPECT_TRUE(player.openMemory(whole.data(), whole.size(), false));
}

TEST(PlayerFailures, BadSettingsAndMissingMusicAreReported) {
    testsupport::MessageCapture messages;
    MusicPlayer player;
    player.useLockstep(true);
    EXPECT_FALSE(player.init(0, 32));
    EXPECT_FALSE(player.init(44100, 0));
    ASSERT_TRUE(player.init(44100, 32));
    EXPECT_FALSE(player.play());
    EXPECT_FALSE(player.openMemory(nullptr, 0, false));
    const std::vector<std::string> expected = {
        "Failed to initialize fmod", "Failed to initialize fmod", "Failed to play fmusic module",
        "Failed to open fmusic module"};
    EXPECT_EQ(messages.messages(), expected);
    player.close();
}

// ---------------------------------------------------------------------------------------------
// Silent and device output
// ---------------------------------------------------------------------------------------------

TEST(SilentOutput, WithoutASoundCardTheSongStillRunsInRealTime) {
    NoSoundCard noCard;
    {
        testsupport::MessageCapture messages;
        MusicPlayer strict;
        strict.allowSilentOutput(false);
        EXPECT_FALSE(strict.init(kRate, 32));
        EXPECT_EQ(messages.messages(),
                  std::vector<std::string>{"Failed to set fmod output device"});
        strict.close();
    }
    MusicPlayer player;
    ASSERT_TRUE(player.init(kRate, 32));
    EXPECT_EQ(player.output(), MusicPlayer::Output::Silent);
    const std::vector<uint8_t> bytes = bytesOf(steadyBeat(64));
    ASSERT_TRUE(player.openMemory(bytes.data(), bytes.size(), false));
    ASSERT_TRUE(player.play());
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    player.updateInstrumentTimes();
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double heard = static_cast<double>(player.heardFrame()) / kRate;
    EXPECT_GE(heard, 0.29);
    EXPECT_LE(heard, elapsed + 0.01);
    // One trigger per 40 ms row heard so far.
    EXPECT_NEAR(instHitCount[0], heard / 0.04, 1.5);
    EXPECT_LT(instSinceHit[0], 0.045f);
    EXPECT_EQ(player.getOrder(), 0);
    player.close();
}

TEST(DeviceOutput, TriggersArriveAsTheDeviceClockPlaysThem) {
    MusicPlayer player;
    player.allowSilentOutput(false);
    if (!player.init(kRate, 32)) GTEST_SKIP() << "no audio driver, not even SDL's dummy";
    ASSERT_EQ(player.output(), MusicPlayer::Output::Device);

    struct Seen {
        SyncEvent event;
        double heardAt;
        double deliveredAt;
    };
    std::vector<Seen> seen;
    player.setSyncObserver(
        [](void* user, const SyncEvent& e, double heardAt) {
            const double now = static_cast<double>(platform::counter() - musicClock.startCount()) /
                               static_cast<double>(musicClock.frequency());
            static_cast<std::vector<Seen>*>(user)->push_back({e, heardAt, now});
        },
        &seen);
    const std::vector<uint8_t> bytes = bytesOf(steadyBeat(24));
    ASSERT_TRUE(player.openMemory(bytes.data(), bytes.size(), false));
    ASSERT_TRUE(player.play());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!player.finished() && std::chrono::steady_clock::now() < deadline) {
        player.updateInstrumentTimes();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    player.close();
    ASSERT_TRUE(player.finished());
    EXPECT_EQ(instHitCount[0], 24);
    EXPECT_EQ(player.getOrder(), -1) << "closed";

    const Seen* first = nullptr;
    for (const Seen& s : seen) {
        if (s.event.kind != SyncEvent::kTrigger) continue;
        if (!first) first = &s;
        // Never before it is heard, and picked up within a few polls of it.
        EXPECT_LE(s.heardAt, s.deliveredAt + 1e-6);
        EXPECT_LT(s.deliveredAt - s.heardAt, 0.015);
        // The device keeps time: heard times follow the song's own spacing.
        const double songTime = static_cast<double>(s.event.frame - first->event.frame) / kRate;
        EXPECT_NEAR(s.heardAt - first->heardAt, songTime, 0.005 + 0.02 * songTime);
    }
}

TEST(DeviceOutput, SeekingAndReopeningWhilePlaying) {
    MusicPlayer player;
    player.allowSilentOutput(false);
    if (!player.init(kRate, 32)) GTEST_SKIP() << "no audio driver, not even SDL's dummy";
    xm::Module m = steadyBeat(16);
    m.patterns.push_back(m.patterns[0]);
    m.orders = {0, 1, 0};
    const std::vector<uint8_t> bytes = bytesOf(m);
    ASSERT_TRUE(player.openMemory(bytes.data(), bytes.size(), false));
    ASSERT_TRUE(player.play());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(player.getOrder(), 0);

    // Order 1 starts after 16 rows; its sync data is that of a run from the top.
    EXPECT_DOUBLE_EQ(player.seekToOrder(1), 16.0 * 2 * kTick / kRate);
    EXPECT_EQ(player.getOrder(), 1);
    EXPECT_EQ(instHitCount[0], 16);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    player.updateInstrumentTimes();
    EXPECT_EQ(player.getOrder(), 1);
    EXPECT_GT(instHitCount[0], 16);
    EXPECT_LT(instSinceHit[0], 0.1f);

    // Another song replaces this one without stopping the output.
    const std::vector<uint8_t> other = bytesOf(steadyBeat(8));
    ASSERT_TRUE(player.openMemory(other.data(), other.size(), false));
    EXPECT_EQ(instHitCount[0], 0);
    ASSERT_TRUE(player.play());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    player.updateInstrumentTimes();
    EXPECT_GT(instHitCount[0], 0);
    EXPECT_EQ(player.getOrder(), 0);
    player.close();
}

}  // namespace

namespace {

// A player on SDL's dummy device playing orders {0, 1} of a steady beat on instrument 0 (a
// row every 40 ms, 64 rows an order), with instrument 1 struck only from order 1 on.
class SeekOnDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        player.allowSilentOutput(false);
        if (!player.init(kRate, 32)) GTEST_SKIP() << "no audio driver, not even SDL's dummy";
        xm::Module m = steadyBeat(64);
        m.instruments.push_back(m.instruments[0]);
        m.patterns.push_back(m.patterns[0]);
        m.patterns[1].at(0, 0) = note("C-4", 2);
        m.orders = {0, 1};
        bytes = bytesOf(m);
        ASSERT_TRUE(player.openMemory(bytes.data(), bytes.size(), false));
        ASSERT_TRUE(player.play());
    }
    void TearDown() override { player.close(); }

    // The open device: SDL numbers the devices it opens from 2.
    static SDL_AudioDeviceID playingDevice() {
        for (SDL_AudioDeviceID id = 2; id < 64; ++id)
            if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING) return id;
        return 0;
    }

    MusicPlayer player;
    std::vector<uint8_t> bytes;
};

TEST_F(SeekOnDevice, LeavesTheSyncDataOfAPlayFromTheTopInRealTime) {
    const double at = player.seekToOrder(1);
    ASSERT_DOUBLE_EQ(at, 64 * 2.0 * kTick / kRate);  // 2.56 s
    player.updateInstrumentTimes();
    // Instrument 1 was never struck: it reads as struck at the song's start, not just now.
    EXPECT_NEAR(instSinceHit[1], at, 0.05);
    // Instrument 0 was last struck one row before the order.
    EXPECT_NEAR(instHitTime[0], at - 0.04, 1e-3);
    EXPECT_NEAR(instSinceHit[0], 0.04, 0.05);
}

TEST_F(SeekOnDevice, ReplacesTheLiveSongOnlyUnderTheOutputLock) {
    ASSERT_TRUE(player.prepareJumps());
    const SDL_AudioDeviceID device = playingDevice();
    ASSERT_NE(device, 0u);
    SDL_LockAudioDevice(device);
    auto seek = std::async(std::launch::async, [this] { return player.seekToOrder(1); });
    const bool waited =
        seek.wait_for(std::chrono::milliseconds(200)) == std::future_status::timeout;
    SDL_UnlockAudioDevice(device);
    EXPECT_TRUE(waited) << "the song was replaced while the device could be mixing it";
    EXPECT_DOUBLE_EQ(seek.get(), 64 * 2.0 * kTick / kRate);
}

}  // namespace
