// Reads what the host needs from a module file on Linux: a named section's bytes (the PiPL
// lives in ".pipl") and the names of the symbols the module exports.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Kelvane::Neon::Host {

class ElfFile {
public:
    // Throws std::runtime_error when the file cannot be read or is not a 64-bit ELF object.
    explicit ElfFile(const std::string& path);

    std::optional<std::vector<std::uint8_t>> section(const std::string& name) const;
    // Names of the dynamic symbols defined (not imported) by the file, global or weak.
    std::vector<std::string> exportedSymbols() const;

private:
    struct Section {
        std::string name;
        std::uint32_t type;
        std::uint64_t offset, size, entrySize;
        std::uint32_t link;
    };
    const Section* find(const std::string& name) const;

    std::string path_;
    std::vector<std::uint8_t> bytes_;
    std::vector<Section> sections_;
};

} // namespace Kelvane::Neon::Host
