#include "apps/cli/commands/Fraction.h"

#include <numeric>

namespace Kelvane::Neon::Apps {
namespace {

// Up to 18 digits always fit 64 bits.
constexpr std::size_t kMaxDigits = 18;

std::optional<std::uint64_t> wholeNumber(const std::string& digits) {
    if (digits.empty() || digits.size() > kMaxDigits) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + std::uint64_t(c - '0');
    }
    return value;
}

Fraction reduced(std::uint64_t numerator, std::uint64_t denominator) {
    const std::uint64_t common = std::gcd(numerator, denominator);
    return {numerator / common, denominator / common};
}

} // namespace

std::optional<Fraction> parseFraction(const std::string& text, bool slash) {
    const auto bar = text.find('/');
    if (bar != std::string::npos) {
        const auto top = slash ? wholeNumber(text.substr(0, bar)) : std::nullopt;
        const auto bottom = slash ? wholeNumber(text.substr(bar + 1)) : std::nullopt;
        if (!top || !bottom || *bottom == 0) {
            return std::nullopt;
        }
        return reduced(*top, *bottom);
    }
    const auto point = text.find('.');
    std::string whole = text.substr(0, point);
    std::string decimals = point == std::string::npos ? "" : text.substr(point + 1);
    // Trailing zeros add nothing: "1.50000" is 3/2.
    while (!decimals.empty() && decimals.back() == '0') {
        decimals.pop_back();
    }
    if (whole.empty() && (point == std::string::npos || text.size() == 1)) {
        return std::nullopt;
    }
    const auto value = wholeNumber((whole.empty() ? "0" : whole) + decimals);
    if (!value || (point != std::string::npos &&
                   text.find_first_not_of("0123456789", point + 1) != std::string::npos)) {
        return std::nullopt;
    }
    std::uint64_t denominator = 1;
    for (std::size_t i = 0; i < decimals.size(); ++i) {
        denominator *= 10;
    }
    return reduced(*value, denominator);
}

} // namespace Kelvane::Neon::Apps
