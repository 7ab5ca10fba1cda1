#include "effect/entry/GpuLifetime.h"

#include "effect/controls/ControlReading.h"
#include "effect/gl/ContextRegistry.h"
#include "effect/gl/SavedContextGuard.h"

#include <memory>
#include <utility>

namespace Kelvane {
namespace Neon {
namespace {

// Owned here for the host: the entry point is a plain function with nowhere else to keep it.
std::unique_ptr<EffectGpu>& state() {
    static std::unique_ptr<EffectGpu> owned;
    return owned;
}

} // namespace

EffectGpu::EffectGpu(RenderOptions options)
    : target(std::move(options)), renderer(target), frameSettings(defaultSettings()) {}

EffectGpu* effectGpu() {
    return state().get();
}

EffectGpu& ensureEffectGpu() {
    if (!state()) {
        state() = std::make_unique<EffectGpu>(RenderOptions{});
    }
    return *state();
}

void gpuStartup(const RenderOptions& options) {
    if (!state()) {
        state() = std::make_unique<EffectGpu>(options);
    }
    SavedContextGuard guard;
    ContextRegistry::createRoot();
    guard.restore();
}

void gpuSetdown() {
    SavedContextGuard guard;
    if (EffectGpu* gpu = effectGpu()) {
        if (AEOpenGLContext* root = ContextRegistry::rootContext()) {
            // Shared objects are deleted with the root current.
            root->makeCurrent();
            gpu->target.release();
            gpu->renderer.release();
        } else {
            // No root to call into: what the target and the renderer hold goes with the
            // contexts below.
            gpu->target.abandon();
            gpu->renderer.abandon();
        }
        state().reset();
    }
    ContextRegistry::destroyAll();
    guard.restore();
}

} // namespace Neon
} // namespace Kelvane
