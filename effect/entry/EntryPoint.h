// The module's only export, as the host calls it.
#pragma once

#include "AE_Effect.h"

// The SDK names no export marker: the module has its own. Everything else stays hidden.
#ifdef _WIN32
#define ZARVO_NEON_EXPORT __declspec(dllexport)
#else
#define ZARVO_NEON_EXPORT __attribute__((visibility("default")))
#endif

namespace Kelvane {
namespace Neon {

struct RenderOptions;

// What the export does, with the effect's GPU state made from `options` at global set-up: for
// hosts that build the effect another way (the tests' passes as written, skipped allocations).
PF_Err EntryPointWith(const RenderOptions& options, PF_Cmd cmd, PF_InData* in_data,
                      PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output,
                      void* extra);

} // namespace Neon
} // namespace Kelvane

extern "C" ZARVO_NEON_EXPORT PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data,
                                                   PF_OutData* out_data, PF_ParamDef* params[],
                                                   PF_LayerDef* output, void* extra);
