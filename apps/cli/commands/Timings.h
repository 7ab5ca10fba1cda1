// What `render --timings` prints after each frame: one line per stage of the frame with its
// GPU time (and its passes where there are several), then the wall time of the render call.
#pragma once

#include "standins/aehost/host/EffectHost.h"

#include <string>
#include <vector>

namespace Kelvane::Neon::Apps {

std::string formatTimings(const std::string& frame, int width, int height,
                          const std::vector<Host::EffectHost::StageTiming>& stages,
                          double wallMilliseconds);

} // namespace Kelvane::Neon::Apps
