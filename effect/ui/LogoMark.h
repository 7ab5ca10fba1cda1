// The maker's mark: a neon "Z" of three tube segments in a rounded frame, light trails and a
// star to its right. Drawn as ten closed sub-paths of straight and cubic segments, all of them
// of one winding (the frame's counter runs the other way), to be filled with the winding rule.
#pragma once

#include "adobesdk/DrawbotSuite.h"

namespace Kelvane {
namespace Neon {

// Adds the mark to `path`, every point offset from (left, top). It fits the box from
// (left + 0.47, top + 8.33) to (left + 111.21, top + 40.60).
void AddLogoMark(const DRAWBOT_PathSuite1& path_suite, DRAWBOT_PathRef path, double left,
                 double top);

} // namespace Neon
} // namespace Kelvane
