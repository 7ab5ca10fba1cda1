// zarvo-neon header: the effect's header strip as the Effect Controls panel shows it, drawn
// through the host's Drawbot (cairo) into a PNG. Builds without cairo say so instead.
#pragma once

#include <string>

namespace Kelvane::Neon::Apps {

struct HeaderOptions {
    std::string output;
    int width = 200;
    std::string background = "#202020";
};

// The command's exit status; messages go to standard error.
int runHeader(const std::string& modulePath, const HeaderOptions& options);

} // namespace Kelvane::Neon::Apps
