// How far the neon reaches past the layer's alpha edge, worked out from the settings with the
// constants the passes draw with. Plain arithmetic: no GL context needed.
#pragma once

#include "effect/controls/NeonSettings.h"

#include <cstdint>

namespace Kelvane {
namespace Neon {

// The distance map holds (distance / End Distance) to the power 1 / kDistanceGamma
// (DistanceFragment.glsl).
constexpr double kDistanceGamma = 2.2;
// A stroke's soft edge, in frame pixels (onePix in StrokeFragment.glsl).
constexpr double kSoftEdgePixels = 2.0;
// The smallest Smooth that blurs the distance map; below it the map stays as made.
constexpr double kMinSmoothRadius = 1.0;

// Frame pixels to a distance map texel: 1 at Extreme to 4 at Low.
std::int32_t mapScale(const NeonSettings& settings);

// The jump-flood level count for a reach of K map texels: the smallest n in 1..10 with
// 2^n >= K, else 11.
std::int32_t floodLevels(double edgeEndDist, double edgeSize, double glowSize, std::int32_t scale);

// How far the strokes and their glow reach beyond the alpha edge, in frame pixels.
double neonReach(const NeonSettings& settings);

} // namespace Neon
} // namespace Kelvane
