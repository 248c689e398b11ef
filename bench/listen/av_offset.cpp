// av_offset: how far the picture's flashes lie from the sound of their hits in a recording of
// the screen and the sound card together.
//
// The lockstep export of the same span is the truth: its flashes start on the frames of their
// hits. The recording's sound is lined up with the export's, which gives, for every flash of
// the export, the moment its hit was heard in the recording; the flash seen nearest that
// moment (after one offset for the whole recording is found) gives the flash's offset.
// Positive: the picture comes after the sound.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/listen/sound_match.h"

namespace {

constexpr int kSide = 32;          // frames are looked at as 32 x 32 grey pictures
constexpr double kFlashRise = 15;  // a frame this much brighter than the one before
constexpr double kFar = 1.0;       // the whole recording's offset lies within this, seconds
constexpr double kNear = 0.05;     // and each flash within this of it

std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[65536];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
    return out;
}

struct Clip {
    std::vector<double> frameTimes;  // of each video frame, in the file's time
    std::vector<double> brightness;  // mean grey of each frame
    std::vector<float> sound;        // mono, 44100 Hz
    double soundStart = 0.0;         // the file's time of the first sample
};

// The picture of one file and the sound of another (or the same), in their files' times.
bool load(const std::string& path, const std::string& soundPath, Clip& clip) {
    const std::string quoted = "'" + path + "'", soundQuoted = "'" + soundPath + "'";
    const std::string times =
        run("ffprobe -v error -select_streams v:0 -show_entries "
            "frame=pts_time -of csv=p=0 " +
            quoted);
    for (const char* p = times.c_str(); *p;) {
        char* end = nullptr;
        const double t = std::strtod(p, &end);
        if (end == p) break;
        clip.frameTimes.push_back(t);
        p = end;
        while (*p == '\n' || *p == ',' || *p == '\r') ++p;
    }
    const std::string grey =
        run("ffmpeg -nostdin -v error -i " + quoted +
            " -map 0:v:0 -fps_mode passthrough -vf scale=" + std::to_string(kSide) + ":" +
            std::to_string(kSide) + ",format=gray -f rawvideo -");
    const size_t frame = kSide * kSide;
    for (size_t at = 0; at + frame <= grey.size(); at += frame) {
        double sum = 0.0;
        for (size_t i = 0; i < frame; ++i) sum += static_cast<unsigned char>(grey[at + i]);
        clip.brightness.push_back(sum / frame);
    }
    const std::string start =
        run("ffprobe -v error -select_streams a:0 -show_entries "
            "stream=start_time -of csv=p=0 " +
            soundQuoted);
    clip.soundStart = std::atof(start.c_str());
    const std::string raw = run("ffmpeg -nostdin -v error -i " + soundQuoted +
                                " -map 0:a:0 -ac 1 -ar 44100 -f f32le -");
    clip.sound.resize(raw.size() / sizeof(float));
    std::copy_n(reinterpret_cast<const float*>(raw.data()), clip.sound.size(), clip.sound.data());
    const size_t frames = std::min(clip.frameTimes.size(), clip.brightness.size());
    clip.frameTimes.resize(frames);
    clip.brightness.resize(frames);
    if (frames < 2 || clip.sound.empty()) {
        std::fprintf(stderr, "av_offset: no picture in %s or no sound in %s that ffmpeg reads\n",
                     path.c_str(), soundPath.c_str());
        return false;
    }
    return true;
}

// The times of the frames that are much brighter than the one before.
std::vector<double> flashes(const Clip& clip) {
    std::vector<double> out;
    for (size_t i = 1; i < clip.brightness.size(); ++i)
        if (clip.brightness[i] - clip.brightness[i - 1] > kFlashRise)
            out.push_back(clip.frameTimes[i]);
    return out;
}

double nearest(const std::vector<double>& times, double t) {
    auto it = std::lower_bound(times.begin(), times.end(), t);
    double best = 1e9;
    if (it != times.end()) best = *it - t;
    if (it != times.begin() && t - *(it - 1) < std::fabs(best)) best = *(it - 1) - t;
    return best;
}

// Keeps only what the recording holds between the file times from and to.
void keepSpan(Clip& clip, double from, double to) {
    std::vector<double> times, brightness;
    for (size_t i = 0; i < clip.frameTimes.size(); ++i) {
        if (clip.frameTimes[i] < from || clip.frameTimes[i] > to) continue;
        times.push_back(clip.frameTimes[i]);
        brightness.push_back(clip.brightness[i]);
    }
    clip.frameTimes.swap(times);
    clip.brightness.swap(brightness);
    const auto sample = [&](double t) {
        const double at = std::round((t - clip.soundStart) * listen::kRate);
        return static_cast<size_t>(std::clamp(at, 0.0, double(clip.sound.size())));
    };
    const size_t first = sample(from), last = std::max(first, sample(to));
    clip.sound = std::vector<float>(clip.sound.begin() + first, clip.sound.begin() + last);
    clip.soundStart += double(first) / listen::kRate;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char** argv) {
    double from = -1e300, to = 1e300;
    if (argc == 7 && std::string(argv[1]) == "--span") {
        from = std::atof(argv[2]);
        to = std::atof(argv[3]);
        argv += 3;
        argc -= 3;
    }
    if (argc != 4 || std::string(argv[1]) == "--help") {
        std::printf(
            "Usage: av_offset [--span FROM TO] SCREEN SOUND EXPORT\n"
            "SCREEN and SOUND are the screen and the sound card recorded at the same time while\n"
            "the span played, their timestamps on the same clock (ffmpeg -copyts); EXPORT is\n"
            "the lockstep video of the same span (palisade --video). --span looks only at\n"
            "the recording's times from FROM to TO (seconds, as stamped). Prints\n"
            "each flash's offset from its hit and their median, in ms (positive: the picture\n"
            "after the sound); AV_OFFSET_EACH=1 also prints each flash's as 'offset MS'.\n"
            "Exit status 0, 1 when the files do not line up, 2 for a usage error.\n");
        return argc == 2 ? 0 : 2;
    }
    Clip recording, truth;
    if (!load(argv[1], argv[2], recording) || !load(argv[3], argv[3], truth)) return 1;
    keepSpan(recording, from, to);
    if (recording.frameTimes.size() < 2 || recording.sound.empty()) {
        std::printf("the recording holds nothing between %.3f and %.3f\n", from, to);
        return 1;
    }
    long start = 0;
    if (!listen::findStart(recording.sound, truth.sound, start)) {
        std::printf("the export's sound was not found in the recording\n");
        return 1;
    }
    // Where each of the export's flashes was heard in the recording's time.
    const double shift = recording.soundStart + double(start) / listen::kRate - truth.soundStart;
    std::vector<double> heard;
    for (double t : flashes(truth)) heard.push_back(t + shift);
    const std::vector<double> seen = flashes(recording);
    // One offset for the whole recording: the one that pairs the most flashes within 20 ms.
    double offset = 0.0;
    int bestCount = -1;
    for (double o = -kFar; o <= kFar; o += 0.001) {
        int count = 0;
        for (double h : heard) count += std::fabs(nearest(seen, h + o)) < 0.02;
        if (count > bestCount) bestCount = count, offset = o;
    }
    std::vector<double> offsets;
    for (double h : heard) {
        if (h < recording.frameTimes.front() || h > recording.frameTimes.back()) continue;
        const double d = nearest(seen, h + offset);
        if (std::fabs(d) < kNear) offsets.push_back((offset + d) * 1000.0);
    }
    if (offsets.empty()) {
        std::printf("no flash of the export was seen in the recording\n");
        return 1;
    }
    std::printf("%zu of %zu flashes seen; offset median %.1f ms, 10%% %.1f ms, 90%% %.1f ms\n",
                offsets.size(), heard.size(), percentile(offsets, 0.5), percentile(offsets, 0.1),
                percentile(offsets, 0.9));
    if (std::getenv("AV_OFFSET_EACH"))
        for (double o : offsets) std::printf("offset %.1f\n", o);
    return 0;
}
