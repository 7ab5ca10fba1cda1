// Steering state for tests: call counts, injected failures, dropped extensions, URL opener.

#include "standins/win32/Internal.h"

#include <array>
#include <set>
#include <stdexcept>

namespace win32standin {
namespace detail {
namespace {

struct FunctionInfo {
    const char* name;
    bool failable;
};

constexpr FunctionInfo kFunctions[] = {
#define WIN32_STANDIN_INFO(name, failable) {#name, failable},
    WIN32_STANDIN_FUNCTIONS(WIN32_STANDIN_INFO)
#undef WIN32_STANDIN_INFO
};
constexpr std::size_t kFunctionCount = std::size(kFunctions);

const char* const kExtensions[] = {"WGL_ARB_extensions_string", "WGL_ARB_create_context"};

struct Steering {
    std::mutex lock;
    std::array<unsigned long, kFunctionCount> calls{};
    std::array<int, kFunctionCount> failuresLeft{};
    std::array<DWORD, kFunctionCount> failureError{};
    std::set<std::string> dropped;
    std::set<std::string> extensionStrings; // never shrinks: handed-out pointers stay valid
    UrlOpener opener;
};

// Never destroyed: other threads may still call in while the process exits.
Steering& steering() {
    static auto* state = new Steering;
    return *state;
}

std::size_t functionIndex(const std::string& name) {
    for (std::size_t i = 0; i < kFunctionCount; ++i)
        if (name == kFunctions[i].name)
            return i;
    throw std::invalid_argument("not a Win32 stand-in function: " + name);
}

void checkExtension(const std::string& name) {
    for (const char* known : kExtensions)
        if (name == known)
            return;
    throw std::invalid_argument("not a WGL extension of the stand-in: " + name);
}

} // namespace

bool enter(Fn function) {
    const auto i = static_cast<std::size_t>(function);
    Steering& s = steering();
    std::lock_guard<std::mutex> guard(s.lock);
    ++s.calls[i];
    if (s.failuresLeft[i] == 0)
        return true;
    --s.failuresLeft[i];
    setError(s.failureError[i]);
    return false;
}

std::mutex& tableLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

bool extensionEnabled(const std::string& extension) {
    Steering& s = steering();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.dropped.count(extension) == 0;
}

const char* extensionString() {
    Steering& s = steering();
    std::lock_guard<std::mutex> guard(s.lock);
    std::string list;
    for (const char* name : kExtensions) {
        if (s.dropped.count(name))
            continue;
        list += list.empty() ? "" : " ";
        list += name;
    }
    return s.extensionStrings.insert(list).first->c_str();
}

UrlOpener urlOpener() {
    Steering& s = steering();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.opener;
}

} // namespace detail

using detail::steering;

unsigned long callCount(const std::string& function) {
    const std::size_t i = detail::functionIndex(function);
    std::lock_guard<std::mutex> guard(steering().lock);
    return steering().calls[i];
}

void resetCallCounts() {
    std::lock_guard<std::mutex> guard(steering().lock);
    steering().calls.fill(0);
}

void dropExtension(const std::string& extension) {
    detail::checkExtension(extension);
    std::lock_guard<std::mutex> guard(steering().lock);
    steering().dropped.insert(extension);
}

void restoreExtensions() {
    std::lock_guard<std::mutex> guard(steering().lock);
    steering().dropped.clear();
}

void failCall(const std::string& function, int times, DWORD error) {
    const std::size_t i = detail::functionIndex(function);
    if (!detail::kFunctions[i].failable)
        throw std::invalid_argument(function + " has no failure to inject");
    if (times < 0)
        throw std::invalid_argument("failCall needs a count of zero or more");
    std::lock_guard<std::mutex> guard(steering().lock);
    steering().failuresLeft[i] = times;
    steering().failureError[i] = error;
}

void clearFailures() {
    std::lock_guard<std::mutex> guard(steering().lock);
    steering().failuresLeft.fill(0);
}

void setUrlOpener(UrlOpener opener) {
    std::lock_guard<std::mutex> guard(steering().lock);
    steering().opener = std::move(opener);
}

void resetAll() {
    auto& s = steering();
    std::lock_guard<std::mutex> guard(s.lock);
    s.calls.fill(0);
    s.failuresLeft.fill(0);
    s.dropped.clear();
    s.opener = nullptr;
}

} // namespace win32standin
