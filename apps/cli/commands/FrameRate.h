// Frames per second as an exact fraction, and where each frame lies on the host's clock: frame
// F starts at F / rate seconds, so 30000/1001 keeps NTSC frames exactly where they are.
#pragma once

#include "standins/aehost/host/EffectHost.h"

#include <string>

namespace Kelvane::Neon::Apps {

struct FrameRate {
    A_u_long frames = 24; // this many frames ...
    A_u_long seconds = 1; // ... in this many seconds
};

// "24", "23.976", "30000/1001": above 0 and at most 1000 frames a second. Throws UsageError.
FrameRate parseFrameRate(const std::string& text);

// The host time of frame `frame` (0 or later): time frame * seconds, step seconds, scale frames.
// Throws UsageError for a frame beyond the host's 32-bit clock at this rate.
Kelvane::Neon::Host::FrameTime frameTime(const FrameRate& rate, int frame);

} // namespace Kelvane::Neon::Apps
