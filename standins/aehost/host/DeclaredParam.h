// A parameter definition as the effect declared it through add_param; a popup's choice string
// is kept by the host, since the effect's buffer does not outlive the call.
#pragma once

#include "AE_Effect.h"

#include <string>

namespace Kelvane::Neon::Host {

struct DeclaredParam {
    PF_ParamDef def;
    std::string choices;
};

} // namespace Kelvane::Neon::Host
