// What the passes share with C++, as GLSL `#define` lines put after the version line: the
// numbers of the choices the shaders compare, and the constants the reach is worked out with
// (Reach.h), so that neither side restates the other's.
#pragma once

namespace Kelvane {
namespace Neon {

// DIRECTION_* and COLOR_TYPE_* for each choice, DISTANCE_GAMMA and SOFT_EDGE_PIXELS as float
// literals; one line each.
const char* glslConstants();

} // namespace Neon
} // namespace Kelvane
