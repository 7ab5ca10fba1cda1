// A record handed to a module with a guard zone right after it, to catch writes past its end
// (a module built with a shorter idea of the record writes there). Reading a record the host
// lays out by the published layout never touches the zone.
#pragma once

#include <cstddef>
#include <cstring>

namespace Kelvane::Neon::Host {

template <class T> struct GuardedRecord {
    static constexpr unsigned char kFill = 0xA5;
    static constexpr std::size_t kGuardBytes = 64;

    T record;
    unsigned char guard[kGuardBytes];

    explicit GuardedRecord(const T& value) : record(value) { arm(); }
    void arm() { std::memset(guard, kFill, sizeof guard); }
    // The first byte past the record that changed, counted from the record's start, or 0.
    std::size_t firstWritePast() const {
        for (std::size_t i = 0; i < kGuardBytes; ++i) {
            if (guard[i] != kFill) {
                return sizeof(T) + i;
            }
        }
        return 0;
    }
};

} // namespace Kelvane::Neon::Host
