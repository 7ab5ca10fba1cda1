#include "standins/aehost/loader/ModuleLibrary.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <memory>
#include <stdexcept>
#include <type_traits>

namespace Kelvane::Neon::Host {
namespace {

constexpr WORD kPiPLResourceId = 16000;

std::string lastErrorText() {
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = length > 0 ? std::string(text, length) : "";
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return message.empty() ? "Windows error " + std::to_string(code) : message;
}

struct LibraryCloser {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};

} // namespace

// Read as resources only: the module's code does not run until it is known to be an effect.
std::optional<std::vector<std::uint8_t>> ModuleLibrary::readPiPL(const std::string& path) {
    const std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryCloser> module(LoadLibraryExA(
        path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) {
        throw std::runtime_error("not a Windows module (" + lastErrorText() + ")");
    }
    HRSRC found = FindResourceA(module.get(), MAKEINTRESOURCEA(kPiPLResourceId), "PiPL");
    if (found == nullptr) {
        return std::nullopt;
    }
    HGLOBAL loaded = LoadResource(module.get(), found);
    const auto* bytes = loaded ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr) {
        throw std::runtime_error("its PiPL resource cannot be read (" + lastErrorText() + ")");
    }
    return std::vector<std::uint8_t>(bytes, bytes + SizeofResource(module.get(), found));
}

std::string ModuleLibrary::programFolder() {
    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (n == 0 || n == MAX_PATH) {
        return "";
    }
    std::string folder(self, n);
    return folder.erase(folder.find_last_of("\\/") + 1);
}

ModuleLibrary::ModuleLibrary(const std::string& path) {
    handle_ = LoadLibraryA(path.c_str());
    if (handle_ == nullptr) {
        throw std::runtime_error(lastErrorText());
    }
}

ModuleLibrary::~ModuleLibrary() {
    FreeLibrary(static_cast<HMODULE>(handle_));
}

void* ModuleLibrary::symbol(const std::string& name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

} // namespace Kelvane::Neon::Host
