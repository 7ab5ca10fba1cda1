// The seam tests steer the stand-in through; without hooks every call simply goes through.

#include "standins/win32/Internal.h"

#include <atomic>
#include <iterator>
#include <set>

namespace Kelvane::Neon::StandIn {
namespace detail {
namespace {

constexpr FunctionInfo kFunctions[] = {
#define WIN32_STANDIN_INFO(name, failable) {#name, failable},
    WIN32_STANDIN_FUNCTIONS(WIN32_STANDIN_INFO)
#undef WIN32_STANDIN_INFO
};

const char* const kExtensions[] = {"WGL_ARB_extensions_string", "WGL_ARB_create_context"};

std::atomic<Hooks*> installed{nullptr};

} // namespace

bool enter(Fn function) {
    Hooks* hooks = installed.load();
    if (hooks == nullptr)
        return true;
    DWORD error = ERROR_GEN_FAILURE;
    if (hooks->enter(static_cast<std::size_t>(function), &error))
        return true;
    setError(error);
    return false;
}

std::mutex& tableLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

bool extensionEnabled(const std::string& extension) {
    Hooks* hooks = installed.load();
    return hooks == nullptr || hooks->extensionEnabled(extension);
}

const char* extensionString() {
    std::string list;
    for (const char* name : kExtensions) {
        if (!extensionEnabled(name))
            continue;
        list += list.empty() ? "" : " ";
        list += name;
    }
    // Never shrinks and never destroyed: handed-out pointers stay valid for the process.
    static auto* lock = new std::mutex;
    static auto* strings = new std::set<std::string>;
    std::lock_guard<std::mutex> guard(*lock);
    return strings->insert(list).first->c_str();
}

bool openUrlThroughHooks(const std::string& url, bool* opened) {
    Hooks* hooks = installed.load();
    return hooks != nullptr && hooks->openUrl(url, opened);
}

} // namespace detail

void installHooks(Hooks* hooks) {
    detail::installed.store(hooks);
}

const FunctionInfo* functionList(std::size_t* count) {
    *count = std::size(detail::kFunctions);
    return detail::kFunctions;
}

const char* const* extensionList(std::size_t* count) {
    *count = std::size(detail::kExtensions);
    return detail::kExtensions;
}

} // namespace Kelvane::Neon::StandIn
