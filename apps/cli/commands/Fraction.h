// Exact numbers from the command line: "24", "1.5", "30000/1001", kept as a reduced fraction so
// that times and rates never pick up a binary rounding.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace Kelvane::Neon::Apps {

struct Fraction {
    std::uint64_t numerator = 0;
    std::uint64_t denominator = 1;
};

// Plain decimal digits with an optional point ("29.97", ".5"), or, where `slash` allows it,
// two whole numbers "A/B" with B above 0; no sign. Reduced to lowest terms. std::nullopt for
// anything else, and for more than 18 digits on a side.
std::optional<Fraction> parseFraction(const std::string& text, bool slash);

} // namespace Kelvane::Neon::Apps
