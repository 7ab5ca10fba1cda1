// The built-in sample layer: white shapes on a transparent background, so the neon has an
// alpha edge to follow without any input file.
#pragma once

#include "standins/aehost/host/World.h"

namespace Kelvane::Neon::Apps {

constexpr int kSampleWidth = 480;
constexpr int kSampleHeight = 270;

// A five-pointed star and a disc, anti-aliased by 4 x 4 coverage samples per pixel.
Kelvane::Neon::Host::RgbaImage sampleLayer(int width = kSampleWidth, int height = kSampleHeight);

} // namespace Kelvane::Neon::Apps
