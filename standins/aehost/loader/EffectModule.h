// A loaded effect module: its PiPL checked and its entry point resolved. The library stays
// loaded for the life of the object.
#pragma once

#include "standins/aehost/loader/ModuleLibrary.h"
#include "standins/aehost/loader/PiPL.h"

#include "AE_Effect.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace Kelvane::Neon::Host {

// The PiPL version this host reads, and the effect API version it speaks (in_data->version).
constexpr PiPLVersion kPiPLVersion{2, 0};
constexpr PiPLVersion kHostApiVersion{13, 14};

struct ModuleError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class EffectModule {
public:
    // Throws ModuleError with a message for the user when the file is missing, is not an
    // effect, names no 64-bit entry point, has a PiPL of another version or is built for a
    // newer effect API, or cannot be loaded.
    explicit EffectModule(const std::string& path);
    ~EffectModule();
    EffectModule(const EffectModule&) = delete;
    EffectModule& operator=(const EffectModule&) = delete;

    const std::string& path() const { return path_; }
    const PiPL& pipl() const { return pipl_; }
    std::string name() const;
    std::string category() const;
    std::string matchName() const;
    PF_FilterProc entryPoint() const { return entry_; }

    // The module to load when none is named: ZarvoNeon.aex beside the running program (a build
    // tree, the Windows zip), else in lib/zarvo-neon/ beside the program's folder (an installed
    // tree: bin/ and lib/ under one prefix). Throws ModuleError naming both places when neither
    // holds it.
    static std::string findDefault();

private:
    std::string path_;
    PiPL pipl_;
    std::unique_ptr<ModuleLibrary> library_;
    PF_FilterProc entry_ = nullptr;
};

} // namespace Kelvane::Neon::Host
