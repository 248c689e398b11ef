// spectrogram.h - a picture of the whole song: frequency (log scale, 30 Hz to 20 kHz) over
// time, with the order boundaries ticked along the edges and the level (peak and RMS)
// drawn in a strip underneath.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // rows from the top
};

struct SpectrogramMarks {
    std::vector<double> orders;  // seconds of each order's start: short ticks
    std::vector<double> parts;   // seconds where the pictures change: long ticks
};

// pcm is interleaved stereo at `rate`. The spectrum takes `height` rows; the level strip
// adds a quarter of that below it.
Picture drawSpectrogram(const std::vector<float>& pcm, int rate, int width, int height,
                        const SpectrogramMarks& marks);

// Writes the picture as PNG through DevIL.
bool writePng(const Picture& picture, const std::string& path, std::string& error);
