// The per-frame settings of the neon effect, read from the controls at the frame's time.
// Distances are in frame pixels (the host's downsampling divided out), percentages are
// fractions 0..1, popups zero-based indices, seeds the integers the user typed. Before the
// first read every field holds its control's default.
#pragma once

#include <cstdint>

namespace Kelvane {
namespace Neon {

struct NeonColor {
    double red = 1.0;
    double green = 1.0;
    double blue = 1.0;
    double alpha = 1.0;
};

constexpr int kMaxColors = 8;
constexpr int kMaxStrokes = 100;

struct NeonSettings {
    std::int32_t neonType = 1;         // 0 Inner Neon, 1 Outer Neon
    std::int32_t strokeCount = 3;      // 1..100
    double edgeStartDist = 1.0;        // frame pixels, never above edgeEndDist
    double edgeEndDist = 100.0;        // frame pixels
    double edgeSize = 10.0;            // frame pixels
    double smooth = 2.0;               // frame pixels
    std::int32_t visibleDirection = 0; // 0 Inner->Outer, 1 Outer->Inner, 2 Random
    double visibleValue = 1.0;         // 0..1
    std::int32_t visibleSeed = 0;      // 0..10000
    std::int32_t colorType = 0;        // 0 Loop, 1 Random, 2 Gradient
    std::int32_t colorCount = 3;       // 1..8
    NeonColor strokeColors[kMaxColors] = {
        {25 / 255.0, 25 / 255.0, 1.0, 1.0}, {1.0, 25 / 255.0, 25 / 255.0, 1.0},
        {25 / 255.0, 1.0, 25 / 255.0, 1.0}, {25 / 255.0, 25 / 255.0, 1.0, 1.0},
        {25 / 255.0, 25 / 255.0, 1.0, 1.0}, {25 / 255.0, 25 / 255.0, 1.0, 1.0},
        {25 / 255.0, 25 / 255.0, 1.0, 1.0}, {25 / 255.0, 25 / 255.0, 1.0, 1.0}};
    std::int32_t colorSeed = 0; // 0..10000
    double glowSize = 50.0;     // frame pixels
    double glowAlpha = 0.3;     // 0..1
    double glowRandom = 0.0;    // 0..1
    std::int32_t glowSeed = 0;  // 0..10000
    std::int32_t composite = 0; // 0 Only Neon, 1 Neon And Origin
    std::int32_t quality = 3;   // 0 Extreme .. 3 Low
};

} // namespace Neon
} // namespace Kelvane
