// PF_Fixed, the SDK's 16.16 fixed point, to and from whole numbers and doubles: how fixed
// sliders are declared, read, set from text and shown.
#pragma once

#include "AE_Effect.h"

#include <cmath>

namespace Kelvane {
namespace Neon {

// A whole number as 16.16 (the type holds wholes from -32768 to 32767).
constexpr PF_Fixed toFixed(A_long whole) {
    return whole * 65536;
}

// The whole part, the fraction dropped by the shift: rounded down, so -1.5 gives -2.
constexpr A_long fixedWhole(PF_Fixed value) {
    return value >> 16;
}

// Exact: every 16.16 value is a double.
constexpr double fixedToDouble(PF_Fixed value) {
    return value / 65536.0;
}

// The nearest 16.16 value, halves away from zero; `value` must lie within the type's range.
inline PF_Fixed fixedFromDouble(double value) {
    return static_cast<PF_Fixed>(std::lround(value * 65536.0));
}

} // namespace Neon
} // namespace Kelvane
