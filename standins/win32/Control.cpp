// Steering state for tests: call counts, injected failures, dropped extensions, URL opener.
// Installed into the stand-in as its hooks when this library is loaded.

#include "standins/win32/StandInControl.h"

#include <mutex>
#include <set>
#include <stdexcept>
#include <algorithm>
#include <vector>

namespace Kelvane::Neon::StandIn {
namespace {

class Steering final : public Hooks {
public:
    Steering() {
        functions = functionList(&functionCount);
        calls.assign(functionCount, 0);
        failuresLeft.assign(functionCount, 0);
        failureError.assign(functionCount, ERROR_GEN_FAILURE);
    }

    bool enter(std::size_t function, DWORD* error) override {
        std::lock_guard<std::mutex> guard(lock);
        ++calls[function];
        if (failuresLeft[function] == 0)
            return true;
        --failuresLeft[function];
        *error = failureError[function];
        return false;
    }

    bool extensionEnabled(const std::string& extension) override {
        std::lock_guard<std::mutex> guard(lock);
        return dropped.count(extension) == 0;
    }

    bool openUrl(const std::string& url, bool* opened) override {
        UrlOpener current;
        {
            std::lock_guard<std::mutex> guard(lock);
            current = opener;
        }
        if (!current)
            return false;
        *opened = current(url);
        return true;
    }

    std::size_t functionIndex(const std::string& name) const {
        for (std::size_t i = 0; i < functionCount; ++i)
            if (name == functions[i].name)
                return i;
        throw std::invalid_argument("not a Win32 stand-in function: " + name);
    }

    const FunctionInfo* functions = nullptr;
    std::size_t functionCount = 0;
    std::mutex lock;
    std::vector<unsigned long> calls;
    std::vector<int> failuresLeft;
    std::vector<DWORD> failureError;
    std::set<std::string> dropped;
    UrlOpener opener;
};

// Never destroyed: other threads may still call in while the process exits.
Steering& steering() {
    static auto* state = new Steering;
    return *state;
}

// Counting starts when the library is loaded, before any test runs.
const bool installedAtLoad = [] {
    installHooks(&steering());
    return true;
}();

void checkExtension(const std::string& name) {
    std::size_t count = 0;
    const char* const* known = extensionList(&count);
    for (std::size_t i = 0; i < count; ++i)
        if (name == known[i])
            return;
    throw std::invalid_argument("not a WGL extension of the stand-in: " + name);
}

} // namespace

unsigned long callCount(const std::string& function) {
    const std::size_t i = steering().functionIndex(function);
    std::lock_guard<std::mutex> guard(steering().lock);
    return steering().calls[i];
}

void resetCallCounts() {
    std::lock_guard<std::mutex> guard(steering().lock);
    std::fill(steering().calls.begin(), steering().calls.end(), 0);
}

void dropExtension(const std::string& extension) {
    checkExtension(extension);
    std::lock_guard<std::mutex> guard(steering().lock);
    steering().dropped.insert(extension);
}

void restoreExtensions() {
    std::lock_guard<std::mutex> guard(steering().lock);
    steering().dropped.clear();
}

void failCall(const std::string& function, int times, DWORD error) {
    const std::size_t i = steering().functionIndex(function);
    if (!steering().functions[i].failable)
        throw std::invalid_argument(function + " has no failure to inject");
    if (times < 0)
        throw std::invalid_argument("failCall needs a count of zero or more");
    std::lock_guard<std::mutex> guard(steering().lock);
    steering().failuresLeft[i] = times;
    steering().failureError[i] = error;
}

void clearFailures() {
    std::lock_guard<std::mutex> guard(steering().lock);
    std::fill(steering().failuresLeft.begin(), steering().failuresLeft.end(), 0);
}

void setUrlOpener(UrlOpener opener) {
    std::lock_guard<std::mutex> guard(steering().lock);
    steering().opener = std::move(opener);
}

void resetAll() {
    Steering& s = steering();
    std::lock_guard<std::mutex> guard(s.lock);
    std::fill(s.calls.begin(), s.calls.end(), 0);
    std::fill(s.failuresLeft.begin(), s.failuresLeft.end(), 0);
    s.dropped.clear();
    s.opener = nullptr;
}

} // namespace Kelvane::Neon::StandIn
