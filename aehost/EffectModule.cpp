#include "EffectModule.h"

#include "ElfFile.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace aehost {

EffectModule::EffectModule(const std::string& path) : path_(path) {
    if (access(path.c_str(), R_OK) != 0) {
        throw ModuleError("cannot read module " + path);
    }
    try {
        const ElfFile file(path);
        const auto bytes = file.section(".pipl");
        if (!bytes) {
            throw ModuleError(path + " has no PiPL resource: it is not an effect module");
        }
        pipl_ = PiPL::parse(*bytes);
        const PiPLProperty* kind = pipl_.find("kind");
        if (kind == nullptr || kind->asOSType() != "eFKT") {
            throw ModuleError(path + " is not an effect (its PiPL kind is " +
                              (kind ? "'" + kind->asOSType() + "'" : std::string("missing")) +
                              ", expected 'eFKT')");
        }
        if (pipl_.find("8664") == nullptr) {
            throw ModuleError(path + " has no 64-bit entry point (no '8664' PiPL property)");
        }
        if (name().empty() || matchName().empty()) {
            throw ModuleError(path + " has no effect name or match name in its PiPL");
        }
    } catch (const ModuleError&) {
        throw;
    } catch (const std::exception& e) {
        throw ModuleError(path + ": " + e.what());
    }

    library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr) {
        throw ModuleError("cannot load " + path + ": " + dlerror());
    }
    const std::string entryName = pipl_.find("8664")->asCString();
    entry_ = reinterpret_cast<PF_EntryPointFunc>(dlsym(library_, entryName.c_str()));
    if (entry_ == nullptr) {
        dlclose(library_);
        throw ModuleError(path + " does not export its entry point " + entryName);
    }
}

EffectModule::~EffectModule() {
    if (library_ != nullptr) {
        dlclose(library_);
    }
}

namespace {
std::string textOf(const PiPL& pipl, const char* key) {
    const PiPLProperty* p = pipl.find(key);
    return p ? p->asPString() : std::string();
}
} // namespace

std::string EffectModule::name() const {
    return textOf(pipl_, "name");
}
std::string EffectModule::category() const {
    return textOf(pipl_, "catg");
}
std::string EffectModule::matchName() const {
    return textOf(pipl_, "eMNA");
}

std::string EffectModule::besideProgram() {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) {
        return "ZarvoNeon.aex";
    }
    std::string dir(self, static_cast<std::size_t>(n));
    dir.erase(dir.find_last_of('/') + 1);
    return dir + "ZarvoNeon.aex";
}

} // namespace aehost
