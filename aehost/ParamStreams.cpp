#include "ParamStreams.h"

#include "ActiveInstance.h"

#include <algorithm>
#include <cstring>

namespace aehost {
namespace {

struct EffectRecord {
    ParamStreams* owner;
};

struct StreamRecord {
    ParamStreams* owner;
    PF_ParamIndex index;
};

EffectRecord* effectOf(AEGP_EffectRefH h) {
    return reinterpret_cast<EffectRecord*>(h);
}
StreamRecord* streamOf(AEGP_StreamRefH h) {
    return reinterpret_cast<StreamRecord*>(h);
}

} // namespace

ParamStreams::ParamStreams(SuiteHost& suites) {
    paramUtils_.PF_UpdateParamUI = &ParamStreams::updateParamUI;
    effectSuite_.AEGP_DisposeEffect = &ParamStreams::disposeEffect;
    interfaceSuite_.AEGP_GetNewEffectForEffect = &ParamStreams::getNewEffectForEffect;
    dynamicStreamSuite_.AEGP_GetDynamicStreamFlags = &ParamStreams::getDynamicStreamFlags;
    dynamicStreamSuite_.AEGP_SetDynamicStreamFlag = &ParamStreams::setDynamicStreamFlag;
    streamSuite_.AEGP_GetNewEffectStreamByIndex = &ParamStreams::getNewEffectStreamByIndex;
    streamSuite_.AEGP_DisposeStream = &ParamStreams::disposeStream;
    suites.provide(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3, &paramUtils_);
    suites.provide(kAEGPEffectSuite, kAEGPEffectSuiteVersion2, &effectSuite_);
    suites.provide(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1, &interfaceSuite_);
    suites.provide(kAEGPDynamicStreamSuite, kAEGPDynamicStreamSuiteVersion2, &dynamicStreamSuite_);
    suites.provide(kAEGPStreamSuite, kAEGPStreamSuiteVersion7, &streamSuite_);
    ActiveInstance<ParamStreams>::push(this);
}

ParamStreams::~ParamStreams() {
    ActiveInstance<ParamStreams>::remove(this);
}

void ParamStreams::reset(const std::vector<DeclaredParam>& declared) {
    values_.assign(declared.size() + 1, PF_ParamDef{});
    values_[0].param_type = PF_Param_LAYER;
    for (std::size_t i = 0; i < declared.size(); ++i) {
        values_[i + 1] = declared[i].def;
    }
    pointers_.clear();
    for (auto& value : values_) {
        pointers_.push_back(&value);
    }
    flags_.clear();
    unreadable_.clear();
    clearRecords();
}

AEGP_DynStreamFlags ParamStreams::flags(PF_ParamIndex index) const {
    const auto found = flags_.find(index);
    return found == flags_.end() ? AEGP_DynStreamFlag_NONE : found->second;
}

void ParamStreams::setFlags(PF_ParamIndex index, AEGP_DynStreamFlags flags) {
    flags_[index] = flags;
}

void ParamStreams::clearRecords() {
    flagWrites_.clear();
    uiUpdates_.clear();
}

A_Err ParamStreams::getNewEffectForEffect(AEGP_PluginID, PF_ProgPtr, AEGP_EffectRefH* effect) {
    ParamStreams* self = ActiveInstance<ParamStreams>::get();
    if (self == nullptr || effect == nullptr) {
        return A_Err_PARAMETER;
    }
    ++self->openEffects_;
    *effect = reinterpret_cast<AEGP_EffectRefH>(new EffectRecord{self});
    return A_Err_NONE;
}

A_Err ParamStreams::disposeEffect(AEGP_EffectRefH effect) {
    if (effect == nullptr) {
        return A_Err_PARAMETER;
    }
    --effectOf(effect)->owner->openEffects_;
    delete effectOf(effect);
    return A_Err_NONE;
}

A_Err ParamStreams::getNewEffectStreamByIndex(AEGP_PluginID, AEGP_EffectRefH effect,
                                              PF_ParamIndex index, AEGP_StreamRefH* stream) {
    if (effect == nullptr || stream == nullptr) {
        return A_Err_PARAMETER;
    }
    ParamStreams* owner = effectOf(effect)->owner;
    if (index < 1 || std::size_t(index) >= owner->values_.size()) {
        return A_Err_PARAMETER;
    }
    ++owner->openStreams_;
    *stream = reinterpret_cast<AEGP_StreamRefH>(new StreamRecord{owner, index});
    return A_Err_NONE;
}

A_Err ParamStreams::disposeStream(AEGP_StreamRefH stream) {
    if (stream == nullptr) {
        return A_Err_PARAMETER;
    }
    --streamOf(stream)->owner->openStreams_;
    delete streamOf(stream);
    return A_Err_NONE;
}

A_Err ParamStreams::getDynamicStreamFlags(AEGP_StreamRefH stream, AEGP_DynStreamFlags* flags) {
    if (stream == nullptr || flags == nullptr) {
        return A_Err_PARAMETER;
    }
    const StreamRecord& s = *streamOf(stream);
    const auto& unreadable = s.owner->unreadable_;
    if (std::find(unreadable.begin(), unreadable.end(), s.index) != unreadable.end()) {
        return A_Err_GENERIC;
    }
    *flags = s.owner->flags(s.index);
    return A_Err_NONE;
}

A_Err ParamStreams::setDynamicStreamFlag(AEGP_StreamRefH stream, AEGP_DynStreamFlags flag,
                                         A_Boolean undoable, A_Boolean set) {
    if (stream == nullptr) {
        return A_Err_PARAMETER;
    }
    const StreamRecord& s = *streamOf(stream);
    s.owner->flagWrites_.push_back({s.index, flag, undoable != 0, set != 0});
    AEGP_DynStreamFlags& flags = s.owner->flags_[s.index];
    flags = set ? (flags | flag) : (flags & ~flag);
    return A_Err_NONE;
}

PF_Err ParamStreams::updateParamUI(PF_ProgPtr, PF_ParamIndex index, const PF_ParamDef* def) {
    ParamStreams* self = ActiveInstance<ParamStreams>::get();
    if (self == nullptr || def == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    self->uiUpdates_.push_back(index);
    return PF_Err_NONE;
}

} // namespace aehost
