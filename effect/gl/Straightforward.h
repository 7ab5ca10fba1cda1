// For tests: frames evaluated as their passes are written (every stroke, every colour mode and
// the blend; multisampled layers; targets zero-filled and cleared before each pass; a float
// upload), to check in one run that the fast path gives the same bytes. Off in the product.
#pragma once

#include <atomic>

namespace Kelvane {
namespace Neon {

inline std::atomic<bool>& straightforwardFlag() {
    static std::atomic<bool> on{false};
    return on;
}
inline bool straightforward() {
    return straightforwardFlag().load();
}
inline void setStraightforward(bool on) {
    straightforwardFlag().store(on);
}

} // namespace Neon
} // namespace Kelvane
