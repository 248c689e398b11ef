// style.h - the production's house style: one palette, one type treatment and the few motifs
// (stakes of a palisade, chevrons, thin amber rules) that every picture draws from.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

#include "tools/assetgen/font.h"
#include "tools/assetgen/image.h"

namespace palette {
constexpr Color ink = Color::hex(0x070A18);     // the darkest ground
constexpr Color night = Color::hex(0x111A3A);   // panels and bars
constexpr Color indigo = Color::hex(0x25306E);  // lit panels
constexpr Color violet = Color::hex(0x4B3A8C);
constexpr Color teal = Color::hex(0x1CB3C8);   // the cool accent
constexpr Color ice = Color::hex(0xC6F3FF);    // highlights
constexpr Color amber = Color::hex(0xFFB23E);  // the warm accent, rules and type
constexpr Color ember = Color::hex(0xFF6A2C);
constexpr Color rose = Color::hex(0xE8466E);  // the love part
constexpr Color bone = Color::hex(0xF5F0E6);  // white type
constexpr Color moss = Color::hex(0x3FC98A);  // the green reflections
}  // namespace palette

// Piecewise-linear colour ramp over t in 0..1.
Color ramp(std::initializer_list<std::pair<float, Color>> stops, float t);

// Fine luminance noise against banding in smooth gradients (JPEG and 8-bit quantisation).
void addGrain(Image& img, float amount, unsigned seed);
// Darkens towards the corners by up to `strength`.
void vignette(Image& img, float strength);

// The palisade: a row of pointed stakes across the picture, in picture pixels. `period` is
// the stake pitch; heights vary a little per stake. Returns the signed distance.
float palisadeSdf(float x, float y, float period, float baseY, float topY, float seed);

// The group's emblem in two dimensions, as the 3-D logo shows it: a ring (radius `scale`)
// around a chevron, crowned by three stakes. Picture coordinates, y down.
struct EmblemDistance {
    float ring, chevron;
};
EmblemDistance emblemSdf(float x, float y, float cx, float cy, float scale);

// The type treatment: bold sans capitals with open tracking.
TextStyle houseType(float size);
TextStyle houseSmallType(float size);
std::string upper(const std::string& s);

// Paints a text run centred on (cx, baselineY) with a two-stop vertical fill.
void drawText(Image& img, const TextRun& run, float cx, float baselineY, Color top, Color bottom);
// The same with a soft glow of the given colour and radius behind the letters.
void drawGlowText(Image& img, const TextRun& run, float cx, float baselineY, Color top,
                  Color bottom, Color glow, float glowRadius, float glowStrength);

// The frame shared by the letterbox backdrops: thin amber rules along the top and bottom
// edges with tick marks at the corners.
void letterboxFrame(Image& img);
