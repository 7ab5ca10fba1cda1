// A headless host for one effect instance: fills PF_InData/PF_OutData as the module needs,
// keeps the parameter definitions the effect declares, serves suites and callbacks, and sends
// commands. Commands may be sent from any thread, one at a time. One EffectHost is active per
// process (its callbacks are plain C functions).
#pragma once

#include "EffectModule.h"
#include "DeclaredParam.h"
#include "HandlePool.h"
#include "ParamStreams.h"
#include "SuiteHost.h"

#include "AE_EffectCB.h"

#include <optional>
#include <string>
#include <vector>

namespace aehost {

class EffectHost {
public:
    explicit EffectHost(const EffectModule& module);
    // For tests that link the effect's code directly.
    explicit EffectHost(PF_EntryPointFunc entry);
    ~EffectHost();
    EffectHost(const EffectHost&) = delete;
    EffectHost& operator=(const EffectHost&) = delete;

    PF_Err send(PF_Cmd cmd, PF_ParamDef* params[] = nullptr, PF_LayerDef* output = nullptr,
                void* extra = nullptr);

    // The About text, or std::nullopt when the command failed.
    std::optional<std::string> about();
    // Parameter set-up; on success the streams hold the declared parameters at their defaults.
    PF_Err paramsSetup();
    // The two visibility commands, with the streams' current values as params.
    PF_Err userChangedParam(PF_ParamIndex index);
    PF_Err updateParamsUI();
    // Renders `input` into `output` with the streams' current values (after paramsSetup).
    PF_Err render(PF_EffectWorld* input, PF_EffectWorld* output);

    PF_InData& inData() { return in_; }
    PF_OutData& outData() { return out_; }
    SuiteHost& suites() { return suites_; }
    HandlePool& handles() { return handles_; }
    ParamStreams& streams() { return streams_; }

    // Parameters declared through add_param, starting at index 1 (index 0 is the layer).
    const std::vector<DeclaredParam>& declared() const { return declared_; }
    int addParamCalls() const { return addParamCalls_; }
    // add_param answers `err` for the parameter that would land at `index`.
    void failAddParamAt(int index, PF_Err err) { failAt_ = index, failErr_ = err; }
    const std::optional<PF_CustomUIInfo>& registeredUI() const { return registeredUI_; }

    // checkout_param hands out the streams' current values; it fails for `index` from now on.
    void failCheckout(PF_ParamIndex index) { failedCheckouts_.push_back(index); }
    // Parameters checked out and not yet checked in.
    int checkedOut() const { return checkedOut_; }
    // Every index checked out, in order.
    const std::vector<PF_ParamIndex>& checkouts() const { return checkouts_; }
    void clearCheckouts() { checkouts_.clear(); }

    // get_pixel_data8 fails (no address) while set.
    void failPixelData(bool fail) { failPixelData_ = fail; }
    bool pixelDataFails() const { return failPixelData_; }

private:
    void init();
    static PF_Err addParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDefPtr def);
    static PF_Err registerUi(PF_ProgPtr ref, PF_CustomUIInfo* info);
    static PF_Err checkoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long what_time,
                                A_long time_step, A_u_long time_scale, PF_ParamDef* param);
    static PF_Err checkinParam(PF_ProgPtr ref, PF_ParamDef* param);
    static PF_Err pixelData8(PF_EffectWorld* world, PF_PixelPtr pixels, PF_Pixel8** out);

    PF_EntryPointFunc entry_;
    SuiteHost suites_;
    HandlePool handles_;
    ParamStreams streams_{suites_};
    PF_ANSICallbacksSuite1 ansiSuite_;
    PF_UtilCallbacks utils_;
    PF_InData in_;
    PF_OutData out_;

    std::vector<DeclaredParam> declared_;
    int addParamCalls_ = 0;
    int failAt_ = -1;
    PF_Err failErr_ = PF_Err_NONE;
    std::optional<PF_CustomUIInfo> registeredUI_;
    bool failPixelData_ = false;
    std::vector<PF_ParamIndex> failedCheckouts_;
    std::vector<PF_ParamIndex> checkouts_;
    int checkedOut_ = 0;
};

} // namespace aehost
