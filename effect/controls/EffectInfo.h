// Identity of the effect as the host shows it. The PiPL description in resources/ carries the
// same name, version and flags; the host insists they agree.
#pragma once

#include "AE_Effect.h"

#include <string>

namespace Kelvane {
namespace Neon {

constexpr const char* kEffectName = "Zarvo Neon";
constexpr const char* kEffectDescription = "Zarvo Neon";
constexpr int kMajorVersion = 1;
constexpr int kMinorVersion = 0;
constexpr int kBugVersion = 0;
constexpr int kBuildVersion = 1;
constexpr A_u_long kPackedVersion =
    PF_VERSION(kMajorVersion, kMinorVersion, kBugVersion, PF_Stage_DEVELOP, kBuildVersion);
static_assert(kPackedVersion == 0x00080001, "must match eVER in the PiPL");

// The name and version as the About text's first line shows them: "Zarvo Neon v1.0".
inline std::string versionText() {
    return std::string(kEffectName) + " v" + std::to_string(kMajorVersion) + "." +
           std::to_string(kMinorVersion);
}

constexpr PF_OutFlags kGlobalOutFlags = PF_OutFlag_CUSTOM_UI;
constexpr PF_OutFlags2 kGlobalOutFlags2 = PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG;

// The maker's web domain and page: a reserved name short enough to show whole in the
// header strip's text box.
constexpr const char* kMakerDomain = "zarvo.test";
constexpr const char* kMakerPage = "https://zarvo.test/neon";

} // namespace Neon
} // namespace Kelvane
