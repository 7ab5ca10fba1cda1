#include "standins/aehost/host/Traps.h"

#include "AE_Effect.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace Kelvane::Neon::Host {
namespace {

constexpr std::size_t kStandIns = 512;
constexpr std::size_t kRecordSlots = 16;

struct Registry {
    std::mutex mutex;
    std::map<std::string, std::size_t> byName;
    std::vector<std::string> names;
    std::vector<std::string> called;
    std::map<std::string, std::unique_ptr<std::array<void*, kRecordSlots>>> records;
};

Registry& registry() {
    static Registry* r = new Registry; // lives past static destruction: modules may call late
    return *r;
}

void hit(std::size_t index) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.called.push_back(index < r.names.size() ? r.names[index] : "an unnamed slot");
}

// Called through pointers of every slot's type: taking no arguments and returning a full
// register is harmless under both 64-bit calling conventions, where the caller cleans up.
template <std::size_t N> std::intptr_t standIn() {
    hit(N);
    return PF_Err_BAD_CALLBACK_PARAM;
}

template <std::size_t... N>
constexpr std::array<std::intptr_t (*)(), sizeof...(N)> makeStandIns(std::index_sequence<N...>) {
    return {&standIn<N>...};
}

const auto kFunctions = makeStandIns(std::make_index_sequence<kStandIns>());

} // namespace

void* Traps::slot(const std::string& name) {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto found = r.byName.find(name);
    if (found == r.byName.end()) {
        if (r.names.size() == kStandIns) {
            throw std::length_error("no stand-in left for " + name);
        }
        found = r.byName.emplace(name, r.names.size()).first;
        r.names.push_back(name);
    }
    return reinterpret_cast<void*>(kFunctions[found->second]);
}

void Traps::fill(void* record, std::size_t bytes, const std::string& recordName) {
    auto* slots = static_cast<void**>(record);
    for (std::size_t i = 0; i < bytes / sizeof(void*); ++i) {
        if (slots[i] == nullptr) {
            slots[i] = slot(recordName + " slot at byte " + std::to_string(i * sizeof(void*)));
        }
    }
}

void* const* Traps::record(const std::string& place) {
    Registry& r = registry();
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        const auto found = r.records.find(place);
        if (found != r.records.end()) {
            return found->second->data();
        }
    }
    auto slots = std::make_unique<std::array<void*, kRecordSlots>>();
    for (std::size_t i = 0; i < kRecordSlots; ++i) {
        (*slots)[i] = slot(place + ", called through as a record (slot at byte " +
                           std::to_string(i * sizeof(void*)) + ")");
    }
    std::lock_guard<std::mutex> lock(r.mutex);
    auto& kept = r.records[place];
    if (!kept) {
        kept = std::move(slots);
    }
    return kept->data();
}

std::vector<std::string> Traps::take() {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return std::exchange(r.called, {});
}

} // namespace Kelvane::Neon::Host
