#include "scene/envelope.h"

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
        case kShapeLinear:
            return (offset + k0.value) + (double(k1.value) - k0.value) * u;
        case kShapeStepped:
            return offset + k0.value;
        default:
            return offset;
    }
}
