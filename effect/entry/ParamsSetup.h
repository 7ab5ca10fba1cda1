// Declares the effect's 33 controls (after the host's input layer) and registers for custom-UI
// events. Runs on the thread of PF_Cmd_PARAMS_SETUP; keeps nothing after it returns.
#pragma once

#include "AE_Effect.h"

namespace Kelvane {
namespace Neon {

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                   PF_LayerDef* output);

} // namespace Neon
} // namespace Kelvane
