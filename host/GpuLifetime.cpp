#include "GpuLifetime.h"

#include "gl/ContextRegistry.h"
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
    if (AEOpenGLContext* root = ContextRegistry::rootContext()) {
        root->makeCurrent();
    }
    ContextRegistry::destroyAll();
    guard.restore();
}

} // namespace Neon
} // namespace Kelvane
