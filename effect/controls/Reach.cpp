#include "effect/controls/Reach.h"

#include <algorithm>
#include <cmath>

namespace Kelvane {
namespace Neon {

std::int32_t mapScale(const NeonSettings& settings) {
    const auto quality = static_cast<std::int32_t>(settings.quality);
    return std::clamp(quality, std::int32_t(Quality::Extreme), std::int32_t(Quality::Low)) + 1;
}

std::int32_t floodLevels(double edgeEndDist, double edgeSize, double glowSize, std::int32_t scale) {
    // The farthest a stroke and its glow reach, in map texels.
    const auto reach = static_cast<std::int32_t>(std::ceil(edgeEndDist + edgeSize + glowSize));
    const double texels = std::ceil(reach / static_cast<double>(std::max(scale, 1)));
    std::int32_t levels = 1;
    for (double step = 2.0; step < texels && levels <= 10; step *= 2.0) {
        ++levels;
    }
    return levels;
}

double neonReach(const NeonSettings& s) {
    // Strokes lie on the distance map's scale, (distance / End Distance) to the power
    // 1 / kDistanceGamma (with smoothing, twice that power), not on pixels: the outermost
    // stroke sits at 1 and ends Stroke Width past it, its soft edge or its glow, Glow Size
    // wide, the further out.
    const double end = s.edgeEndDist;
    const double fade = 1.0 + (s.edgeSize + std::max(s.glowSize, kSoftEdgePixels)) / end;
    const double exponent = s.smooth >= kMinSmoothRadius ? kDistanceGamma / 2.0 : kDistanceGamma;
    // The map is 1 to 4 pixels a texel, enlarged by linear filtering: a texel more, and the
    // pixel that holds the last trace.
    return end * std::pow(fade, exponent) + mapScale(s) + 1.0;
}

} // namespace Neon
} // namespace Kelvane
