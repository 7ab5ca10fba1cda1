// The process-wide set of contexts: one root made at global set-up, and one context per
// rendering thread, made on that thread's first render and sharing objects with the root.
// Owns every context. A thread's context, with its container objects, is deleted on that
// thread when it ends (a host may start a new render thread for every frame); what the root
// shares stays. The lock guards slots, per-thread construction and release, and set-down;
// createRoot runs only while no render is in progress.
#pragma once

#include "effect/gl/AEOpenGLContext.h"

#include <cstddef>

namespace Kelvane {
namespace Neon {

class ContextRegistry {
public:
    // Makes the root unless one exists. Throws AESDK_OpenGL_Fault when the context cannot be
    // made; the root is then unchanged.
    static void createRoot();
    static AEOpenGLContext* rootContext();
    // The calling thread's context, constructed on its first call (not made current here).
    // A thread whose context is missing gets a new one in its slot.
    static AEOpenGLContext* contextForCurrentThread();
    // Deletes every per-thread context, then the root. Leaves no context current.
    static void destroyAll();

    // The slot of the calling thread, -1 before its first lookup.
    static int currentThreadSlot();
    // How many threads hold a context now.
    static std::size_t threadContextCount();
};

} // namespace Neon
} // namespace Kelvane
