// The layer's geometry as a host changes it before an effect sees it: smaller at a reduced
// resolution, and larger with transparent borders. Images are 8-bit RGBA, straight alpha.
#pragma once

#include "standins/aehost/host/World.h"

namespace Kelvane::Neon::Apps {

// The layer at 1/factor resolution (factor 1 to 16), sides rounded up: each pixel is the area
// average of the factor x factor block it covers, colour weighted by alpha so that transparent
// pixels lend it none. A block cut by the right or bottom edge averages the pixels it holds,
// so an opaque layer stays opaque to its edges.
Kelvane::Neon::Host::RgbaImage downsample(const Kelvane::Neon::Host::RgbaImage& layer, int factor);
// What a downsample by 1 gives, in place: no colour where alpha is 0 (elsewhere the colour
// stays). Layers reach the effect this way at every factor.
void clearColourUnderTransparency(Kelvane::Neon::Host::RgbaImage& layer);

// The layer in the middle of a canvas grown by `border` transparent pixels on every side.
Kelvane::Neon::Host::RgbaImage extendCanvas(const Kelvane::Neon::Host::RgbaImage& layer,
                                            int border);

// The sides of a width x height layer after downsample(factor) and extendCanvas(border), in
// 64 bits so that a size too large to make can still be told.
struct FrameSize {
    long long width;
    long long height;
};
FrameSize frameSize(int width, int height, int factor, int border);

} // namespace Kelvane::Neon::Apps
