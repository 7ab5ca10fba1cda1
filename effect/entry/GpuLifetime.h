// The GPU halves of global set-up and set-down: the root context, and the effect's GPU state
// (render target, renderer, the settings of the last frame), made at set-up and deleted at
// set-down with every long-lived GL object. Each puts back the context the host had current.
#pragma once

#include "effect/gl/RenderTarget.h"
#include "effect/neon/NeonRenderer.h"
#include "effect/controls/NeonSettings.h"

namespace Kelvane {
namespace Neon {

struct EffectGpu {
    // Makes no GL call.
    explicit EffectGpu(RenderOptions options);
    EffectGpu(const EffectGpu&) = delete;
    EffectGpu& operator=(const EffectGpu&) = delete;

    RenderTarget target;
    NeonRenderer renderer;
    // What the controls read as at the last frame: a control that cannot be read keeps its
    // value. Starts from the controls' defaults.
    NeonSettings frameSettings;
};

// A set-up after a set-down makes a fresh state from `options`; one that finds a state keeps it.
void gpuStartup(const RenderOptions& options = {});
void gpuSetdown();

// The effect's GPU state, null before set-up and after set-down.
EffectGpu* effectGpu();
// The state, made with default options where a render comes without a set-up.
EffectGpu& ensureEffectGpu();

} // namespace Neon
} // namespace Kelvane
