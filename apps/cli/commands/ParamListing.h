// Text forms of what the effect shows the user: its About text and its controls as the
// Effect Controls panel lists them.
#pragma once

#include "standins/aehost/host/EffectHost.h"

#include <string>
#include <vector>

namespace Kelvane::Neon::Apps {

// The About message with its carriage returns shown as line breaks.
std::string aboutText(const std::string& message);

// One line per control, in order, indented under its group.
std::string paramListing(const std::vector<Kelvane::Neon::Host::DeclaredParam>& params);

// The controls as the Effect Controls panel shows them with the values in `streams`: as
// paramListing, each control with its value, and the controls the effect hid left out.
std::string panelListing(const std::vector<Kelvane::Neon::Host::DeclaredParam>& params,
                         const Kelvane::Neon::Host::ParamStreams& streams);

} // namespace Kelvane::Neon::Apps
