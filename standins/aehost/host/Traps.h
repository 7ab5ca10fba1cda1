// Stand-ins for the callback and suite slots an effect is not meant to call. Each named slot
// gets a function of its own that records the name and answers PF_Err_BAD_CALLBACK_PARAM, so a
// module whose idea of a record's layout differs from the host's fails naming the slot it
// reached, instead of running whatever function happens to sit there. Any thread may call.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace Kelvane::Neon::Host {

class Traps {
public:
    // The function standing in for the slot `name` (the same one for every call with it).
    // Throws std::length_error once every stand-in is taken.
    static void* slot(const std::string& name);
    // Puts a stand-in into every null pointer of a record made of function pointers (a suite),
    // named after the record and the slot's byte offset.
    static void fill(void* record, std::size_t bytes, const std::string& recordName);
    // A record of stand-ins named after `place`, for pointers that should never be followed:
    // whatever slot a module calls through it, the call is recorded.
    static void* const* record(const std::string& place);
    // The slots called since the last take, in order; clears them.
    static std::vector<std::string> take();
};

} // namespace Kelvane::Neon::Host
