#include "effect/entry/GpuLifetime.h"

#include "effect/entry/Render.h"
#include "effect/gl/ContextRegistry.h"
#include "effect/gl/RenderTarget.h"
#include "effect/gl/SavedContextGuard.h"

namespace Kelvane {
namespace Neon {

void gpuStartup() {
    // A set-up after a set-down gets a fresh renderer; its construction makes no GL call.
    ensureRenderer();
    SavedContextGuard guard;
    ContextRegistry::createRoot();
    guard.restore();
}

void gpuSetdown() {
    SavedContextGuard guard;
    RenderTarget& target = RenderTarget::instance();
    if (AEOpenGLContext* root = ContextRegistry::rootContext()) {
        // Shared objects are deleted with the root current.
        root->makeCurrent();
        target.release();
        deleteRenderer(true);
    } else {
        // No root to call into: what the target and the renderer hold goes with the contexts
        // below.
        target.abandon();
        deleteRenderer(false);
    }
    ContextRegistry::destroyAll();
    guard.restore();
}

} // namespace Neon
} // namespace Kelvane
