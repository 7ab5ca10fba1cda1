// The render command and the renderer's lifetime. Each render uses the calling thread's own
// context and puts back whatever context the host had current.
#pragma once

#include "AE_Effect.h"

namespace Kelvane {
namespace Neon {

class NeonRenderer;

PF_Err Render(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output);

// The one renderer of the module, made when the module is loaded; null after set-down until
// the next set-up makes a fresh one.
NeonRenderer* renderer();
void ensureRenderer();
// Deletes the renderer: its GL objects with the root current, or forgotten when `hasContext`
// is false.
void deleteRenderer(bool hasContext);

} // namespace Neon
} // namespace Kelvane
