// The effect API's callbacks are plain C functions without a context argument, so the host
// objects behind them are found through a process-wide "active" instance: the most recently
// made one that still exists (an inner host made inside a test does not orphan the outer).
#pragma once

#include <algorithm>
#include <mutex>
#include <vector>

namespace aehost {

template <typename T> class ActiveInstance {
public:
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
    static std::vector<T*>& stack() {
        static std::vector<T*> instances;
        return instances;
    }
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
};

} // namespace aehost
