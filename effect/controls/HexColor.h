// Colours as "#RRGGBB" text: how the command takes a colour, and how the control listings and
// the editor descriptions show one.
#pragma once

#include "AE_Effect.h"

#include <cstdio>
#include <optional>
#include <string>

namespace Kelvane {
namespace Neon {

enum class HexCase { Upper, Lower };

// The six hexadecimal digits of a colour's red, green and blue (a PF_Pixel, a control's
// default...), without the '#'.
template <typename Colour>
std::string hexDigits(const Colour& c, HexCase letters = HexCase::Upper) {
    char text[8];
    std::snprintf(text, sizeof text, letters == HexCase::Upper ? "%02X%02X%02X" : "%02x%02x%02x",
                  unsigned(c.red), unsigned(c.green), unsigned(c.blue));
    return text;
}

template <typename Colour> std::string hexColor(const Colour& c) {
    return "#" + hexDigits(c);
}

// "#RRGGBB", exactly six hexadecimal digits in either case, as an opaque pixel; std::nullopt
// for anything else.
inline std::optional<PF_Pixel> parseHexColor(const std::string& text) {
    if (text.size() != 7 || text[0] != '#') {
        return std::nullopt;
    }
    auto digit = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    int channels[3] = {};
    for (int i = 0; i < 3; ++i) {
        const int high = digit(text[1 + 2 * i]);
        const int low = digit(text[2 + 2 * i]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        channels[i] = high * 16 + low;
    }
    return PF_Pixel{255, A_u_char(channels[0]), A_u_char(channels[1]), A_u_char(channels[2])};
}

} // namespace Neon
} // namespace Kelvane
