// spectrogram.cpp - short-time spectra averaged into columns, coloured on a dB scale.
#include "tools/musicgen/spectrogram.h"

#include <IL/il.h>
#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>

#include "tools/musicgen/dsp.h"

namespace {

constexpr int kWindow = 4096;
constexpr int kHop = 1024;
constexpr double kLowHz = 30.0;
constexpr double kHighHz = 20000.0;
constexpr double kRangeDb = 72.0;  // from black to the brightest colour
constexpr double kSteps = 48.0;

struct Rgb {
    double r, g, b;
};

// Black through indigo, crimson and orange to pale yellow.
Rgb heat(double v) {
    static const Rgb kStops[] = {{0, 0, 0},          {0.10, 0.03, 0.28}, {0.45, 0.06, 0.45},
                                 {0.80, 0.18, 0.30}, {0.98, 0.50, 0.10}, {1.0, 0.85, 0.35},
                                 {1.0, 1.0, 0.85}};
    const int last = static_cast<int>(sizeof kStops / sizeof kStops[0]) - 1;
    v = std::clamp(v, 0.0, 1.0) * last;
    const int i = std::min(last - 1, static_cast<int>(v));
    const double f = v - i;
    return {kStops[i].r + (kStops[i + 1].r - kStops[i].r) * f,
            kStops[i].g + (kStops[i + 1].g - kStops[i].g) * f,
            kStops[i].b + (kStops[i + 1].b - kStops[i].b) * f};
}

void put(Picture& p, int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= p.width || y >= p.height) return;
    uint8_t* px = &p.rgb[3 * (static_cast<size_t>(y) * p.width + x)];
    px[0] = static_cast<uint8_t>(std::lround(std::clamp(c.r, 0.0, 1.0) * 255));
    px[1] = static_cast<uint8_t>(std::lround(std::clamp(c.g, 0.0, 1.0) * 255));
    px[2] = static_cast<uint8_t>(std::lround(std::clamp(c.b, 0.0, 1.0) * 255));
}

// Power spectra (kWindow / 2 + 1 bins) of the mono mix every kHop frames, relative to a
// full-scale sine.
std::vector<std::vector<float>> spectra(const std::vector<float>& pcm) {
    const size_t frames = pcm.size() / 2;
    std::vector<float> window(kWindow), in(kWindow);
    for (int i = 0; i < kWindow; ++i) {
        window[static_cast<size_t>(i)] =
            static_cast<float>(0.5 - 0.5 * std::cos(dsp::kTwoPi * i / (kWindow - 1)));
    }
    kiss_fftr_cfg fft = kiss_fftr_alloc(kWindow, 0, nullptr, nullptr);
    std::vector<kiss_fft_cpx> bins(kWindow / 2 + 1);
    const double reference = (kWindow / 4.0) * (kWindow / 4.0);
    std::vector<std::vector<float>> out;
    for (size_t start = 0; start < frames; start += kHop) {
        for (int i = 0; i < kWindow; ++i) {
            const size_t f = start + static_cast<size_t>(i);
            const float mono = f < frames ? 0.5f * (pcm[2 * f] + pcm[2 * f + 1]) : 0.0f;
            in[static_cast<size_t>(i)] = mono * window[static_cast<size_t>(i)];
        }
        kiss_fftr(fft, in.data(), bins.data());
        std::vector<float> power(bins.size());
        for (size_t b = 0; b < bins.size(); ++b) {
            power[b] =
                static_cast<float>((bins[b].r * bins[b].r + bins[b].i * bins[b].i) / reference);
        }
        out.push_back(std::move(power));
    }
    kiss_fftr_free(fft);
    return out;
}

}  // namespace

Picture drawSpectrogram(const std::vector<float>& pcm, int rate, int width, int height,
                        const SpectrogramMarks& marks) {
    Picture p;
    const int strip = height / 4;
    p.width = std::max(1, width);
    p.height = std::max(1, height) + strip;
    p.rgb.assign(3 * static_cast<size_t>(p.width) * p.height, 0);
    const size_t frames = pcm.size() / 2;
    if (frames == 0) return p;
    const double seconds = static_cast<double>(frames) / rate;
    const std::vector<std::vector<float>> s = spectra(pcm);
    const double binHz = static_cast<double>(rate) / kWindow;
    const int bins = kWindow / 2 + 1;

    // The brightest colour goes to the loudest cells but a few, so that the picture uses its
    // whole scale whatever the song's level.
    std::vector<float> db(static_cast<size_t>(p.width) * height);
    for (int x = 0; x < p.width; ++x) {
        // The spectra whose windows start in this column, averaged.
        const size_t first = static_cast<size_t>(static_cast<double>(x) / p.width * s.size());
        const size_t last = std::max(
            first + 1, static_cast<size_t>(static_cast<double>(x + 1) / p.width * s.size()));
        for (int y = 0; y < height; ++y) {
            const double top = 1.0 - static_cast<double>(y) / height;
            const double bottom = 1.0 - static_cast<double>(y + 1) / height;
            const double hiHz = kLowHz * std::pow(kHighHz / kLowHz, top);
            const double loHz = kLowHz * std::pow(kHighHz / kLowHz, bottom);
            int b0 = static_cast<int>(std::floor(loHz / binHz));
            int b1 = static_cast<int>(std::ceil(hiHz / binHz));
            b0 = std::clamp(b0, 0, bins - 1);
            b1 = std::clamp(std::max(b1, b0 + 1), 1, bins);
            double power = 0.0;
            for (size_t f = first; f < last && f < s.size(); ++f) {
                double band = 0.0;
                for (int b = b0; b < b1; ++b) band = std::max(band, double(s[f][size_t(b)]));
                power += band;
            }
            power /= static_cast<double>(last - first);
            db[static_cast<size_t>(y) * p.width + x] =
                static_cast<float>(10.0 * std::log10(power + 1e-30));
        }
        // Level strip: peak (dim) and RMS (bright), mirrored about its middle, on a dB scale.
        const size_t f0 = static_cast<size_t>(static_cast<double>(x) / p.width * frames);
        const size_t f1 =
            std::max(f0 + 1, static_cast<size_t>(static_cast<double>(x + 1) / p.width * frames));
        double peak = 0.0, sum = 0.0;
        for (size_t f = f0; f < f1 && f < frames; ++f) {
            for (int c = 0; c < 2; ++c) {
                const double v = pcm[2 * f + static_cast<size_t>(c)];
                peak = std::max(peak, std::fabs(v));
                sum += v * v;
            }
        }
        const double rms = std::sqrt(sum / (2.0 * static_cast<double>(f1 - f0)));
        const auto reach = [&](double v) {  // -60 dB .. 0 dB over half the strip
            const double level = v > 0 ? 20.0 * std::log10(v) : -200.0;
            return std::clamp((level + 60.0) / 60.0, 0.0, 1.0) * (strip / 2 - 1);
        };
        const int mid = height + strip / 2;
        for (int dy = 0; dy <= static_cast<int>(reach(peak)); ++dy) {
            const Rgb c = peak >= 1.0 ? Rgb{1, 0.1, 0.1} : Rgb{0.16, 0.30, 0.40};
            put(p, x, mid - dy, c);
            put(p, x, mid + dy, c);
        }
        for (int dy = 0; dy <= static_cast<int>(reach(rms)); ++dy) {
            put(p, x, mid - dy, {0.45, 0.75, 0.9});
            put(p, x, mid + dy, {0.45, 0.75, 0.9});
        }
    }
    std::vector<float> sorted(db);
    const size_t brightest = sorted.size() - 1 - sorted.size() / 500;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(brightest), sorted.end());
    const double top = sorted[brightest];
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const double v = db[static_cast<size_t>(y) * p.width + x];
            // In steps of 1.5 dB: finer than the eye tells apart, and a picture that packs well.
            const double level = std::floor((v - (top - kRangeDb)) / kRangeDb * kSteps) / kSteps;
            put(p, x, y, heat(level));
        }
    }
    // Order ticks along both edges of the spectrum, longer where the pictures change.
    const auto tick = [&](double t, int length, Rgb c) {
        const int x = static_cast<int>(std::lround(t / seconds * p.width));
        for (int y = 0; y < length; ++y) {
            for (int dx = 0; dx < 2; ++dx) {
                put(p, x + dx, y, c);
                put(p, x + dx, height - 1 - y, c);
            }
        }
    };
    for (double t : marks.orders) tick(t, height / 40, {0.7, 0.7, 0.7});
    for (double t : marks.parts) tick(t, height / 12, {1, 1, 1});
    // Frequency ticks at 100 Hz, 1 kHz and 10 kHz on the left edge.
    for (double hz : {100.0, 1000.0, 10000.0}) {
        const int y = static_cast<int>(
            std::lround((1.0 - std::log(hz / kLowHz) / std::log(kHighHz / kLowHz)) * height));
        for (int x = 0; x < 12; ++x) {
            put(p, x, y, {1, 1, 1});
            put(p, x, y + 1, {1, 1, 1});
        }
    }
    return p;
}

bool writePng(const Picture& picture, const std::string& path, std::string& error) {
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilEnable(IL_FILE_OVERWRITE);
    // DevIL keeps its rows from the bottom up; ours run from the top.
    const size_t stride = 3 * static_cast<size_t>(picture.width);
    std::vector<uint8_t> rows(picture.rgb.size());
    for (int y = 0; y < picture.height; ++y) {
        std::copy_n(&picture.rgb[static_cast<size_t>(picture.height - 1 - y) * stride], stride,
                    &rows[static_cast<size_t>(y) * stride]);
    }
    bool ok = ilTexImage(static_cast<ILuint>(picture.width), static_cast<ILuint>(picture.height), 1,
                         3, IL_RGB, IL_UNSIGNED_BYTE, rows.data()) == IL_TRUE;
    if (ok) ok = ilSave(IL_PNG, path.c_str()) == IL_TRUE;
    if (!ok) error = "DevIL cannot write " + path + " (error " + std::to_string(ilGetError()) + ")";
    ilDeleteImages(1, &image);
    return ok;
}
