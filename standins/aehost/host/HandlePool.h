// Host memory handles, served through the "PF Handle Suite". Tracks
// live handles and locks, and can be told to fail allocations.
#pragma once

#include "AE_EffectCBSuites.h"

#include <cstddef>
#include <mutex>

namespace Kelvane::Neon::Host {

class HandlePool {
public:
    HandlePool();
    ~HandlePool();
    HandlePool(const HandlePool&) = delete;
    HandlePool& operator=(const HandlePool&) = delete;

    PF_HandleSuite1* suite() { return &suite_; }

    // The next `count` allocations return null.
    void failAllocations(int count) { failures_ = count; }
    int liveHandles() const { return live_; }
    int lockedHandles() const { return locked_; }
    std::size_t allocations() const { return allocations_; }

private:
    static PF_Handle newHandle(A_HandleSize size);
    static void* lock(PF_Handle handle);
    static void unlock(PF_Handle handle);
    static void dispose(PF_Handle handle);
    static A_HandleSize sizeOf(PF_Handle handle);
    static PF_Err resize(A_HandleSize size, PF_Handle* handle);

    PF_HandleSuite1 suite_;
    int failures_ = 0;
    int live_ = 0;
    int locked_ = 0;
    std::size_t allocations_ = 0;
    std::mutex mutex_;
};

} // namespace Kelvane::Neon::Host
