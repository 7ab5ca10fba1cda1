// Frame and map sizes: Vec2d in frame pixels or map texels as doubles (x or width, y or
// height); Vec2i in whole texels.
#pragma once

#include <cstdint>

namespace Kelvane {
namespace Neon {

struct Vec2d {
    double x = 0.0;
    double y = 0.0;
};

struct Vec2i {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

} // namespace Neon
} // namespace Kelvane
