// Setting the effect's controls from text, as `zarvo-neon render --set "NAME=VALUE"` does:
// NAME is the control's name as the panel shows it (case does not matter; a name used twice,
// like "Visibility", means the control, not the group); VALUE is read by the control's kind.
#pragma once

#include "standins/aehost/host/ParamStreams.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace Kelvane::Neon::Apps {

struct ControlError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// "NAME=VALUE" split at the first '=' and trimmed. Throws ControlError without an '='.
std::pair<std::string, std::string> splitAssignment(const std::string& assignment);

// The parameter index (position in `declared` + 1) of the control or header strip named
// `name`, groups left aside. Throws ControlError for an unknown name.
PF_ParamIndex findControl(const std::string& name,
                          const std::vector<Kelvane::Neon::Host::DeclaredParam>& declared);

// Reads `value` by the kind of control `index` into the value field of `target`. Throws
// ControlError for a value out of the valid range, an unknown popup choice, a malformed colour,
// or a parameter that holds no value.
void parseValue(PF_ParamIndex index, const std::string& value,
                const std::vector<Kelvane::Neon::Host::DeclaredParam>& declared,
                PF_ParamDef& target);

// Applies "NAME=VALUE" to the matching control among `declared` (index i + 1 in `streams`) and
// returns its index. Throws ControlError with a message naming the problem: unknown name, value
// out of the valid range, an unknown popup choice, a malformed colour.
PF_ParamIndex applyControl(const std::string& assignment,
                           const std::vector<Kelvane::Neon::Host::DeclaredParam>& declared,
                           Kelvane::Neon::Host::ParamStreams& streams);

} // namespace Kelvane::Neon::Apps
