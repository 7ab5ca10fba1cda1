// The parts of AtomicFile that both platforms share.
#pragma once

#include <string>

namespace Kelvane::Neon::Apps {

// ".FILE.tmpUNIQUE.EXT" within 255 bytes: FILE is cut, between characters, to fit.
std::string temporaryName(const std::string& file, const std::string& unique);

// The temporary file in flight, as the interrupt handler finds it. trackInFlight returns a
// record to pass to untrackInFlight; takeInFlight is async-signal-safe and gives the name once
// (nullptr when none).
int trackInFlight(const std::string& temporary);
void untrackInFlight(int record);
const char* takeInFlight();

} // namespace Kelvane::Neon::Apps
