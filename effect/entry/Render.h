// The render command, on the effect's GPU state (made here where no set-up made it). Each render
// uses the calling thread's own context and puts back whatever context the host had current.
#pragma once

#include "AE_Effect.h"

namespace Kelvane {
namespace Neon {

PF_Err Render(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output);

} // namespace Neon
} // namespace Kelvane
