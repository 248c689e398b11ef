// parts.h - what the twelve parts of the production share (each is a row of part_table.h).
//
// Each draws one complete frame over the cleared screen and ends with the shared overlay.
// time is the frame clock's time in seconds (some parts shift it by a multiple of the accent
// count so every accent makes their animation jump); frameTime the previous frame's duration.
#pragma once

using PartFunction = void (*)(float time, float frameTime);

// Time shifted by k per accent hit (the snare and kick accents together).
float accentShiftedTime(float time, float k);

// Seconds since the part being drawn began. A part begins where its first order begins in the
// song, whether it was reached from the top or by a jump (a jump draws what a run from the top
// draws); without a song that knows it, at the part's first frame. The director sets the start
// before it draws a part.
float partSeconds(float time);
void setPartStart(float seconds);

// A letterbox picture: the named texture over the band between the logo bars.
void drawLetterbox(const char* textureName);

// Every part but one brackets its drawing with a push of all attribute groups.
constexpr unsigned kAllAttributeGroups = 0xFFFFF;
