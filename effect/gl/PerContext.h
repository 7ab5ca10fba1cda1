// Container objects (framebuffers, vertex arrays) are not shared between contexts, so an
// object that draws from several threads keeps one set per context, keyed by the context
// current on the calling thread. A thread's context is deleted when the thread ends, possibly
// while another thread renders, so every table is reached under one process-wide lock; an
// entry stays valid until its own context's thread (or set-down) erases it.
#pragma once

#include "standins/win32/Win32Api.h"

#include <map>
#include <mutex>
#include <set>

namespace Kelvane {
namespace Neon {

class PerContextTable {
public:
    // Deletes every table's objects of the context current on this thread and forgets them:
    // for a context about to be deleted.
    static void releaseCurrentContext() { releaseAll(wglGetCurrentContext(), true); }
    // Forgets every table's entries of `context` without a GL call: for a context deleted
    // without being current here, whose objects go with it or its share group.
    static void forgetContext(HGLRC context) { releaseAll(context, false); }

protected:
    PerContextTable() {
        std::lock_guard<std::mutex> guard(lock());
        tables().insert(this);
    }
    virtual ~PerContextTable() {
        std::lock_guard<std::mutex> guard(lock());
        tables().erase(this);
    }
    PerContextTable(const PerContextTable&) = delete;
    PerContextTable& operator=(const PerContextTable&) = delete;

    // Called with the lock held; deletes the objects only when `deleteObjects`.
    virtual void releaseLocked(HGLRC context, bool deleteObjects) = 0;

    // Never destroyed: threads that end during process exit still release their contexts.
    static std::mutex& lock() {
        static auto* mutex = new std::mutex;
        return *mutex;
    }

private:
    static std::set<PerContextTable*>& tables() {
        static auto* all = new std::set<PerContextTable*>;
        return *all;
    }
    static void releaseAll(HGLRC context, bool deleteObjects) {
        if (context == nullptr) {
            return;
        }
        std::lock_guard<std::mutex> guard(lock());
        for (PerContextTable* table : tables()) {
            table->releaseLocked(context, deleteObjects);
        }
    }
};

// `T` owns its GL objects (deleting them when destroyed) and gives them up on `abandon()`.
template <typename T> class PerContext : public PerContextTable {
public:
    PerContext() = default;
    ~PerContext() override { clear(); }

    // The entry of the context current on this thread, or null if it has none yet.
    T* current() {
        std::lock_guard<std::mutex> guard(lock());
        auto found = entries_.find(wglGetCurrentContext());
        return found == entries_.end() ? nullptr : &found->second;
    }
    T& currentOrNew() {
        std::lock_guard<std::mutex> guard(lock());
        return entries_[wglGetCurrentContext()];
    }
    // Deletes the current context's entry and its objects (that context is current).
    void eraseCurrent() {
        std::lock_guard<std::mutex> guard(lock());
        entries_.erase(wglGetCurrentContext());
    }
    // Forgets every entry; their objects die with their contexts.
    void clear() {
        std::lock_guard<std::mutex> guard(lock());
        for (auto& entry : entries_) {
            entry.second.abandon();
        }
        entries_.clear();
    }
    bool empty() const {
        std::lock_guard<std::mutex> guard(lock());
        return entries_.empty();
    }

private:
    void releaseLocked(HGLRC context, bool deleteObjects) override {
        auto found = entries_.find(context);
        if (found == entries_.end()) {
            return;
        }
        if (!deleteObjects) {
            found->second.abandon();
        }
        entries_.erase(found);
    }

    std::map<HGLRC, T> entries_;
};

} // namespace Neon
} // namespace Kelvane
