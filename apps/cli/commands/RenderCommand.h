// `zarvo-neon render`: one image, or an image sequence, through the effect module. Every frame
// is rendered at its own time on the host's clock, so keyframed controls animate.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace Kelvane::Neon::Apps {

struct RenderOptions {
    std::string input; // a still, or a name with a frame-number pattern
    bool sample = false;
    std::string output;
    std::vector<std::string> controls; // --set NAME=VALUE
    std::vector<std::string> keys;     // --key NAME=VALUE@TIME,...
    std::optional<std::string> frames; // --frames A-B; else the input's frames, or one still
    std::string fps = "24";
    std::string extend; // --extend PIXELS|auto; empty: the layer's own size
    int downsample = 1;
    int threads = 0;
    bool quiet = false;
    bool timings = false; // --timings: each frame's stage times on standard error
};

// Bad options and missing inputs are refused before any file is written. A frame that fails
// stops the run with a message naming it; the frames written before it stay. Returns the
// command's exit status; failures are reported on standard error.
int runRender(const std::string& modulePath, const RenderOptions& options);

} // namespace Kelvane::Neon::Apps
