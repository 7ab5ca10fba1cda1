// Container objects (framebuffers, vertex arrays) are not shared between contexts, so an
// object that draws from several threads keeps one set per context, keyed by the context
// current on the calling thread. No lock: renders are served one at a time.
#pragma once

#include "platform/win32/Win32Api.h"

#include <map>

namespace Kelvane {
namespace Neon {

template <typename T> class PerContext {
public:
    // The entry of the context current on this thread, or null if it has none yet.
    T* current() {
        auto found = entries_.find(wglGetCurrentContext());
        return found == entries_.end() ? nullptr : &found->second;
    }
    T& currentOrNew() { return entries_[wglGetCurrentContext()]; }
    void eraseCurrent() { entries_.erase(wglGetCurrentContext()); }
    // Forgets every entry; their objects die with their contexts.
    void clear() { entries_.clear(); }
    bool empty() const { return entries_.empty(); }

private:
    std::map<HGLRC, T> entries_;
};

} // namespace Neon
} // namespace Kelvane
