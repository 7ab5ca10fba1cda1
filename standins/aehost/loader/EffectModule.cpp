#include "standins/aehost/loader/EffectModule.h"

#include <cstdio>
#include <filesystem>

namespace Kelvane::Neon::Host {
namespace {

std::string text(const PiPLVersion& v) {
    return std::to_string(v.major) + "." + std::to_string(v.minor);
}

// The PiPL must be of version 2.0, and the effect built for an API this host speaks: each
// version is two 16-bit words, major first, and a module that wrote them the other way round
// reads as 0.2 and 14.13.
void checkVersions(const std::string& path, const PiPL& pipl) {
    const PiPLProperty* piplVersion = pipl.find("ePVR");
    const PiPLProperty* apiVersion = pipl.find("eSVR");
    if (piplVersion == nullptr || apiVersion == nullptr) {
        throw ModuleError(path + " has no PiPL or effect API version ('ePVR', 'eSVR')");
    }
    const PiPLVersion v = piplVersion->asVersion();
    if (v.major != kPiPLVersion.major || v.minor != kPiPLVersion.minor) {
        throw ModuleError(path + " has a PiPL of version " + text(v) + "; this host reads " +
                          text(kPiPLVersion));
    }
    const PiPLVersion api = apiVersion->asVersion();
    if (api.major > kHostApiVersion.major ||
        (api.major == kHostApiVersion.major && api.minor > kHostApiVersion.minor)) {
        throw ModuleError(path + " is built for effect API " + text(api) +
                          ", newer than this host's " + text(kHostApiVersion));
    }
}

} // namespace

EffectModule::EffectModule(const std::string& path) : path_(path) {
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
    } else {
        throw ModuleError("cannot read module " + path);
    }
    try {
        const auto bytes = ModuleLibrary::readPiPL(path);
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
        checkVersions(path, pipl_);
        if (name().empty() || matchName().empty()) {
            throw ModuleError(path + " has no effect name or match name in its PiPL");
        }
    } catch (const ModuleError&) {
        throw;
    } catch (const std::exception& e) {
        throw ModuleError(path + ": " + e.what());
    }

    try {
        library_ = std::make_unique<ModuleLibrary>(path);
    } catch (const std::exception& e) {
        throw ModuleError("cannot load " + path + ": " + e.what());
    }
    const std::string entryName = pipl_.find("8664")->asCString();
    entry_ = reinterpret_cast<PF_FilterProc>(library_->symbol(entryName));
    if (entry_ == nullptr) {
        throw ModuleError(path + " does not export its entry point " + entryName);
    }
}

EffectModule::~EffectModule() = default;

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

std::string EffectModule::findDefault() {
    namespace fs = std::filesystem;
    const fs::path program = ModuleLibrary::programFolder();
    const fs::path beside = program / "ZarvoNeon.aex";
    const fs::path installed = (program / "../lib/zarvo-neon/ZarvoNeon.aex").lexically_normal();
    for (const fs::path& candidate : {beside, installed}) {
        std::error_code error;
        if (fs::is_regular_file(candidate, error)) {
            return candidate.string();
        }
    }
    throw ModuleError("no effect module: ZarvoNeon.aex is neither beside this program (" +
                      beside.string() + ") nor in " + installed.string() +
                      "; name one with --module");
}

} // namespace Kelvane::Neon::Host
