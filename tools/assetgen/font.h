// font.h - text set with FreeType from the DejaVu faces of fonts-dejavu-core.
#pragma once

#include <string>

#include "tools/assetgen/image.h"

enum class Typeface { Sans, SansBold, Mono, MonoBold, Serif, SerifBold };

struct TextStyle {
    Typeface face = Typeface::SansBold;
    float size = 32;       // em height in pixels
    float widthScale = 1;  // < 1 condenses the letters horizontally
    float tracking = 0;    // extra space after each letter, in ems
};

// A run of text as coverage. The mask is padded by `padding` pixels on every side; the
// baseline of the text is at row `baseline`, its pen starts at column `padding`.
struct TextRun {
    Mask mask;
    int baseline = 0;
    float advance = 0;  // pen advance in pixels, without padding
    float ascent = 0;   // of the capitals and ascenders actually set
};

class Fonts {
  public:
    Fonts();
    ~Fonts();
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    // Opens every face from the directory; false (with a message on stderr) when one is
    // missing.
    bool open(const std::string& directory);

    TextRun render(const std::string& utf8, const TextStyle& style, int padding = 0) const;
    // Pen advance without rendering.
    float measure(const std::string& utf8, const TextStyle& style) const;

    static const char* fileName(Typeface face);

  private:
    struct Impl;
    Impl* impl_;
};

// A text run scaled to fill a box: picks the size at which the advance equals width
// (capped at maxSize).
TextStyle fitWidth(const Fonts& fonts, const std::string& text, TextStyle style, float width,
                   float maxSize);
