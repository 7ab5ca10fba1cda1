// Reads one resource out of a Windows module file on any platform: the PE headers, the section
// table, and the resource tree (type, then id, then language) down to the data entry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Kelvane::Neon::Test {

// The data of the resource of type name `type` (compared as Windows does, ignoring ASCII case:
// resource compilers store "PiPL" as "PIPL") and numeric id `id`, in its first language;
// std::nullopt when the module has no such resource. Throws std::runtime_error when `image` is not
// a well-formed PE file.
std::optional<std::vector<std::uint8_t>> readResource(const std::vector<std::uint8_t>& image,
                                                      const std::string& type, std::uint16_t id);

// The same for a resource of numeric type `type` (16 for the version resource).
std::optional<std::vector<std::uint8_t>> readResource(const std::vector<std::uint8_t>& image,
                                                      std::uint16_t type, std::uint16_t id);

} // namespace Kelvane::Neon::Test
