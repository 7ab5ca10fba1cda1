#include "effect/ui/DrawbotSuites.h"

#include "AE_EffectCB.h"
#include "SPBasic.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kMessageBufferSize = 1024;
// Room the acquire message needs besides the suite name (format text and a version number).
constexpr std::size_t kMessageOverhead = 64;

void ReportToHost(PF_OutData* out_data, const char* text) {
    if (out_data == nullptr) {
        return;
    }
    out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
    // Bounded: a long caller message is cut rather than run past return_msg.
    const std::size_t length = std::min(std::strlen(text), sizeof out_data->return_msg - 1);
    std::memcpy(out_data->return_msg, text, length);
    out_data->return_msg[length] = '\0';
}

SPBasicSuite* BasicSuite(PF_InData* in_data) {
    return in_data != nullptr ? in_data->pica_basicP : nullptr;
}

template <typename Suite>
PF_Err AcquireInto(PF_InData* in_data, PF_OutData* out_data, const char* name, A_long version,
                   const Suite*& field) {
    const void* suite = nullptr;
    const PF_Err err = AEFX_AcquireSuite(in_data, out_data, name, version, nullptr, &suite);
    field = static_cast<const Suite*>(suite);
    return err;
}

template <typename Suite>
void ReleaseHeld(SPBasicSuite* basic, PF_OutData* out_data, const char* name, A_long version,
                 const Suite*& field) {
    if (field == nullptr) {
        return;
    }
    if (basic == nullptr) {
        ReportToHost(out_data, "Not able to release AEFX Suite.");
        return;
    }
    basic->ReleaseSuite(name, version);
    field = nullptr;
}

} // namespace

PF_Err AEFX_AcquireSuite(PF_InData* in_data, PF_OutData* out_data, const char* name, A_long version,
                         const char* message, const void** suite) {
    const void* acquired = nullptr;
    SPBasicSuite* basic = BasicSuite(in_data);
    if (basic != nullptr && name != nullptr) {
        // Some hosts answer an error yet hand the suite out: the pointer decides.
        basic->AcquireSuite(name, version, &acquired);
    }
    if (suite != nullptr) {
        *suite = acquired;
    }
    if (acquired != nullptr) {
        return PF_Err_NONE;
    }
    if (message == nullptr) {
        static const char* const kFormat = "Not able to acquire AEFX Suite-%s-%d";
        const char* shown = name != nullptr ? name : "";
        char text[kMessageBufferSize];
        const auto* utils = in_data != nullptr ? in_data->utils : nullptr;
        // The host's sprintf has no bound: it only gets names that fit.
        if (utils != nullptr && utils->ansi.sprintf != nullptr &&
            std::strlen(shown) < sizeof text - kMessageOverhead) {
            utils->ansi.sprintf(text, kFormat, shown, static_cast<int>(version));
        } else {
            std::snprintf(text, sizeof text, kFormat, shown, static_cast<int>(version));
        }
        ReportToHost(out_data, text);
    } else {
        ReportToHost(out_data, message);
    }
    return PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err AEFX_AcquireDrawbotSuites(PF_InData* in_data, PF_OutData* out_data, DrawbotSuites* suites) {
    if (suites == nullptr) {
        ReportToHost(out_data, "NULL suite pointer passed to AEFX_AcquireDrawbotSuites");
        return PF_Err_UNRECOGNIZED_PARAM_TYPE;
    }
    PF_Err err = AcquireInto(in_data, out_data, kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1,
                             suites->drawbot_suiteP);
    if (err == PF_Err_NONE) {
        err = AcquireInto(in_data, out_data, kDRAWBOT_SupplierSuite,
                          kDRAWBOT_SupplierSuite_Version1, suites->supplier_suiteP);
    }
    if (err == PF_Err_NONE) {
        err = AcquireInto(in_data, out_data, kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version2,
                          suites->surface_suiteP);
    }
    if (err == PF_Err_NONE) {
        err = AcquireInto(in_data, out_data, kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1,
                          suites->path_suiteP);
    }
    return err;
}

PF_Err AEFX_ReleaseDrawbotSuites(PF_InData* in_data, PF_OutData* out_data, DrawbotSuites* suites) {
    if (suites == nullptr) {
        return PF_Err_NONE;
    }
    // Only what was handed out goes back: a failed acquisition leaves null fields.
    SPBasicSuite* basic = BasicSuite(in_data);
    ReleaseHeld(basic, out_data, kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1,
                suites->drawbot_suiteP);
    ReleaseHeld(basic, out_data, kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1,
                suites->supplier_suiteP);
    ReleaseHeld(basic, out_data, kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version2,
                suites->surface_suiteP);
    ReleaseHeld(basic, out_data, kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1,
                suites->path_suiteP);
    return PF_Err_NONE;
}

namespace Kelvane {
namespace Neon {

ScopedDrawbotSuites::ScopedDrawbotSuites(PF_InData* in_data, PF_OutData* out_data)
    : in_data_(in_data), out_data_(out_data),
      error_(AEFX_AcquireDrawbotSuites(in_data, out_data, &suites_)) {}

void ScopedDrawbotSuites::release() {
    AEFX_ReleaseDrawbotSuites(in_data_, out_data_, &suites_);
}

} // namespace Neon
} // namespace Kelvane
