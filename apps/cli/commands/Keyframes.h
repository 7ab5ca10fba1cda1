// Animating controls from the command line: `--key "NAME=VALUE@TIME,VALUE@TIME,..."` gives one
// control its keyframes. TIME is a frame number at the command's frame rate, or seconds with
// an 's' suffix ("1.5s"); VALUE is read as `--set` reads it. The host interpolates between them.
#pragma once

#include "apps/cli/commands/ControlValues.h"
#include "apps/cli/commands/FrameRate.h"

#include <string>
#include <vector>

namespace Kelvane::Neon::Apps {

struct KeyedControl {
    PF_ParamIndex index = 0;
    std::vector<Kelvane::Neon::Host::Keyframe> keys;
};

// Throws ControlError for an unknown control, one that cannot vary in time (the header strip),
// a time that is negative or unparsable, a value out of range, or two keyframes at one time.
KeyedControl parseKeys(const std::string& text,
                       const std::vector<Kelvane::Neon::Host::DeclaredParam>& declared,
                       const FrameRate& rate);

// Parses every `--key` and animates the streams. A control keyed twice, or keyed and also
// given a value by `--set` (its index among `setControls`), is refused: nothing is animated
// unless every key is good.
void applyKeys(const std::vector<std::string>& keys, const std::vector<PF_ParamIndex>& setControls,
               const std::vector<Kelvane::Neon::Host::DeclaredParam>& declared,
               Kelvane::Neon::Host::ParamStreams& streams, const FrameRate& rate);

} // namespace Kelvane::Neon::Apps
