// Setting the effect's controls from text, as `zarvo-neon render --set "NAME=VALUE"` does:
// NAME is the control's name as the panel shows it (case does not matter; a name used twice,
// like "Visibility", means the control, not the group); VALUE is read by the control's kind.
#pragma once

#include "ParamStreams.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zarvo {

struct ControlError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Applies "NAME=VALUE" to the matching control among `declared` (index i + 1 in `streams`).
// Throws ControlError with a message naming the problem: unknown name, value out of the valid
// range, an unknown popup choice, a malformed colour.
// "#RRGGBB", exactly six hexadecimal digits, as an opaque pixel; std::nullopt for anything else.
std::optional<PF_Pixel> hexColor(const std::string& text);

void applyControl(const std::string& assignment, const std::vector<aehost::DeclaredParam>& declared,
                  aehost::ParamStreams& streams);

} // namespace zarvo
