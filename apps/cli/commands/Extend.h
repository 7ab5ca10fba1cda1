// `--extend PIXELS|auto`: transparent borders around the layer, so that an Outer Neon's strokes
// and glow are not cut at the frame's edge. `auto` takes the neon's own reach.
#pragma once

#include "apps/cli/commands/FrameRate.h"
#include "apps/cli/commands/FrameSequence.h"
#include "standins/aehost/host/ParamStreams.h"

#include <functional>
#include <string>
#include <vector>

namespace Kelvane::Neon::Apps {

struct Extension {
    bool automatic = false;
    int pixels = 0; // in layer pixels, when not automatic
};

// "auto" or a whole number of pixels, 0 to the largest layer side. Throws UsageError.
Extension parseExtension(const std::string& text);

// How far the neon reaches beyond the layer's alpha edge, in pixels of the frame the effect
// sees at 1/downsample, with the controls as they stand at `time`: read into the settings as
// the effect reads them, the reach worked out by the renderer's own rule.
double neonReach(const Kelvane::Neon::Host::ParamStreams& streams, const A_Time& time,
                 int downsample);

// The border for every frame of `range`, in pixels of the frame the effect sees: the given
// pixels at 1/downsample (rounded up), or for `auto` the largest reach over the range, so the
// frames of a sequence keep one size. When a control the reach depends on is keyframed, every
// frame is looked at, and `frameDone` is called after each. Throws ControlError for `auto` when
// `declared` are not this effect's controls.
int borderPixels(const Extension& extension, const Kelvane::Neon::Host::ParamStreams& streams,
                 const std::vector<Kelvane::Neon::Host::DeclaredParam>& declared,
                 const FrameRange& range, const FrameRate& rate, int downsample,
                 const std::function<void()>& frameDone = nullptr);

} // namespace Kelvane::Neon::Apps
