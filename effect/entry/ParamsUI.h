// Keeps the Colors group in step with its controls: only "Color Count" colour slots are
// shown, and "Random Seed" only while "Color Type" is Random. Controls are hidden through the
// host's stream flags (not undoable, so the user's undo history is untouched); definitions
// are never changed. No state between calls.
#pragma once

#include "AE_Effect.h"

namespace Kelvane {
namespace Neon {

PF_Err UpdateParamsUI(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                      PF_LayerDef* output);
PF_Err UserChangedParam(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                        void* extra);

} // namespace Neon
} // namespace Kelvane
