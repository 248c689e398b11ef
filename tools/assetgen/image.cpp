#include "tools/assetgen/image.h"

#include <cmath>

namespace {

int wrapIndex(int i, int n) {
    i %= n;
    return i < 0 ? i + n : i;
}
int edgeIndex(int i, int n, Edge edge) {
    if (edge == Edge::Wrap) return wrapIndex(i, n);
    return i < 0 ? 0 : (i >= n ? n - 1 : i);
}

Color premultiply(Color c) {
    return Color(c.r * c.a, c.g * c.a, c.b * c.a, c.a);
}
Color unpremultiply(Color c) {
    if (c.a <= 1e-6f) return Color(0, 0, 0, 0);
    return Color(c.r / c.a, c.g / c.a, c.b / c.a, c.a);
}

std::vector<float> gaussianKernel(float sigma) {
    int radius = int(std::ceil(sigma * 3));
    if (radius < 1) radius = 1;
    std::vector<float> k(2 * radius + 1);
    float sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        k[i + radius] = std::exp(-0.5f * i * i / (sigma * sigma));
        sum += k[i + radius];
    }
    for (float& v : k) v /= sum;
    return k;
}

// One pass of a separable filter over n channels of interleaved floats.
template <int N>
void convolve(std::vector<float>& data, int w, int h, const std::vector<float>& k, bool horizontal,
              Edge edge) {
    int radius = int(k.size() / 2);
    std::vector<float> out(data.size());
    int lines = horizontal ? h : w, len = horizontal ? w : h;
    for (int line = 0; line < lines; ++line) {
        for (int i = 0; i < len; ++i) {
            float acc[N] = {};
            for (int j = -radius; j <= radius; ++j) {
                int s = edgeIndex(i + j, len, edge);
                size_t idx = horizontal ? (size_t(line) * w + s) : (size_t(s) * w + line);
                for (int c = 0; c < N; ++c) acc[c] += data[idx * N + c] * k[j + radius];
            }
            size_t o = horizontal ? (size_t(line) * w + i) : (size_t(i) * w + line);
            for (int c = 0; c < N; ++c) out[o * N + c] = acc[c];
        }
    }
    data.swap(out);
}

// Weights of the source cells [a, b) overlaps, for area resampling along one axis.
struct Span {
    int first;
    std::vector<float> weights;
};
std::vector<Span> areaSpans(int from, int to) {
    std::vector<Span> spans(to);
    double scale = double(from) / to;
    for (int i = 0; i < to; ++i) {
        double a = i * scale, b = (i + 1) * scale;
        if (scale < 1) {
            // Enlarging: bilinear between the two nearest source centres.
            double c = (i + 0.5) * scale - 0.5;
            int i0 = int(std::floor(c));
            float f = float(c - i0);
            spans[i].first = i0;
            spans[i].weights = {1 - f, f};
            continue;
        }
        int i0 = int(std::floor(a)), i1 = int(std::ceil(b));
        spans[i].first = i0;
        for (int s = i0; s < i1; ++s) {
            double lo = std::max(a, double(s)), hi = std::min(b, double(s + 1));
            spans[i].weights.push_back(float((hi - lo) / scale));
        }
    }
    return spans;
}

template <int N>
std::vector<float> resampleChannels(const std::vector<float>& src, int w, int h, int nw, int nh,
                                    Edge edge) {
    std::vector<Span> sx = areaSpans(w, nw), sy = areaSpans(h, nh);
    std::vector<float> mid(size_t(nw) * h * N, 0), out(size_t(nw) * nh * N, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < nw; ++x)
            for (size_t j = 0; j < sx[x].weights.size(); ++j) {
                int s = edgeIndex(sx[x].first + int(j), w, edge);
                for (int c = 0; c < N; ++c)
                    mid[(size_t(y) * nw + x) * N + c] +=
                        src[(size_t(y) * w + s) * N + c] * sx[x].weights[j];
            }
    for (int y = 0; y < nh; ++y)
        for (size_t j = 0; j < sy[y].weights.size(); ++j) {
            int s = edgeIndex(sy[y].first + int(j), h, edge);
            for (int x = 0; x < nw; ++x)
                for (int c = 0; c < N; ++c)
                    out[(size_t(y) * nw + x) * N + c] +=
                        mid[(size_t(s) * nw + x) * N + c] * sy[y].weights[j];
        }
    return out;
}

std::vector<float> toPremultiplied(const Image& img) {
    std::vector<float> d(size_t(img.width()) * img.height() * 4);
    for (size_t i = 0; i < img.pixels().size(); ++i) {
        Color c = premultiply(img.pixels()[i]);
        d[i * 4] = c.r, d[i * 4 + 1] = c.g, d[i * 4 + 2] = c.b, d[i * 4 + 3] = c.a;
    }
    return d;
}
Image fromPremultiplied(const std::vector<float>& d, int w, int h) {
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float* p = &d[(size_t(y) * w + x) * 4];
            img.at(x, y) = unpremultiply(Color(p[0], p[1], p[2], p[3]));
        }
    return img;
}

}  // namespace

float Mask::get(int x, int y, Edge edge) const {
    return at(edgeIndex(x, w_, edge), edgeIndex(y, h_, edge));
}

float Mask::sample(float x, float y, Edge edge) const {
    float fx = x - 0.5f, fy = y - 0.5f;
    int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
    float tx = fx - x0, ty = fy - y0;
    float a = lerp(get(x0, y0, edge), get(x0 + 1, y0, edge), tx);
    float b = lerp(get(x0, y0 + 1, edge), get(x0 + 1, y0 + 1, edge), tx);
    return lerp(a, b, ty);
}

Color Image::get(int x, int y, Edge edge) const {
    return at(edgeIndex(x, w_, edge), edgeIndex(y, h_, edge));
}

Color Image::sample(float x, float y, Edge edge) const {
    float fx = x - 0.5f, fy = y - 0.5f;
    int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
    float tx = fx - x0, ty = fy - y0;
    Color c00 = premultiply(get(x0, y0, edge)), c10 = premultiply(get(x0 + 1, y0, edge));
    Color c01 = premultiply(get(x0, y0 + 1, edge)), c11 = premultiply(get(x0 + 1, y0 + 1, edge));
    return unpremultiply(mix(mix(c00, c10, tx), mix(c01, c11, tx), ty));
}

void shade(Image& img, const std::function<Color(float, float)>& f) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.at(x, y) = f((x + 0.5f) / img.width(), (y + 0.5f) / img.height());
}

void shadeSupersampled(Image& img, int n, const std::function<Color(float, float)>& f) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            Color acc(0, 0, 0, 0);
            for (int j = 0; j < n; ++j)
                for (int i = 0; i < n; ++i) {
                    Color c = premultiply(
                        f((x + (i + 0.5f) / n) / img.width(), (y + (j + 0.5f) / n) / img.height()));
                    acc = Color(acc.r + c.r, acc.g + c.g, acc.b + c.b, acc.a + c.a);
                }
            float k = 1.0f / (n * n);
            img.at(x, y) = unpremultiply(Color(acc.r * k, acc.g * k, acc.b * k, acc.a * k));
        }
}

void modify(Image& img, const std::function<Color(Color, float, float)>& f) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.at(x, y) = f(img.at(x, y), (x + 0.5f) / img.width(), (y + 0.5f) / img.height());
}

void compositeMask(Image& img, const Mask& mask, int ox, int oy,
                   const std::function<Color(int, int)>& color) {
    for (int y = 0; y < mask.height(); ++y) {
        int ty = y + oy;
        if (ty < 0 || ty >= img.height()) continue;
        for (int x = 0; x < mask.width(); ++x) {
            int tx = x + ox;
            float m = mask.at(x, y);
            if (tx < 0 || tx >= img.width() || m <= 0) continue;
            Color c = color(tx, ty);
            c.a *= clamp01(m);
            img.at(tx, ty) = over(img.at(tx, ty), c);
        }
    }
}

void compositeMask(Image& img, const Mask& mask, int ox, int oy, Color color) {
    compositeMask(img, mask, ox, oy, [color](int, int) { return color; });
}

void addMask(Image& img, const Mask& mask, int ox, int oy, Color color, float k) {
    for (int y = 0; y < mask.height(); ++y) {
        int ty = y + oy;
        if (ty < 0 || ty >= img.height()) continue;
        for (int x = 0; x < mask.width(); ++x) {
            int tx = x + ox;
            if (tx < 0 || tx >= img.width()) continue;
            img.at(tx, ty) = addLight(img.at(tx, ty), color, mask.at(x, y) * k * color.a);
        }
    }
}

void compositeImage(Image& dst, const Image& src, int ox, int oy) {
    for (int y = 0; y < src.height(); ++y) {
        int ty = y + oy;
        if (ty < 0 || ty >= dst.height()) continue;
        for (int x = 0; x < src.width(); ++x) {
            int tx = x + ox;
            if (tx < 0 || tx >= dst.width()) continue;
            dst.at(tx, ty) = over(dst.at(tx, ty), src.at(x, y));
        }
    }
}

Mask blur(const Mask& m, float sigma, Edge edge) {
    Mask out = m;
    if (sigma <= 0) return out;
    std::vector<float> k = gaussianKernel(sigma);
    convolve<1>(out.values(), m.width(), m.height(), k, true, edge);
    convolve<1>(out.values(), m.width(), m.height(), k, false, edge);
    return out;
}

Image blur(const Image& img, float sigma, Edge edge) {
    if (sigma <= 0) return img;
    std::vector<float> d = toPremultiplied(img);
    std::vector<float> k = gaussianKernel(sigma);
    convolve<4>(d, img.width(), img.height(), k, true, edge);
    convolve<4>(d, img.width(), img.height(), k, false, edge);
    return fromPremultiplied(d, img.width(), img.height());
}

Image resample(const Image& img, int width, int height, Edge edge) {
    std::vector<float> d =
        resampleChannels<4>(toPremultiplied(img), img.width(), img.height(), width, height, edge);
    return fromPremultiplied(d, width, height);
}

Mask resample(const Mask& m, int width, int height) {
    Mask out(width, height);
    out.values() =
        resampleChannels<1>(m.values(), m.width(), m.height(), width, height, Edge::Clamp);
    return out;
}

Mask maskMax(const Mask& a, const Mask& b) {
    Mask out = a;
    for (size_t i = 0; i < out.values().size(); ++i)
        out.values()[i] = std::max(a.values()[i], b.values()[i]);
    return out;
}

void scaleMask(Mask& m, float k) {
    for (float& v : m.values()) v *= k;
}

Mask levels(const Mask& m, float lo, float hi) {
    Mask out = m;
    for (float& v : out.values()) v = clamp01((v - lo) / (hi - lo));
    return out;
}

Mask pad(const Mask& m, int border) {
    Mask out(m.width() + 2 * border, m.height() + 2 * border);
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x) out.at(x + border, y + border) = m.at(x, y);
    return out;
}
