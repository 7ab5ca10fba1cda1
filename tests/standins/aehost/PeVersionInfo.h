// Reads a Windows module's version resource (VS_VERSIONINFO, resource 1 of type 16): the fixed
// file information and the first StringFileInfo table, on any platform.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Kelvane::Neon::Test {

struct VersionInfo {
    // Four-part versions, most significant first ("1.0.0.0" is {1, 0, 0, 0}).
    std::array<std::uint16_t, 4> fileVersion{};
    std::array<std::uint16_t, 4> productVersion{};
    std::uint32_t fileFlags = 0;
    std::uint32_t fileOS = 0;
    std::uint32_t fileType = 0; // 1 an application, 2 a DLL
    // The string table's key ("040904B0": language and code page in hexadecimal), its strings
    // (UTF-8, by name), and the language and code page pairs that VarFileInfo's Translation lists.
    std::string tableKey;
    std::map<std::string, std::string> strings;
    std::vector<std::uint32_t> translations;
};

// The version resource of the PE file `image`; std::nullopt when it has none. Throws
// std::runtime_error when the file or the resource is malformed.
std::optional<VersionInfo> readVersionInfo(const std::vector<std::uint8_t>& image);

// "1.0.0.0".
std::string versionText(const std::array<std::uint16_t, 4>& version);

} // namespace Kelvane::Neon::Test
