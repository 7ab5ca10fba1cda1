#include "effect/entry/ParamsUI.h"

#include "AE_EffectCBSuites.h"
#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "effect/controls/Controls.h"
#include "effect/controls/SuiteScoper.h"

namespace Kelvane {
namespace Neon {
namespace {

constexpr AEGP_PluginID kNoPluginId = 0;

// The five suites the passes use, acquired in this order and released in reverse.
class VisibilitySuites {
public:
    explicit VisibilitySuites(const SPBasicSuite* basic)
        : paramUtils(basic, kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3),
          effect(basic, kAEGPEffectSuite, kAEGPEffectSuiteVersion2),
          pfInterface(basic, kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1),
          dynamicStream(basic, kAEGPDynamicStreamSuite, kAEGPDynamicStreamSuiteVersion2),
          stream(basic, kAEGPStreamSuite, kAEGPStreamSuiteVersion2) {}

    SuiteScoper<PF_ParamUtilsSuite3> paramUtils;
    SuiteScoper<AEGP_EffectSuite2> effect;
    SuiteScoper<AEGP_PFInterfaceSuite1> pfInterface;
    SuiteScoper<AEGP_DynamicStreamSuite2> dynamicStream;
    SuiteScoper<AEGP_StreamSuite2> stream;
};

class Visibility {
public:
    Visibility(PF_InData* in_data, PF_ParamDef* params[])
        : in_data_(in_data), params_(params), suites_(in_data->pica_basicP) {
        suites_.pfInterface->AEGP_GetNewEffectForEffect(kNoPluginId, in_data_->effect_ref,
                                                        &effect_);
    }
    ~Visibility() { suites_.effect->AEGP_DisposeEffect(effect_); }
    Visibility(const Visibility&) = delete;
    Visibility& operator=(const Visibility&) = delete;

    void colorSlotPass() {
        const PF_ParamValue count = param(NEON_COLOR_COUNT).u.sd.value;
        for (int k = 0; k < kColorSlots; ++k) {
            update(NEON_COLOR_1 + k, k >= count);
        }
    }

    void seedPass() {
        update(NEON_RANDOM_SEED,
               param(NEON_COLOR_TYPE).u.pd.value != popupValue(ColorType::Random));
    }

private:
    const PF_ParamDef& param(int index) const {
        if (params_ == nullptr || params_[index] == nullptr) {
            throw A_long(PF_Err_BAD_CALLBACK_PARAM);
        }
        return *params_[index];
    }

    void update(int index, bool hide) {
        AEGP_StreamRefH stream = nullptr;
        suites_.stream->AEGP_GetNewEffectStreamByIndex(kNoPluginId, effect_, index, &stream);
        AEGP_DynStreamFlags flags = 0;
        // Flags that cannot be read are unknown: write the wanted state.
        const bool known =
            suites_.dynamicStream->AEGP_GetDynamicStreamFlags(stream, &flags) == A_Err_NONE;
        const bool hidden = (flags & AEGP_DynStreamFlag_HIDDEN) != 0;
        if (!known || hidden != hide) {
            suites_.dynamicStream->AEGP_SetDynamicStreamFlag(stream, AEGP_DynStreamFlag_HIDDEN,
                                                             false, hide);
        }
        suites_.stream->AEGP_DisposeStream(stream);
        suites_.paramUtils->PF_UpdateParamUI(in_data_->effect_ref, index, &param(index));
    }

    PF_InData* in_data_;
    PF_ParamDef** params_;
    VisibilitySuites suites_;
    AEGP_EffectRefH effect_ = nullptr;
};

} // namespace

PF_Err UpdateParamsUI(PF_InData* in_data, PF_OutData* /*out_data*/, PF_ParamDef* params[],
                      PF_LayerDef* /*output*/) {
    Visibility visibility(in_data, params);
    visibility.colorSlotPass();
    visibility.seedPass();
    return PF_Err_NONE;
}

PF_Err UserChangedParam(PF_InData* in_data, PF_OutData* /*out_data*/, PF_ParamDef* params[],
                        void* extra) {
    Visibility visibility(in_data, params);
    const auto* changed = static_cast<const PF_UserChangedParamExtra*>(extra);
    const PF_ParamIndex index = changed != nullptr ? changed->param_index : -1;
    if (index == NEON_COLOR_COUNT) {
        visibility.colorSlotPass();
    } else if (index == NEON_COLOR_TYPE) {
        visibility.seedPass();
    }
    return PF_Err_NONE;
}

} // namespace Neon
} // namespace Kelvane
