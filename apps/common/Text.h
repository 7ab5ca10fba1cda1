// Small text helpers shared by the command line and the frei0r filter (header only, so the
// filter needs none of the command's libraries).
#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace Kelvane::Neon::Apps {

// Letters as lower case: control and choice names match whatever their case.
inline std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Without the spaces and tabs around it.
inline std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

} // namespace Kelvane::Neon::Apps
