// The host's side of an effect's parameters: their current values (the params array handed to
// commands, index 0 being the input layer), the keyframes of animated streams, each parameter
// stream's dynamic flags, and the AEGP and Param Utils suites through which the effect reaches
// them. Records what the effect does with them, so tests can check it call by call.
#pragma once

#include "standins/aehost/host/DeclaredParam.h"
#include "standins/aehost/host/SuiteHost.h"

#include "AE_GeneralPlug.h"

#include <map>
#include <mutex>
#include <vector>

namespace Kelvane::Neon::Host {

// Orders two host times (value / scale seconds, scale above 0) exactly: below, at or above 0.
int compareTimes(const A_Time& a, const A_Time& b);

// One key of an animated stream: at `time`, the stream holds `value` (its definition with the
// value of the stream's kind set).
struct Keyframe {
    A_Time time;
    PF_ParamDef value;
};

struct FlagWrite {
    PF_ParamIndex index;
    AEGP_DynStreamFlags flag;
    bool undoable;
    bool set;
};

class ParamStreams {
public:
    // Serves its suites through `suites` for as long as it lives.
    explicit ParamStreams(SuiteHost& suites);
    ~ParamStreams();
    ParamStreams(const ParamStreams&) = delete;
    ParamStreams& operator=(const ParamStreams&) = delete;

    // Values start at the declared defaults, without keyframes; every stream flag starts clear.
    void reset(const std::vector<DeclaredParam>& declared);
    // The params array handed to commands: static values, and animated streams at the time of
    // the last moveTo.
    PF_ParamDef** params() { return pointers_.data(); }
    PF_ParamDef& at(PF_ParamIndex index) { return values_.at(std::size_t(index)); }
    const PF_ParamDef& at(PF_ParamIndex index) const { return values_.at(std::size_t(index)); }
    std::size_t size() const { return values_.size(); }

    // Animates stream `index` (keys in any order; none makes it static again). Throws
    // std::invalid_argument, changing nothing, for a stream that cannot vary in time (flagged
    // so, or holding no value), a time before 0 or with scale 0, two keys at the same time, or
    // a value of another kind than the stream's.
    void setKeyframes(PF_ParamIndex index, std::vector<Keyframe> keys);
    // In time order.
    const std::vector<Keyframe>& keyframes(PF_ParamIndex index) const;
    // The stream at `time`: between two keys linear for sliders, angles and colours (each
    // channel), rounded to the stream's own steps (integers, 1/65536, channel levels); holding
    // the earlier key for popups, checkboxes and streams that cannot interpolate; holding the
    // first key before it and the last after it. A static stream gives its value at any time.
    PF_ParamDef valueAt(PF_ParamIndex index, const A_Time& time) const;
    // Puts every animated stream's value at `time` into the params array.
    void moveTo(const A_Time& time);

    AEGP_DynStreamFlags flags(PF_ParamIndex index) const;
    bool hidden(PF_ParamIndex index) const { return flags(index) & AEGP_DynStreamFlag_HIDDEN; }
    void setFlags(PF_ParamIndex index, AEGP_DynStreamFlags flags);
    // Reading the flags of this stream fails from now on.
    void failFlagRead(PF_ParamIndex index) { unreadable_.push_back(index); }

    const std::vector<FlagWrite>& flagWrites() const { return flagWrites_; }
    const std::vector<PF_ParamIndex>& uiUpdates() const { return uiUpdates_; }
    void clearRecords();
    int openEffects() const { return openEffects_; }
    int openStreams() const { return openStreams_; }

private:
    static A_Err getNewEffectForEffect(AEGP_PluginID, PF_ProgPtr, AEGP_EffectRefH* effect);
    static A_Err disposeEffect(AEGP_EffectRefH effect);
    static A_Err getNewEffectStreamByIndex(AEGP_PluginID, AEGP_EffectRefH effect,
                                           PF_ParamIndex index, AEGP_StreamRefH* stream);
    static A_Err disposeStream(AEGP_StreamRefH stream);
    static A_Err getDynamicStreamFlags(AEGP_StreamRefH stream, AEGP_DynStreamFlags* flags);
    static A_Err setDynamicStreamFlag(AEGP_StreamRefH stream, AEGP_DynStreamFlags flag,
                                      A_Boolean undoable, A_Boolean set);
    static PF_Err updateParamUI(PF_ProgPtr, PF_ParamIndex index, const PF_ParamDef* def);

    PF_ParamUtilsSuite3 paramUtils_{};
    AEGP_EffectSuite2 effectSuite_{};
    AEGP_PFInterfaceSuite1 interfaceSuite_{};
    AEGP_DynamicStreamSuite2 dynamicStreamSuite_{};
    AEGP_StreamSuite2 streamSuite_{};

    std::vector<PF_ParamDef> values_;
    std::vector<PF_ParamDef*> pointers_;
    std::map<PF_ParamIndex, std::vector<Keyframe>> keyframes_;
    std::map<PF_ParamIndex, AEGP_DynStreamFlags> flags_;
    std::vector<PF_ParamIndex> unreadable_;
    std::vector<FlagWrite> flagWrites_;
    std::vector<PF_ParamIndex> uiUpdates_;
    int openEffects_ = 0;
    int openStreams_ = 0;
};

} // namespace Kelvane::Neon::Host
