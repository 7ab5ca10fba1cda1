// The stroke shading on the CPU, in single precision as the GPU computes it, for checking the
// stroke fragment shader fragment by fragment. Mirrors the shader function for function; the
// inputs are the shader's uniforms, the fragment's encoded distance and its input texel.
#pragma once

#include "effect/controls/NeonSettings.h"

#include <algorithm>
#include <cmath>

namespace Kelvane::Neon::Test {

using Kelvane::Neon::ColorType;
using Kelvane::Neon::Direction;

struct Vec4 {
    float r = 0, g = 0, b = 0, a = 0;
};

inline Vec4 operator+(Vec4 x, Vec4 y) {
    return {x.r + y.r, x.g + y.g, x.b + y.b, x.a + y.a};
}
inline Vec4 operator*(Vec4 x, float k) {
    return {x.r * k, x.g * k, x.b * k, x.a * k};
}

// The shader's uniforms, at the controls' defaults with End Distance 128 (a power of two keeps
// the divisions exact on both sides).
struct Uniforms {
    float edgeEndDist = 128;
    float edgeStartDist = 0;
    float edgeSize = 16;
    float glowSize = 8;
    Direction visibleDirection = Direction::InnerToOuter;
    float visibleValue = 1;
    float visibleSeed = 0;
    float glowAlpha = 0.3f;
    float glowRandom = 0;
    float glowSeed = 0;
    int strokeCount = 3;
    int colorCount = 3;
    ColorType colorType = ColorType::Loop;
    float colorSeed = 0;
    Vec4 strokeColors[8] = {{0.1f, 0.1f, 1, 1},    {1, 0.1f, 0.1f, 1}, {0.1f, 1, 0.1f, 1},
                            {1, 1, 0, 1},          {0, 1, 1, 1},       {1, 0, 1, 1},
                            {0.5f, 0.5f, 0.5f, 1}, {1, 1, 1, 1}};
    float composite = 0;
};

inline float fract(float x) {
    return x - std::floor(x);
}
inline float smoothstep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}
inline float mix(float x, float y, float a) {
    return x * (1 - a) + y * a;
}
inline Vec4 mix(Vec4 x, Vec4 y, float a) {
    return {mix(x.r, y.r, a), mix(x.g, y.g, a), mix(x.b, y.b, a), mix(x.a, y.a, a)};
}
inline float sign(float x) {
    return x > 0 ? 1.0f : (x < 0 ? -1.0f : 0.0f);
}

// The GPU's sin() may differ from this one in its last bits, which the product amplifies into
// a different value: tests must not expect the GPU to pick what this hash picks.
inline float hash1(float x, float y) {
    return fract(std::sin(x * 127.1f + y * 311.7f) * 43758.5453f);
}

inline Vec4 stroke(float dist, float sDist, float sWidth, float onePix, float glowStrength,
                   Vec4 color) {
    const float dist0 = sDist;
    const float dist1 = sDist + sWidth;
    const float r0 = smoothstep(dist0, dist0 + onePix, dist);
    const float r1 = smoothstep(dist1, dist1 + onePix, dist);
    const float value = dist < (dist0 + dist1) / 2 ? r0 : 1 - r1;
    float edge = std::clamp(std::fabs(dist - (sDist + sWidth / 2)) / (sWidth / 2), 0.0f, 1.0f);
    edge = mix(1.0f, edge * edge, std::clamp(glowStrength * 10, 0.0f, 1.0f));
    edge = std::clamp(edge, 0.001f, 1.0f);
    return {color.r / edge * value, color.g / edge * value, color.b / edge * value,
            color.a * value};
}

inline Vec4 glow(float dist, float sDist, float sWidth, float gSize, float glowStrength,
                 Vec4 color) {
    const float dist0 = sDist;
    const float dist1 = sDist + sWidth;
    const float r0 = smoothstep(dist0 - gSize, dist0, dist);
    const float r1 = smoothstep(dist1, dist1 + gSize, dist);
    const float value = dist < (dist0 + dist1) / 2 ? r0 : 1 - r1;
    return color * (std::pow(value, 1 / 2.2f) * glowStrength);
}

inline float glowStrength(const Uniforms& u, float sIdx) {
    if (u.glowRandom == 0) {
        return u.glowAlpha;
    }
    const float ran = hash1(sIdx + 1, u.glowSeed);
    return ran >= u.glowRandom ? u.glowAlpha : ran / u.glowRandom * u.glowAlpha;
}

inline Vec4 drawStroke(const Uniforms& u, float dist, float sDist, float sWidth, float gSize,
                       float onePix, Vec4 color, float sIdx) {
    const float strength = glowStrength(u, sIdx);
    return glow(dist, sDist, sWidth, gSize, strength, color) +
           stroke(dist, sDist, sWidth, onePix, strength, color);
}

// The stroke's fraction of the way from the first to the last; 0 for a single stroke.
inline float percentOf(int i, int n) {
    return n > 1 ? float(i) / float(n - 1) : 0.0f;
}

inline Vec4 pickColor(const Uniforms& u, int i) {
    const int m = std::clamp(u.colorCount, 1, 8);
    if (u.colorType == ColorType::Loop) {
        return u.strokeColors[i % m];
    }
    if (u.colorType == ColorType::Random) {
        const float v = std::min(hash1(float(i) / float(u.strokeCount), u.colorSeed) * float(m),
                                 float(m) - 0.1f);
        return u.strokeColors[int(std::floor(v))];
    }
    const float pos = percentOf(i, u.strokeCount) * float(m - 1);
    const int low = int(std::floor(pos));
    const int high = std::min(int(std::ceil(pos)), m - 1);
    return mix(u.strokeColors[low], u.strokeColors[high], fract(pos));
}

struct StrokeInfo {
    float pos;
    float alpha;
};

inline StrokeInfo strokeInfo(const Uniforms& u, int i, float startPos) {
    const int n = u.strokeCount;
    const float percent = percentOf(i, n);
    const float pos = i == 0 ? startPos : startPos + (1 - startPos) * percent;
    float candidate = percent;
    if (u.visibleDirection == Direction::OuterToInner) {
        candidate = n > 1 ? 1 - percent : 0.0f;
    } else if (u.visibleDirection == Direction::Random) {
        candidate = hash1(float(i) + 2, u.visibleSeed) >= u.visibleValue ? 1.0f : 0.0f;
    }
    return {pos, (candidate <= u.visibleValue ? 1.0f : 0.0f) * sign(u.visibleValue)};
}

inline Vec4 blend(Vec4 previous, Vec4 source) {
    const float a = source.a + previous.a * (1 - source.a);
    if (a == 0) {
        return {};
    }
    const float w = previous.a == 0 ? 1.0f : source.a / a;
    auto channel = [&](float p, float s) {
        return (1 - w) * p + w * ((1 - previous.a) * s + previous.a * std::min(1.0f, p + s));
    };
    return {channel(previous.r, source.r), channel(previous.g, source.g),
            channel(previous.b, source.b), a};
}

// One fragment: `dist` the map's encoded distance, `inputArgb` the input texel as stored
// (alpha, red, green, blue).
inline Vec4 shade(const Uniforms& u, float dist, Vec4 inputArgb = {}) {
    const float onePix = 2 / u.edgeEndDist;
    const float width = u.edgeSize / u.edgeEndDist;
    const float glowWidth = u.glowSize / u.edgeEndDist;
    const float startDist = u.edgeStartDist / u.edgeEndDist;
    Vec4 sum;
    for (int s = 0; s < u.strokeCount; ++s) {
        const StrokeInfo info = strokeInfo(u, s, startDist);
        Vec4 color = pickColor(u, s);
        color.a *= info.alpha;
        sum = sum + drawStroke(u, dist, info.pos, width, glowWidth, onePix, color, float(s));
    }
    // Straight colour in, premultiplied like the sum before the blend.
    const float alpha = inputArgb.r;
    const Vec4 origin{inputArgb.g * alpha, inputArgb.b * alpha, inputArgb.a * alpha, alpha};
    return mix(sum, blend(origin, sum), u.composite);
}

} // namespace Kelvane::Neon::Test
