#include "apps/cli/commands/HeaderCommand.h"

#include <iostream>

namespace Kelvane::Neon::Apps {

// The host's Drawbot is drawn with cairo, which the Windows build does not carry.
int runHeader(const std::string&, const HeaderOptions&) {
    std::cerr << "zarvo-neon header: not available in this build (drawing the header strip needs "
                 "cairo, which only the Linux build has)\n";
    return 1;
}

} // namespace Kelvane::Neon::Apps
