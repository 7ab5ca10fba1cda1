#include "Extend.h"

#include "ControlValues.h"
#include "UsageError.h"
#include "World.h"

#include <algorithm>
#include <cmath>

namespace zarvo {
namespace {

// The controls the neon's reach is worked out from.
constexpr const char* kReachControls[] = {"Start Distance", "End Distance", "Stroke Width",
                                          "Glow Size",      "Smooth",       "Quality"};

int slider(const aehost::ParamStreams& streams, const std::vector<aehost::DeclaredParam>& declared,
           const A_Time& time, const char* name) {
    return streams.valueAt(findControl(name, declared), time).u.sd.value;
}

} // namespace

Extension parseExtension(const std::string& text) {
    if (text == "auto") {
        return {true, 0};
    }
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(text) > aehost::kMaxLayerSide) {
        throw UsageError("--extend needs a border in pixels (0 to " +
                         std::to_string(aehost::kMaxLayerSide) + ") or auto, not \"" + text + "\"");
    }
    return {false, std::stoi(text)};
}

double neonReach(const aehost::ParamStreams& streams,
                 const std::vector<aehost::DeclaredParam>& declared, const A_Time& time,
                 int downsample) {
    const double n = downsample;
    const double end = std::max(slider(streams, declared, time, "Start Distance"),
                                slider(streams, declared, time, "End Distance")) /
                       n;
    const double width = slider(streams, declared, time, "Stroke Width") / n;
    const double glow = slider(streams, declared, time, "Glow Size") / n;
    const double smooth = slider(streams, declared, time, "Smooth") / n;
    const int texel = streams.valueAt(findControl("Quality", declared), time).u.pd.value;
    // Strokes lie on the distance map's scale, (distance / End Distance) to the power 1/2.2
    // (with smoothing, its square), not on pixels: the outermost stroke sits at 1 and ends
    // Stroke Width past it, its 2-pixel soft edge or its glow, Glow Size wide, the further out.
    const double fade = 1.0 + (width + std::max(glow, 2.0)) / end;
    const double reach = end * std::pow(fade, smooth >= 1.0 ? 1.1 : 2.2);
    // The map is 1 to 4 pixels a texel, enlarged by linear filtering: a texel more, and the
    // pixel that holds the last trace.
    return reach + texel + 1.0;
}

int borderPixels(const Extension& extension, const aehost::ParamStreams& streams,
                 const std::vector<aehost::DeclaredParam>& declared, const FrameRange& range,
                 const FrameRate& rate, int downsample, const std::function<void()>& frameDone) {
    if (!extension.automatic) {
        return (extension.pixels + downsample - 1) / downsample;
    }
    bool animated = false;
    for (const char* name : kReachControls) {
        animated = animated || !streams.keyframes(findControl(name, declared)).empty();
    }
    double reach = 0.0;
    // Without keyframes every frame reaches as far as the first.
    const int last = animated ? range.last : range.first;
    for (int frame = range.first; frame <= last; ++frame) {
        const aehost::FrameTime at = frameTime(rate, frame);
        reach = std::max(reach, neonReach(streams, declared, {at.time, at.scale}, downsample));
        if (animated && frameDone) {
            frameDone();
        }
    }
    return std::min(int(std::ceil(reach)), aehost::kMaxLayerSide);
}

} // namespace zarvo
