#include "standins/aehost/host/ParamStreams.h"

#include "standins/aehost/host/ActiveInstance.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace Kelvane::Neon::Host {
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

bool holdsValue(const PF_ParamDef& def) {
    switch (def.param_type) {
    case PF_Param_SLIDER:
    case PF_Param_FIX_SLIDER:
    case PF_Param_ANGLE:
    case PF_Param_CHECKBOX:
    case PF_Param_COLOR:
    case PF_Param_POINT:
    case PF_Param_POPUP:
    case PF_Param_FLOAT_SLIDER:
        return true;
    default:
        return false;
    }
}

bool interpolates(const PF_ParamDef& def) {
    if (def.flags & PF_ParamFlag_CANNOT_INTERP) {
        return false;
    }
    switch (def.param_type) {
    case PF_Param_SLIDER:
    case PF_Param_FIX_SLIDER:
    case PF_Param_ANGLE:
    case PF_Param_COLOR:
    case PF_Param_POINT:
    case PF_Param_FLOAT_SLIDER:
        return true;
    default:
        return false;
    }
}

// a + (b - a) * f to the nearest whole step: f = 0 gives a and f = 1 gives b exactly.
template <typename T> T mixWhole(T a, T b, long double f) {
    return static_cast<T>(std::llround(a + (static_cast<long double>(b) - a) * f));
}

// The value of `a`, or where the kind interpolates, the value a fraction `f` of the way to `b`.
void setValue(PF_ParamDef& to, const PF_ParamDef& a, const PF_ParamDef& b, long double f) {
    switch (to.param_type) {
    case PF_Param_SLIDER:
        to.u.sd.value = mixWhole(a.u.sd.value, b.u.sd.value, f);
        break;
    case PF_Param_FIX_SLIDER:
        to.u.fd.value = mixWhole(a.u.fd.value, b.u.fd.value, f);
        break;
    case PF_Param_ANGLE:
        to.u.ad.value = mixWhole(a.u.ad.value, b.u.ad.value, f);
        break;
    case PF_Param_POINT:
        to.u.td.x_value = mixWhole(a.u.td.x_value, b.u.td.x_value, f);
        to.u.td.y_value = mixWhole(a.u.td.y_value, b.u.td.y_value, f);
        break;
    case PF_Param_FLOAT_SLIDER:
        to.u.fs_d.value = a.u.fs_d.value + (b.u.fs_d.value - a.u.fs_d.value) * double(f);
        break;
    case PF_Param_COLOR: {
        const PF_Pixel& p = a.u.cd.value;
        const PF_Pixel& q = b.u.cd.value;
        to.u.cd.value = {mixWhole(p.alpha, q.alpha, f), mixWhole(p.red, q.red, f),
                         mixWhole(p.green, q.green, f), mixWhole(p.blue, q.blue, f)};
        break;
    }
    case PF_Param_CHECKBOX:
        to.u.bd.value = a.u.bd.value;
        break;
    case PF_Param_POPUP:
        to.u.pd.value = a.u.pd.value;
        break;
    default:
        break;
    }
}

// How far `t` lies from `t0` towards `t1` (t0 < t1), 0 to 1. The cross products of 32-bit
// values are exact in long double; only the quotient rounds, and each kind rounds the mixed
// value to its own steps afterwards.
long double fraction(const A_Time& t, const A_Time& t0, const A_Time& t1) {
    using L = long double;
    const L num = L(t.value) * t0.scale - L(t0.value) * t.scale;
    const L den = L(t1.value) * t0.scale - L(t0.value) * t1.scale;
    return num * t1.scale / (den * t.scale);
}

} // namespace

int compareTimes(const A_Time& a, const A_Time& b) {
    // A 32-bit value times a 32-bit scale always fits 64 bits.
    const std::int64_t left = std::int64_t(a.value) * b.scale;
    const std::int64_t right = std::int64_t(b.value) * a.scale;
    return left < right ? -1 : left > right ? 1 : 0;
}

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
    suites.provide(kAEGPStreamSuite, kAEGPStreamSuiteVersion2, &streamSuite_);
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
    keyframes_.clear();
    unreadable_.clear();
    clearRecords();
}

void ParamStreams::setKeyframes(PF_ParamIndex index, std::vector<Keyframe> keys) {
    if (index < 1 || std::size_t(index) >= values_.size()) {
        throw std::invalid_argument("no parameter stream " + std::to_string(index));
    }
    const PF_ParamDef& def = values_[std::size_t(index)];
    const std::string stream = "parameter " + std::to_string(index) + " (\"" + def.name + "\")";
    if (keys.empty()) {
        keyframes_.erase(index);
        return;
    }
    if ((def.flags & PF_ParamFlag_CANNOT_TIME_VARY) || !holdsValue(def)) {
        throw std::invalid_argument(stream + " cannot vary in time");
    }
    for (const Keyframe& key : keys) {
        if (key.time.scale == 0 || key.time.value < 0) {
            throw std::invalid_argument("a keyframe of " + stream +
                                        " lies before time 0 or has no time scale");
        }
        if (key.value.param_type != def.param_type) {
            throw std::invalid_argument("a keyframe of " + stream + " holds another kind of value");
        }
    }
    std::stable_sort(keys.begin(), keys.end(), [](const Keyframe& a, const Keyframe& b) {
        return compareTimes(a.time, b.time) < 0;
    });
    for (std::size_t i = 1; i < keys.size(); ++i) {
        if (compareTimes(keys[i - 1].time, keys[i].time) == 0) {
            throw std::invalid_argument(stream + " has two keyframes at the same time");
        }
    }
    keyframes_[index] = std::move(keys);
}

const std::vector<Keyframe>& ParamStreams::keyframes(PF_ParamIndex index) const {
    static const std::vector<Keyframe> none;
    const auto found = keyframes_.find(index);
    return found == keyframes_.end() ? none : found->second;
}

PF_ParamDef ParamStreams::valueAt(PF_ParamIndex index, const A_Time& time) const {
    PF_ParamDef value = values_.at(std::size_t(index));
    const auto found = keyframes_.find(index);
    if (found == keyframes_.end()) {
        return value;
    }
    const std::vector<Keyframe>& keys = found->second;
    const auto after =
        std::upper_bound(keys.begin(), keys.end(), time, [](const A_Time& t, const Keyframe& key) {
            return compareTimes(t, key.time) < 0;
        });
    if (after == keys.begin()) {
        setValue(value, keys.front().value, keys.front().value, 0);
    } else if (after == keys.end() || !interpolates(value)) {
        setValue(value, after[-1].value, after[-1].value, 0);
    } else {
        setValue(value, after[-1].value, after->value, fraction(time, after[-1].time, after->time));
    }
    return value;
}

void ParamStreams::moveTo(const A_Time& time) {
    for (const auto& stream : keyframes_) {
        values_[std::size_t(stream.first)] = valueAt(stream.first, time);
    }
}

AEGP_DynStreamFlags ParamStreams::flags(PF_ParamIndex index) const {
    const auto found = flags_.find(index);
    return found == flags_.end() ? AEGP_DynStreamFlags{0} : found->second;
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

} // namespace Kelvane::Neon::Host
