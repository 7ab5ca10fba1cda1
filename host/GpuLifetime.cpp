#include "GpuLifetime.h"

#include "gl/ContextRegistry.h"
#include "gl/RenderTarget.h"
#include "gl/SavedContextGuard.h"

namespace Kelvane {
namespace Neon {

void gpuStartup() {
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
    } else {
        // No root to call into: what the target holds goes with the contexts below.
        target.abandon();
    }
    ContextRegistry::destroyAll();
    guard.restore();
}

} // namespace Neon
} // namespace Kelvane
