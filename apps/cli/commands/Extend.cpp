#include "apps/cli/commands/Extend.h"

#include "apps/cli/commands/ControlValues.h"
#include "apps/cli/commands/UsageError.h"
#include "standins/aehost/host/World.h"

#include "effect/controls/ControlReading.h"
#include "effect/controls/Controls.h"
#include "effect/controls/Reach.h"

#include <algorithm>
#include <cmath>

namespace Kelvane::Neon::Apps {

namespace {

// The controls the neon's reach is worked out from.
constexpr NeonParam kReachControls[] = {NEON_START_DISTANCE, NEON_END_DISTANCE, NEON_STROKE_WIDTH,
                                        NEON_GLOW_SIZE,      NEON_SMOOTH,       NEON_QUALITY};

// The controls are read where this effect declares them: another module's must stand there too.
void checkControls(const std::vector<Kelvane::Neon::Host::DeclaredParam>& declared) {
    for (const Control& c : kControls) {
        const std::size_t at = std::size_t(c.index - 1);
        if (at >= declared.size() || declared[at].def.param_type != paramType(c.kind) ||
            std::string(declared[at].def.name) != c.name) {
            throw ControlError("--extend auto cannot work out the neon's reach: the module does "
                               "not declare \"" +
                               std::string(c.name) + "\" as control " + std::to_string(c.index));
        }
    }
}

} // namespace

Extension parseExtension(const std::string& text) {
    if (text == "auto") {
        return {true, 0};
    }
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(text) > Kelvane::Neon::Host::kMaxLayerSide) {
        throw UsageError("--extend needs a border in pixels (0 to " +
                         std::to_string(Kelvane::Neon::Host::kMaxLayerSide) + ") or auto, not \"" +
                         text + "\"");
    }
    return {false, std::stoi(text)};
}

double neonReach(const Kelvane::Neon::Host::ParamStreams& streams, const A_Time& time,
                 int downsample) {
    // What a control that cannot be read leaves; the same for every frame, so made once.
    static const NeonSettings defaults = defaultSettings();
    NeonSettings settings = defaults;
    readSettings(
        [&](int index, const std::function<bool(const PF_ParamDef&)>& use) {
            return use(streams.valueAt(index, time));
        },
        downsample, settings);
    return Kelvane::Neon::neonReach(settings);
}

int borderPixels(const Extension& extension, const Kelvane::Neon::Host::ParamStreams& streams,
                 const std::vector<Kelvane::Neon::Host::DeclaredParam>& declared,
                 const FrameRange& range, const FrameRate& rate, int downsample,
                 const std::function<void()>& frameDone) {
    if (!extension.automatic) {
        return (extension.pixels + downsample - 1) / downsample;
    }
    checkControls(declared);
    bool animated = false;
    for (const NeonParam index : kReachControls) {
        animated = animated || !streams.keyframes(index).empty();
    }
    double reach = 0.0;
    // Without keyframes every frame reaches as far as the first.
    const int last = animated ? range.last : range.first;
    for (int frame = range.first; frame <= last; ++frame) {
        const Kelvane::Neon::Host::FrameTime at = frameTime(rate, frame);
        reach = std::max(reach, neonReach(streams, {at.time, at.scale}, downsample));
        if (animated && frameDone) {
            frameDone();
        }
    }
    return std::min(int(std::ceil(reach)), Kelvane::Neon::Host::kMaxLayerSide);
}

} // namespace Kelvane::Neon::Apps
