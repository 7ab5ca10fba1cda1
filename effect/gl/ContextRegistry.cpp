#include "effect/gl/ContextRegistry.h"

#include "effect/gl/PerContext.h"
#include "effect/gl/SavedContextGuard.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <new>

namespace Kelvane {
namespace Neon {
namespace {

struct Registry {
    AEOpenGLContext* root = nullptr;
    std::int32_t nextSlot = 0;
    std::map<std::int32_t, AEOpenGLContext*> contexts;
    std::recursive_mutex lock;
};

// Never destroyed: a thread may end, and release its context, during process exit.
Registry& registry() {
    static auto* state = new Registry;
    return *state;
}

thread_local std::int32_t threadSlot = -1;

AEOpenGLContext* construct(AEOpenGLContext* shareWith) {
    return new (std::nothrow) AEOpenGLContext(shareWith);
}

// Deletes the calling thread's context, unless set-down already did. Its container objects
// are deleted with it current first: some drivers keep framebuffers in the share group,
// where they would outlive it.
void releaseThreadContext() {
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    const auto found = r.contexts.find(threadSlot);
    if (found == r.contexts.end()) {
        return;
    }
    AEOpenGLContext* context = found->second;
    r.contexts.erase(found);
    SavedContextGuard saved;
    context->makeCurrent();
    if (wglGetCurrentContext() == context->hglrc) {
        PerContextTable::releaseCurrentContext();
    } else {
        PerContextTable::forgetContext(context->hglrc);
    }
    delete context;
    saved.restore();
}

// Runs at the end of every thread that was given a context.
struct ThreadEnd {
    ~ThreadEnd() { releaseThreadContext(); }
};

void releaseAtThreadEnd() {
    // Armed once the context exists, after the platform's per-thread state it needs: thread
    // locals end in reverse order, so that state is still there when this runs.
    static thread_local ThreadEnd atEnd;
    (void)atEnd;
}

} // namespace

void ContextRegistry::createRoot() {
    Registry& r = registry();
    // A repeated global set-up keeps the root: the thread contexts share its objects.
    if (r.root != nullptr) {
        return;
    }
    r.root = construct(nullptr);
}

AEOpenGLContext* ContextRegistry::rootContext() {
    return registry().root;
}

AEOpenGLContext* ContextRegistry::contextForCurrentThread() {
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    if (threadSlot == -1) {
        threadSlot = r.nextSlot++;
    } else {
        auto found = r.contexts.find(threadSlot);
        if (found != r.contexts.end()) {
            return found->second;
        }
    }
    // First render on this thread, or its context was lost (failed construction, or the
    // registry was torn down and set up again while the thread lived).
    AEOpenGLContext* context = construct(r.root);
    if (context != nullptr) {
        r.contexts[threadSlot] = context;
        releaseAtThreadEnd();
    }
    return context;
}

void ContextRegistry::destroyAll() {
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    // A later context may get a deleted one's handle: no table may answer for it then.
    for (auto& entry : r.contexts) {
        PerContextTable::forgetContext(entry.second->hglrc);
        delete entry.second;
    }
    r.contexts.clear();
    if (r.root != nullptr) {
        PerContextTable::forgetContext(r.root->hglrc);
    }
    delete r.root;
    r.root = nullptr;
}

int ContextRegistry::currentThreadSlot() {
    return threadSlot;
}

std::size_t ContextRegistry::threadContextCount() {
    Registry& r = registry();
    std::lock_guard<std::recursive_mutex> guard(r.lock);
    return r.contexts.size();
}

} // namespace Neon
} // namespace Kelvane
