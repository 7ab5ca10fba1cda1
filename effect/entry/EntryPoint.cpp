// The module's only export. Routes each host command and turns every failure below it into a
// host error code: no exception ever leaves this function.

#include "AE_EffectCBSuites.h"
#include "effect/controls/EffectInfo.h"
#include "effect/entry/EntryPoint.h"
#include "effect/entry/ErrorBoundary.h"
#include "effect/entry/GpuLifetime.h"
#include "effect/entry/ParamsSetup.h"
#include "effect/entry/ParamsUI.h"
#include "effect/entry/Render.h"
#include "effect/ui/HeaderPanel.h"
#include "effect/controls/SuiteScoper.h"

namespace Kelvane {
namespace Neon {
namespace {

PF_Err About(PF_InData* in_data, PF_OutData* out_data) {
    SuiteScoper<PF_ANSICallbacksSuite1> ansi(in_data->pica_basicP, kPFANSISuite,
                                             kPFANSISuiteVersion1);
    ansi->sprintf(out_data->return_msg, "%s\r%s", versionText().c_str(), kEffectDescription);
    return PF_Err_NONE;
}

PF_Err GlobalSetup(PF_OutData* out_data, const RenderOptions& options) {
    // The flags come first, so the host has them even when the GPU start-up fails.
    out_data->my_version = kPackedVersion;
    out_data->out_flags = kGlobalOutFlags;
    out_data->out_flags2 = kGlobalOutFlags2;
    gpuStartup(options);
    return PF_Err_NONE;
}

PF_Err Dispatch(const RenderOptions& options, PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                PF_ParamDef* params[], PF_LayerDef* output, void* extra) {
    switch (cmd) {
    case PF_Cmd_ABOUT:
        return About(in_data, out_data);
    case PF_Cmd_GLOBAL_SETUP:
        return GlobalSetup(out_data, options);
    case PF_Cmd_GLOBAL_SETDOWN:
        gpuSetdown();
        return PF_Err_NONE;
    case PF_Cmd_PARAMS_SETUP:
        return ParamsSetup(in_data, out_data, params, output);
    case PF_Cmd_RENDER:
        return Render(in_data, out_data, params, output);
    case PF_Cmd_USER_CHANGED_PARAM:
        return UserChangedParam(in_data, out_data, params, extra);
    case PF_Cmd_UPDATE_PARAMS_UI:
        return UpdateParamsUI(in_data, out_data, params, output);
    case PF_Cmd_EVENT:
        return HandleEvent(in_data, out_data, params, output, static_cast<PF_EventExtra*>(extra));
    default:
        return PF_Err_NONE;
    }
}

} // namespace

PF_Err EntryPointWith(const RenderOptions& options, PF_Cmd cmd, PF_InData* in_data,
                      PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output,
                      void* extra) {
    return runGuarded(
        out_data, [&] { return Dispatch(options, cmd, in_data, out_data, params, output, extra); });
}

} // namespace Neon
} // namespace Kelvane

PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                      PF_LayerDef* output, void* extra) {
    static const Kelvane::Neon::RenderOptions product;
    return Kelvane::Neon::EntryPointWith(product, cmd, in_data, out_data, params, output, extra);
}
