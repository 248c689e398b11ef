// envelope.h - LightWave motion channels: keyed splines with pre- and post-behaviours.
//
// A channel is a list of keys in time order. Between two keys the value follows the shape of
// the later key (TCB, Hermite and Bezier share the Hermite basis, linear, stepped, and the
// two-dimensional Bezier of later formats, whose handles move in time as well as in value);
// before the first key and after the last the behaviours decide (reset, constant, repeat,
// oscillate, offset repeat, linear). Times are the envelopes' own seconds; angles are radians.
#pragma once

#include <cstdint>
#include <vector>

enum KeyShape : int32_t {
    kShapeTCB = 0,
    kShapeHermite,
    kShapeBezier,
    kShapeLinear,
    kShapeStepped,
    kShapeBezier2D
};
enum Behavior : int32_t {
    kBehaviorReset = 0,
    kBehaviorConstant,
    kBehaviorRepeat,
    kBehaviorOscillate,
    kBehaviorOffsetRepeat,
    kBehaviorLinear
};

struct EnvelopeKey {
    float value = 0.0f;
    float time = 0.0f;
    int32_t shape = kShapeTCB;
    // p[0] tension, p[1] continuity, p[2] bias for TCB keys. For two-dimensional Bezier keys,
    // the handles as offsets from the key: p[0], p[1] the incoming one's time and value, p[2],
    // p[3] the outgoing one's. The others are kept as read.
    float p[6] = {};
};

struct EnvelopeChannel {
    // In strictly increasing time order (the reader refuses keys that go back), so no span has
    // zero length. The keys' neighbours are their array neighbours.
    std::vector<EnvelopeKey> keys;
    int32_t pre = kBehaviorConstant;
    int32_t post = kBehaviorConstant;

    double evaluate(float time) const;
};

// Channel order as the scene format writes it.
enum EnvelopeChannelIndex {
    kChannelX = 0,
    kChannelY,
    kChannelZ,
    kChannelHeading,
    kChannelPitch,
    kChannelBank,
    kChannelScaleX,
    kChannelScaleY,
    kChannelScaleZ,
    kMotionChannels
};

struct Envelope {
    std::vector<EnvelopeChannel> channels;

    int channelCount() const { return static_cast<int>(channels.size()); }
    // Channel k at time t; a channel the envelope lacks reads as fallback.
    double evaluate(int k, float time, double fallback = 0.0) const {
        return k < channelCount() ? channels[k].evaluate(time) : fallback;
    }
};

// v brought into [lo, hi) by whole periods of hi - lo, and how many periods were taken off
// (negative when v was below lo). lo when the range is empty.
double wrapTime(double v, double lo, double hi, double* cycles);
