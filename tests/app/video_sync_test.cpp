// The production exported as a video, read back with ffmpeg: the picture and the sound of the
// file are in step, each overlay flash on the frame of its drum hit.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "music/sync_slots.h"
#include "tests/support/test_support.h"

namespace {

constexpr int kWidth = 160, kHeight = 120, kFps = 30, kRate = 44100;
constexpr double kSeconds = 4.0;
constexpr int kStartOrder = 8;  // a drop: accents on every beat, each with a flash

struct Strike {
    double time;  // seconds into the clip
};

std::string bytesOf(const std::string& command) {
    return testsupport::runCommand(command).out;
}

// The sync instruments the overlay flashes on, as the music player strikes them in the
// clip's span (from modsync, in the song's own times).
std::vector<Strike> flashStrikes(const testsupport::TempDir& dir, double& orderStart) {
    const std::string module = dir.file("song.xm");
    testsupport::runCommand(std::string(RARPACK) + " p " + PALISADE_DATA +
                            " Palisade_2.0_by_Quillon___Tinmoth.xm > " + module);
    std::istringstream csv(bytesOf(std::string(MODSYNC) + " --csv " + module));
    std::string line;
    std::vector<std::pair<double, int>> triggers;
    orderStart = -1.0;
    while (std::getline(csv, line)) {
        double time = 0;
        int order = 0, row = 0, instrument = -1;
        char event[16] = {};
        // time,order,row,channel,instrument,event
        if (std::sscanf(line.c_str(), "%lf,%d,%d,,,%15s", &time, &order, &row, event) == 4 &&
            std::strcmp(event, "order") == 0 && order == kStartOrder && orderStart < 0)
            orderStart = time;
        int channel = 0;
        if (std::sscanf(line.c_str(), "%lf,%d,%d,%d,%d,%15s", &time, &order, &row, &channel,
                        &instrument, event) == 6)
            triggers.push_back({time, instrument});
    }
    std::vector<Strike> strikes;
    for (const auto& [time, instrument] : triggers) {
        const bool flashes = instrument == SyncSlot::kCrash ||
                             instrument == SyncSlot::kSnareAccent ||
                             instrument == SyncSlot::kKickAccent;
        const double t = time - orderStart;
        if (flashes && t >= 0.0 && t < kSeconds - 0.1 &&
            (strikes.empty() || t - strikes.back().time > 1e-3))
            strikes.push_back({t});
    }
    return strikes;
}

TEST(VideoSync, EachFlashIsOnTheFrameOfItsHitAndTheSoundIsThere) {
    testsupport::TempDir dir;
    double orderStart = 0;
    const std::vector<Strike> strikes = flashStrikes(dir, orderStart);
    ASSERT_GE(strikes.size(), 6u);
    ASSERT_GT(orderStart, 0.0);

    const std::string clip = dir.file("clip.mkv");
    const auto run = testsupport::runCommand(
        std::string("SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ") + PALISADE_EXE +
        " --data " + PALISADE_DATA + " --window " + std::to_string(kWidth) + "x" +
        std::to_string(kHeight) + " --fps " + std::to_string(kFps) + " --start-order " +
        std::to_string(kStartOrder) + " --duration 4 --video " + clip + " 2>&1");
    ASSERT_EQ(run.status, 0) << run.out;

    // The frames as grey levels: the top logo bar's mean brightness does not move with its
    // scroll (it always shows one whole width of its picture), so what changes it is the
    // flash laid over the whole screen.
    const std::string grey = bytesOf("ffmpeg -v error -i " + clip + " -f rawvideo -pix_fmt gray -");
    const size_t frameBytes = size_t(kWidth) * kHeight;
    ASSERT_EQ(grey.size(), frameBytes * kFps * 4) << "frames in the file";
    const int barRows = kHeight * 60 / 480;
    std::vector<double> bar;
    for (size_t f = 0; f * frameBytes < grey.size(); ++f) {
        double sum = 0;
        for (int y = 0; y < barRows; ++y)
            for (int x = 0; x < kWidth; ++x)
                sum += static_cast<unsigned char>(grey[f * frameBytes + size_t(y) * kWidth + x]);
        bar.push_back(sum / (barRows * kWidth));
    }
    std::vector<int> flashFrames;
    for (size_t f = 1; f < bar.size(); ++f)
        if (bar[f] > bar[f - 1] + 4.0) flashFrames.push_back(static_cast<int>(f));
    if (bar[0] > bar[1]) flashFrames.insert(flashFrames.begin(), 0);

    // The sound, mono: a hit starts a burst of energy where its strike is.
    const std::string raw = bytesOf("ffmpeg -v error -i " + clip + " -f f32le -ac 1 -ar 44100 -");
    std::vector<float> sound(raw.size() / sizeof(float));
    std::memcpy(sound.data(), raw.data(), sound.size() * sizeof(float));
    EXPECT_NEAR(double(sound.size()) / kRate, kSeconds, 0.03) << "sound as long as the picture";
    auto energy = [&](double from, double to) {
        double e = 0;
        int n = 0;
        for (long i = std::lround(from * kRate); i < std::lround(to * kRate); ++i, ++n)
            if (i >= 0 && i < long(sound.size())) e += double(sound[i]) * sound[i];
        return n ? e / n : 0.0;
    };

    const double frame = 1.0 / kFps;
    for (const Strike& s : strikes) {
        // The first frame drawn at or after the hit shows its flash.
        const int expected = static_cast<int>(std::ceil(s.time * kFps - 1e-6));
        bool found = false;
        for (int f : flashFrames) found = found || std::abs(f - expected) <= 1;
        EXPECT_TRUE(found) << "no flash within a frame of the hit at " << s.time << " s";
        if (s.time > 0.05) {
            EXPECT_GT(energy(s.time, s.time + 0.02), 2.0 * energy(s.time - frame, s.time - 0.005))
                << "no onset in the sound at " << s.time << " s";
        }
    }
    for (int f : flashFrames) {
        bool hit = false;
        for (const Strike& s : strikes) hit = hit || std::abs(f - std::ceil(s.time * kFps)) <= 1;
        EXPECT_TRUE(hit) << "a flash at frame " << f << " without a hit";
    }
}

}  // namespace
