// image.h - float RGBA pictures and coverage masks, with the sampling, filtering and
// compositing that every painter of the generator shares.
//
// Rows run from the top of the picture down, as they are stored in the written files.
#pragma once

#include <functional>
#include <vector>

#include "tools/assetgen/color.h"

enum class Edge { Clamp, Wrap };

class Mask {
  public:
    Mask() = default;
    Mask(int width, int height, float fill = 0)
        : w_(width), h_(height), v_(size_t(width) * height, fill) {}

    int width() const { return w_; }
    int height() const { return h_; }
    float& at(int x, int y) { return v_[size_t(y) * w_ + x]; }
    float at(int x, int y) const { return v_[size_t(y) * w_ + x]; }
    float get(int x, int y, Edge edge) const;
    // Bilinear, in pixel units (pixel centres at .5).
    float sample(float x, float y, Edge edge) const;
    std::vector<float>& values() { return v_; }
    const std::vector<float>& values() const { return v_; }

  private:
    int w_ = 0, h_ = 0;
    std::vector<float> v_;
};

class Image {
  public:
    Image() = default;
    Image(int width, int height, Color fill = Color(0, 0, 0, 1))
        : w_(width), h_(height), px_(size_t(width) * height, fill) {}

    int width() const { return w_; }
    int height() const { return h_; }
    Color& at(int x, int y) { return px_[size_t(y) * w_ + x]; }
    const Color& at(int x, int y) const { return px_[size_t(y) * w_ + x]; }
    Color get(int x, int y, Edge edge) const;
    // Bilinear on premultiplied values, in pixel units (pixel centres at .5).
    Color sample(float x, float y, Edge edge) const;
    const std::vector<Color>& pixels() const { return px_; }

  private:
    int w_ = 0, h_ = 0;
    std::vector<Color> px_;
};

// Pixel shader over the whole picture: f(u, v) with u, v the pixel centre in 0..1 (v down).
void shade(Image& img, const std::function<Color(float u, float v)>& f);
// The same with n x n samples per pixel, for shaders with hard detail.
void shadeSupersampled(Image& img, int n, const std::function<Color(float u, float v)>& f);
// Per-pixel modification of what is there: f(old colour, u, v).
void modify(Image& img, const std::function<Color(Color, float u, float v)>& f);

// Paints colour (its alpha scaled by the coverage) over the picture; the mask's (0, 0)
// lands on (ox, oy).
void compositeMask(Image& img, const Mask& mask, int ox, int oy, Color color);
void compositeMask(Image& img, const Mask& mask, int ox, int oy,
                   const std::function<Color(int x, int y)>& color);
// Adds light through a mask (colour times coverage times k), for glows on opaque pictures.
void addMask(Image& img, const Mask& mask, int ox, int oy, Color color, float k = 1);
// Source-over of a whole picture at an offset.
void compositeImage(Image& dst, const Image& src, int ox, int oy);

// Separable Gaussian blur; sigma in pixels.
Mask blur(const Mask& m, float sigma, Edge edge = Edge::Clamp);
Image blur(const Image& img, float sigma, Edge edge = Edge::Clamp);
// Resizes by area averaging on premultiplied colour: each target pixel is the mean of the
// source area it covers. Used to bring pictures drawn at their on-screen aspect to the
// power-of-two sizes the textures need.
Image resample(const Image& img, int width, int height, Edge edge = Edge::Clamp);
Mask resample(const Mask& m, int width, int height);

// Mask algebra.
Mask maskMax(const Mask& a, const Mask& b);
void scaleMask(Mask& m, float k);
// Coverage pushed through a curve: clamp((m - lo) / (hi - lo)).
Mask levels(const Mask& m, float lo, float hi);
// A mask placed on a larger canvas (for glows that extend beyond the text).
Mask pad(const Mask& m, int border);
