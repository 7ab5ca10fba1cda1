#include "standins/aehost/host/HandlePool.h"

#include "standins/aehost/host/ActiveInstance.h"

#include <cstdlib>
#include <cstring>

namespace Kelvane::Neon::Host {
namespace {

// A handle points at the first field, so *handle is the block's memory, as the API requires.
// The block remembers its pool, whichever pool is active when it is used.
struct Block {
    void* memory;
    A_HandleSize size;
    int locks;
    HandlePool* pool;
};

Block* blockOf(PF_Handle handle) {
    return reinterpret_cast<Block*>(handle);
}

} // namespace

HandlePool::HandlePool() : suite_{} {
    suite_.host_new_handle = &HandlePool::newHandle;
    suite_.host_lock_handle = &HandlePool::lock;
    suite_.host_unlock_handle = &HandlePool::unlock;
    suite_.host_dispose_handle = &HandlePool::dispose;
    suite_.host_get_handle_size = &HandlePool::sizeOf;
    suite_.host_resize_handle = &HandlePool::resize;
    ActiveInstance<HandlePool>::push(this);
}

HandlePool::~HandlePool() {
    ActiveInstance<HandlePool>::remove(this);
}

PF_Handle HandlePool::newHandle(A_HandleSize size) {
    HandlePool* active = ActiveInstance<HandlePool>::get();
    if (active == nullptr) {
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(active->mutex_);
    if (active->failures_ > 0) {
        --active->failures_;
        return nullptr;
    }
    void* memory = std::calloc(size > 0 ? size : 1, 1);
    if (memory == nullptr) {
        return nullptr;
    }
    ++active->live_;
    ++active->allocations_;
    return reinterpret_cast<PF_Handle>(new Block{memory, size, 0, active});
}

void* HandlePool::lock(PF_Handle handle) {
    if (handle == nullptr) {
        return nullptr;
    }
    HandlePool* pool = blockOf(handle)->pool;
    std::lock_guard<std::mutex> guard(pool->mutex_);
    if (blockOf(handle)->locks++ == 0) {
        ++pool->locked_;
    }
    return blockOf(handle)->memory;
}

void HandlePool::unlock(PF_Handle handle) {
    if (handle == nullptr) {
        return;
    }
    HandlePool* pool = blockOf(handle)->pool;
    std::lock_guard<std::mutex> guard(pool->mutex_);
    if (blockOf(handle)->locks > 0 && --blockOf(handle)->locks == 0) {
        --pool->locked_;
    }
}

void HandlePool::dispose(PF_Handle handle) {
    if (handle == nullptr) {
        return;
    }
    Block* block = blockOf(handle);
    HandlePool* pool = block->pool;
    std::lock_guard<std::mutex> guard(pool->mutex_);
    if (block->locks > 0) {
        --pool->locked_;
    }
    std::free(block->memory);
    delete block;
    --pool->live_;
}

A_HandleSize HandlePool::sizeOf(PF_Handle handle) {
    return handle ? blockOf(handle)->size : 0;
}

PF_Err HandlePool::resize(A_HandleSize size, PF_Handle* handle) {
    if (handle == nullptr || *handle == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    Block* block = blockOf(*handle);
    void* memory = std::realloc(block->memory, size > 0 ? size : 1);
    if (memory == nullptr) {
        return PF_Err_OUT_OF_MEMORY;
    }
    if (size > block->size) {
        std::memset(static_cast<char*>(memory) + block->size, 0, size - block->size);
    }
    block->memory = memory;
    block->size = size;
    return PF_Err_NONE;
}

} // namespace Kelvane::Neon::Host
