// parts.h - the twelve parts of the production, one per stretch of the song.
//
// Each draws one complete frame over the cleared screen and ends with the shared overlay.
// time is the frame clock's time in seconds (some parts shift it by a multiple of the accent
// count so every accent makes their animation jump); frameTime the previous frame's duration.
#pragma once

using PartFunction = void (*)(float time, float frameTime);

void partTubeIntro(float time, float frameTime);     // orders 0-3
void partTubeArrows(float time, float frameTime);    // orders 4-6
void partTitle(float time, float frameTime);         // order 7
void partTwistTorus(float time, float frameTime);    // orders 8-9
void partMetaballs(float time, float frameTime);     // order 10
void partSpheres(float time, float frameTime);       // orders 11-12
void partArrowShock(float time, float frameTime);    // orders 13-15
void partHeart(float time, float frameTime);         // orders 16-19
void partZoomFeedback(float time, float frameTime);  // orders 20-21
void partEnvCube(float time, float frameTime);       // orders 22-23
void partShockwave(float time, float frameTime);     // orders 24-25
void partCredits(float time, float frameTime);       // orders 26-31

// Time shifted by k per accent hit (the snare and kick accents together).
float accentShiftedTime(float time, float k);

// A letterbox picture: the named texture over the band between the logo bars.
void drawLetterbox(const char* textureName);

// Every part but one brackets its drawing with a push of all attribute groups.
constexpr unsigned kAllAttributeGroups = 0xFFFFF;
