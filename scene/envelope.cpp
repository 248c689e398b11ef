#include "scene/envelope.h"

#include <algorithm>
#include <cmath>

namespace {

// The tangent leaving keys[i] towards keys[i + 1], by the shape of keys[i].
double outgoing(const std::vector<EnvelopeKey>& keys, size_t i) {
    const EnvelopeKey& k0 = keys[i];
    const EnvelopeKey& k1 = keys[i + 1];
    const double d = double(k1.value) - k0.value;
    const EnvelopeKey* prev = i > 0 ? &keys[i - 1] : nullptr;
    const double s =
        prev ? (double(k1.time) - k0.time) * (1.0 / (double(k1.time) - prev->time)) : 0;
    switch (k0.shape) {
        case kShapeTCB: {
            const double t = k0.p[0], c = k0.p[1], b = k0.p[2];
            const double in = (1 - t) * (1 + c) * (1 + b);
            const double out = (1 - t) * (1 - c) * (1 - b);
            return prev ? s * (in * (double(k0.value) - prev->value) + out * d) : out * d;
        }
        case kShapeLinear:
            return prev ? s * (double(k0.value) - prev->value + d) : d;
        case kShapeBezier2D:
            // The outgoing handle's slope over the span; flat when the handle has no length
            // in time.
            return k0.p[2] > 0.0f ? double(k0.p[3]) / k0.p[2] * (double(k1.time) - k0.time) : 0.0;
        default:
            return 0.0;
    }
}

// The tangent arriving at keys[i + 1] from keys[i], by the shape of keys[i + 1].
double incoming(const std::vector<EnvelopeKey>& keys, size_t i) {
    const EnvelopeKey& k0 = keys[i];
    const EnvelopeKey& k1 = keys[i + 1];
    const double d = double(k1.value) - k0.value;
    const EnvelopeKey* next = i + 2 < keys.size() ? &keys[i + 2] : nullptr;
    const double s =
        next ? (double(k1.time) - k0.time) * (1.0 / (double(next->time) - k0.time)) : 0;
    switch (k1.shape) {
        case kShapeTCB: {
            const double t = k1.p[0], c = k1.p[1], b = k1.p[2];
            const double in = (1 - t) * (1 - c) * (1 + b);
            const double out = (1 - t) * (1 + c) * (1 - b);
            return next ? s * (in * d + out * (double(next->value) - k1.value)) : in * d;
        }
        case kShapeLinear:
            return next ? s * (double(next->value) - k1.value + d) : d;
        default:
            return 0.0;
    }
}

// The cubic Bezier through (t0, v0), (x1, y1), (x2, y2), (t1, v1) at time t in (t0, t1). The
// handles' times are kept inside the span so that the curve is a function of time; the curve's
// parameter at t is found by halving, as its time rises with it.
double bezier2D(double t0, double v0, double x1, double y1, double x2, double y2, double t1,
                double v1, double t) {
    x1 = std::min(std::max(x1, t0), t1);
    x2 = std::min(std::max(x2, t0), t1);
    const auto at = [](double a, double b, double c, double d, double s) {
        const double r = 1.0 - s;
        return r * r * r * a + 3.0 * r * r * s * b + 3.0 * r * s * s * c + s * s * s * d;
    };
    double lo = 0.0, hi = 1.0;
    for (int step = 0; step < 40; ++step) {
        const double mid = 0.5 * (lo + hi);
        (at(t0, x1, x2, t1, mid) < t ? lo : hi) = mid;
    }
    return at(v0, y1, y2, v1, 0.5 * (lo + hi));
}

// The span from keys[i] to keys[i + 1] when the later key is a two-dimensional Bezier: its
// incoming handle, and the earlier key's outgoing handle (or, for another shape, the handle a
// third of the span along its outgoing tangent, which draws the same curve as the Hermite
// basis would).
double bezier2DSpan(const std::vector<EnvelopeKey>& keys, size_t i, double t) {
    const EnvelopeKey& k0 = keys[i];
    const EnvelopeKey& k1 = keys[i + 1];
    const double span = double(k1.time) - k0.time;
    double x1 = k0.time + span / 3.0, y1 = k0.value + outgoing(keys, i) / 3.0;
    if (k0.shape == kShapeBezier2D) {
        x1 = double(k0.time) + k0.p[2];
        y1 = double(k0.value) + k0.p[3];
    }
    return bezier2D(k0.time, k0.value, x1, y1, double(k1.time) + k1.p[0],
                    double(k1.value) + k1.p[1], k1.time, k1.value, t);
}

}  // namespace

double wrapTime(double v, double lo, double hi, double* cycles) {
    const double r = hi - lo;
    if (r == 0.0) {
        if (cycles) *cycles = 0.0;
        return lo;
    }
    // Whole periods counted from the first key, so keys that do not start at time 0 repeat
    // their own span.
    const double n = std::floor((v - lo) / r);
    if (cycles) *cycles = n;
    return v - r * n;
}

double EnvelopeChannel::evaluate(float time) const {
    const size_t count = keys.size();
    if (count == 0) return 0.0;
    const EnvelopeKey& first = keys.front();
    const EnvelopeKey& last = keys.back();
    if (count == 1) return first.value;

    double t = time;
    double offset = 0.0;
    if (t < first.time || t > last.time) {
        const bool before = t < first.time;
        double cycles = 0.0;
        switch (before ? pre : post) {
            case kBehaviorReset:
                return 0.0;
            case kBehaviorConstant:
                return before ? first.value : last.value;
            case kBehaviorRepeat:
                t = wrapTime(t, first.time, last.time, nullptr);
                break;
            case kBehaviorOscillate:
                t = wrapTime(t, first.time, last.time, &cycles);
                if (std::fmod(cycles, 2.0) != 0.0) t = (double(first.time) + last.time) - t;
                break;
            case kBehaviorOffsetRepeat:
                t = wrapTime(t, first.time, last.time, &cycles);
                offset = cycles * (double(last.value) - first.value);
                break;
            default:
                // Linear and unknown behaviours carry the end span's curve on past the keys.
                break;
        }
    }

    size_t i = 0;
    while (i + 2 < count && t > keys[i + 1].time) ++i;
    const EnvelopeKey& k0 = keys[i];
    const EnvelopeKey& k1 = keys[i + 1];
    if (t == k0.time) return k0.value + offset;
    if (t == k1.time) return k1.value + offset;

    const double u = (t - k0.time) * (1.0 / (double(k1.time) - k0.time));
    switch (k1.shape) {
        case kShapeTCB:
        case kShapeHermite:
        case kShapeBezier: {
            const double out = outgoing(keys, i);
            const double in = incoming(keys, i);
            const double u2 = u * u, u3 = u2 * u;
            const double h2 = 3.0 * u2 - u3 - u3;
            const double h1 = 1.0 - h2;
            const double h4 = u3 - u2;
            const double h3 = u3 - 2.0 * u2 + u;
            return h1 * k0.value + offset + h2 * k1.value + h3 * out + h4 * in;
        }
        case kShapeBezier2D:
            return offset + bezier2DSpan(keys, i, t);
        case kShapeLinear:
            return (offset + k0.value) + (double(k1.value) - k0.value) * u;
        case kShapeStepped:
            return offset + k0.value;
        default:
            return offset;
    }
}
