// The effect API's callbacks are plain C functions without a context argument, so the host
// objects behind them are found through a process-wide "active" instance: the most recently
// made one that still exists (an inner host made inside a test does not orphan the outer).
#pragma once

#include <algorithm>
#include <iterator>
#include <mutex>
#include <vector>

namespace Kelvane::Neon::Host {

template <typename T> class ActiveInstance {
public:
    // Makes `instance` the active one until the scope ends, whatever was made after it, for a
    // process that serves several hosts in turn; the caller runs one such scope at a time.
    class Scope {
    public:
        explicit Scope(T* instance) : instance_(instance) { push(instance); }
        ~Scope() { popLast(instance_); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        T* instance_;
    };

    static void push(T* instance) {
        std::lock_guard<std::mutex> lock(mutex());
        stack().push_back(instance);
    }
    static void remove(T* instance) {
        std::lock_guard<std::mutex> lock(mutex());
        auto& s = stack();
        s.erase(std::remove(s.begin(), s.end(), instance), s.end());
    }
    static T* get() {
        std::lock_guard<std::mutex> lock(mutex());
        return stack().empty() ? nullptr : stack().back();
    }

private:
    // Only the entry a scope pushed: the instance stays where it was made.
    static void popLast(T* instance) {
        std::lock_guard<std::mutex> lock(mutex());
        auto& s = stack();
        const auto last = std::find(s.rbegin(), s.rend(), instance);
        if (last != s.rend()) {
            s.erase(std::next(last).base());
        }
    }
    static std::vector<T*>& stack() {
        static std::vector<T*> instances;
        return instances;
    }
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
};

} // namespace Kelvane::Neon::Host
