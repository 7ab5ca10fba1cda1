// The platform's side of loading a module: its PiPL read from the file without running its
// code, the library loaded, a symbol looked up. One implementation per platform
// (ModuleLibraryElf.cpp, ModuleLibraryWin32.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Kelvane::Neon::Host {

class ModuleLibrary {
public:
    // The PiPL's bytes, or std::nullopt when the module has none. Throws std::runtime_error when
    // the file is not a module of this platform.
    static std::optional<std::vector<std::uint8_t>> readPiPL(const std::string& path);
    // The folder of the running program, with a trailing separator.
    static std::string programFolder();

    // Throws std::runtime_error with the platform's reason when the library cannot be loaded.
    explicit ModuleLibrary(const std::string& path);
    ~ModuleLibrary();
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    // nullptr when the library does not export `name`.
    void* symbol(const std::string& name) const;

private:
    void* handle_ = nullptr;
};

} // namespace Kelvane::Neon::Host
