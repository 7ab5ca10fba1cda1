// The per-frame settings of the neon effect. Distances are in frame pixels (the host's
// downsampling divided out), percentages are fractions 0..1, popups zero-based indices, seeds
// the integers the user typed. The host makes them from the controls (host/ControlReading.h),
// their defaults included; a value-initialized NeonSettings is all zero.
#pragma once

#include <cstdint>

namespace Kelvane {
namespace Neon {

struct NeonColor {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 0.0;
};

// The stroke pass's colour slots and stroke table rows (spliced into its GLSL).
constexpr int kMaxColors = 8;
constexpr int kMaxStrokes = 100;

struct NeonSettings {
    std::int32_t neonType = 0;         // 0 Inner Neon, 1 Outer Neon
    std::int32_t strokeCount = 0;      // 1..kMaxStrokes
    double edgeStartDist = 0.0;        // frame pixels, never above edgeEndDist
    double edgeEndDist = 0.0;          // frame pixels
    double edgeSize = 0.0;             // frame pixels
    double smooth = 0.0;               // frame pixels
    std::int32_t visibleDirection = 0; // 0 Inner->Outer, 1 Outer->Inner, 2 Random
    double visibleValue = 0.0;         // 0..1
    std::int32_t visibleSeed = 0;      // 0..10000
    std::int32_t colorType = 0;        // 0 Loop, 1 Random, 2 Gradient
    std::int32_t colorCount = 0;       // 1..kMaxColors
    NeonColor strokeColors[kMaxColors] = {};
    std::int32_t colorSeed = 0; // 0..10000
    double glowSize = 0.0;      // frame pixels
    double glowAlpha = 0.0;     // 0..1
    double glowRandom = 0.0;    // 0..1
    std::int32_t glowSeed = 0;  // 0..10000
    std::int32_t composite = 0; // 0 Only Neon, 1 Neon And Origin
    std::int32_t quality = 0;   // 0 Extreme .. 3 Low
};

} // namespace Neon
} // namespace Kelvane
