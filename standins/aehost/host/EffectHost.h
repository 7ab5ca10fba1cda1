// A headless host for one effect instance: fills PF_InData/PF_OutData as the module needs,
// keeps the parameter definitions the effect declares, serves suites and callbacks, and sends
// commands. Commands may be sent from any thread, one at a time. One EffectHost is active per
// process (its callbacks are plain C functions).
#pragma once

#include "standins/aehost/host/ActiveInstance.h"
#include "standins/aehost/loader/EffectModule.h"
#include "standins/aehost/host/DeclaredParam.h"
#include "standins/aehost/host/GuardedRecord.h"
#include "AE_EffectUI.h"
#include "standins/aehost/host/HandlePool.h"
#include "standins/aehost/host/ParamStreams.h"
#include "standins/aehost/host/SuiteHost.h"
#include "effect/controls/TimingsSuite.h"

#include "AE_EffectCB.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Kelvane::Neon::Host {

// A frame's place on the host's clock: it starts at time / scale seconds and lasts
// step / scale seconds (24 frames a second: step 1, scale 24; 29.97: step 1001, scale 30000).
struct FrameTime {
    A_long time = 0;
    A_long step = 1;
    A_u_long scale = 30;
};

class EffectHost {
public:
    explicit EffectHost(const EffectModule& module);
    // For tests that link the effect's code directly.
    explicit EffectHost(PF_FilterProc entry);
    ~EffectHost();
    EffectHost(const EffectHost&) = delete;
    EffectHost& operator=(const EffectHost&) = delete;

    // Makes this host and the parts its callbacks find (suites, handles, parameter streams)
    // the active ones while it lives, whatever hosts were made after it: for a process that
    // serves several effect instances in turn, one at a time.
    class Activation {
    public:
        explicit Activation(EffectHost& host)
            : host_(&host), suites_(&host.suites_), handles_(&host.handles_),
              streams_(&host.streams_) {}

    private:
        ActiveInstance<EffectHost>::Scope host_;
        ActiveInstance<SuiteHost>::Scope suites_;
        ActiveInstance<HandlePool>::Scope handles_;
        ActiveInstance<ParamStreams>::Scope streams_;
    };

    // Sends one command. The module gets its own copy of PF_InData and its extra record, each
    // followed by a guard zone; a module that writes past a record or into the sound worlds,
    // writes PF_InData, or calls a slot it is not meant to call, fails the command with
    // PF_Err_INTERNAL_STRUCT_DAMAGED (unless it failed already) and `faults()` says what it did.
    PF_Err send(PF_Cmd cmd, PF_ParamDef* params[] = nullptr, PF_LayerDef* output = nullptr,
                void* extra = nullptr);
    // What the module did wrong during the last command, one line each; empty when nothing.
    const std::vector<std::string>& faults() const { return faults_; }

    // The About text, or std::nullopt when the command failed.
    std::optional<std::string> about();
    // Parameter set-up; on success the streams hold the declared parameters at their defaults.
    PF_Err paramsSetup();
    // The two visibility commands, with the streams' current values as params.
    PF_Err userChangedParam(PF_ParamIndex index);
    PF_Err updateParamsUI();
    // Renders `input` into `output` with the streams' values at the host's current time (after
    // paramsSetup).
    PF_Err render(PF_EffectWorld* input, PF_EffectWorld* output);
    // The same for the frame at `frame`, which becomes the host's current time. Throws
    // std::invalid_argument for a step or scale below 1.
    PF_Err render(PF_EffectWorld* input, PF_EffectWorld* output, const FrameTime& frame);

    PF_InData& inData() { return in_; }
    PF_OutData& outData() { return out_.record; }
    SuiteHost& suites() { return suites_; }
    HandlePool& handles() { return handles_; }
    ParamStreams& streams() { return streams_; }

    // Parameters declared through add_param, starting at index 1 (index 0 is the layer).
    const std::vector<DeclaredParam>& declared() const { return declared_; }
    int addParamCalls() const { return addParamCalls_; }
    // add_param answers `err` for the parameter that would land at `index`.
    void failAddParamAt(int index, PF_Err err) { failAt_ = index, failErr_ = err; }
    const std::optional<PF_CustomUIInfo>& registeredUI() const { return registeredUI_; }

    // checkout_param hands out the streams' values at the asked time (a time scale of 0 is
    // refused); it fails for `index` from now on.
    void failCheckout(PF_ParamIndex index) { failedCheckouts_.push_back(index); }
    // Parameters checked out and not yet checked in.
    int checkedOut() const { return checkedOut_; }
    // Every index checked out, in order.
    const std::vector<PF_ParamIndex>& checkouts() const { return checkouts_; }
    void clearCheckouts() { checkouts_.clear(); }

    // From now on the effect times each frame's stages on the GPU and reports them through its
    // timings suite, which this host offers only after this call: an effect that is not asked
    // times nothing. `frameTimings` holds the stages of the last frame rendered.
    struct StageTiming {
        std::string stage;
        int passes = 0;
        double milliseconds = 0.0;
    };
    void collectTimings();
    std::vector<StageTiming> frameTimings() const;

    // get_pixel_data8 fails (no address) while set.
    void failPixelData(bool fail) { failPixelData_ = fail; }
    bool pixelDataFails() const { return failPixelData_; }

private:
    void init();
    // Brings animated streams in the params array to the current time.
    void settleStreams();
    static PF_Err addParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDefPtr def);
    static PF_Err registerUi(PF_ProgPtr ref, PF_CustomUIInfo* info);
    static PF_Err checkoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long what_time,
                                A_long time_step, A_u_long time_scale, PF_ParamDef* param);
    static PF_Err checkinParam(PF_ProgPtr ref, PF_ParamDef* param);
    static PF_Err pixelData8(PF_EffectWorld* world, PF_PixelPtr pixels, PF_Pixel8** out);
    static A_Err reportStage(const A_char* stage, A_long passes, A_FpLong milliseconds);
    // Calls the module with guarded copies of PF_InData and, for the commands that have one,
    // the extra record.
    PF_Err call(PF_Cmd cmd, PF_InData& in, PF_ParamDef* params[], PF_LayerDef* output, void* extra);

    PF_FilterProc entry_;
    SuiteHost suites_;
    HandlePool handles_;
    ParamStreams streams_{suites_};
    PF_ANSICallbacksSuite1 ansiSuite_;
    PF_UtilCallbacks utils_;
    PF_InData in_;
    GuardedRecord<PF_OutData> out_{PF_OutData{}};
    std::vector<std::string> faults_;

    std::vector<DeclaredParam> declared_;
    int addParamCalls_ = 0;
    int failAt_ = -1;
    PF_Err failErr_ = PF_Err_NONE;
    std::optional<PF_CustomUIInfo> registeredUI_;
    bool failPixelData_ = false;
    std::vector<PF_ParamIndex> failedCheckouts_;
    std::vector<PF_ParamIndex> checkouts_;
    int checkedOut_ = 0;
    ZarvoNeonTimingsSuite1 timingsSuite_{};
    mutable std::mutex timingsLock_;
    std::vector<StageTiming> timings_;
};

} // namespace Kelvane::Neon::Host
