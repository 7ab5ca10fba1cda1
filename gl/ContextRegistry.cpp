#include "ContextRegistry.h"

#include <atomic>
#include <map>
#include <mutex>
#include <new>

namespace Kelvane {
namespace Neon {
namespace {

AEOpenGLContext* root = nullptr;
std::atomic<std::int32_t> slotCounter{0};
std::map<std::int32_t, AEOpenGLContext*> contexts;
std::recursive_mutex lock;
thread_local std::int32_t threadSlot = -1;

AEOpenGLContext* construct(AEOpenGLContext* shareWith) {
    return new (std::nothrow) AEOpenGLContext(shareWith);
}

} // namespace

void ContextRegistry::createRoot() {
    // A repeated global set-up keeps the root: the thread contexts share its objects.
    if (root != nullptr) {
        return;
    }
    root = construct(nullptr);
}

AEOpenGLContext* ContextRegistry::rootContext() {
    return root;
}

AEOpenGLContext* ContextRegistry::contextForCurrentThread() {
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (threadSlot == -1) {
        threadSlot = slotCounter.fetch_add(1);
    } else {
        auto found = contexts.find(threadSlot);
        if (found != contexts.end() && found->second != nullptr) {
            return found->second;
        }
    }
    // First render on this thread, or its context was lost (failed construction, or the
    // registry was torn down and set up again while the thread lived).
    AEOpenGLContext* context = construct(root);
    contexts[threadSlot] = context;
    return context;
}

void ContextRegistry::destroyAll() {
    for (auto& entry : contexts) {
        delete entry.second;
    }
    contexts.clear();
    delete root;
    root = nullptr;
}

int ContextRegistry::currentThreadSlot() {
    return threadSlot;
}

} // namespace Neon
} // namespace Kelvane
