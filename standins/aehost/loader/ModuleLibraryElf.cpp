#include "standins/aehost/loader/ModuleLibrary.h"

#include "standins/aehost/loader/ElfFile.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <stdexcept>

namespace Kelvane::Neon::Host {

std::optional<std::vector<std::uint8_t>> ModuleLibrary::readPiPL(const std::string& path) {
    return ElfFile(path).section(".pipl");
}

std::string ModuleLibrary::programFolder() {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) {
        return "";
    }
    std::string folder(self, static_cast<std::size_t>(n));
    return folder.erase(folder.find_last_of('/') + 1);
}

ModuleLibrary::ModuleLibrary(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        throw std::runtime_error(dlerror());
    }
}

ModuleLibrary::~ModuleLibrary() {
    dlclose(handle_);
}

void* ModuleLibrary::symbol(const std::string& name) const {
    return dlsym(handle_, name.c_str());
}

} // namespace Kelvane::Neon::Host
