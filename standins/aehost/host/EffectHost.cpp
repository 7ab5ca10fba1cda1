#include "standins/aehost/host/EffectHost.h"

#include "standins/aehost/host/ActiveInstance.h"
#include "standins/aehost/host/Traps.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <stdexcept>

namespace Kelvane::Neon::Host {
namespace {

bool failingPixelData() {
    EffectHost* host = ActiveInstance<EffectHost>::get();
    return host != nullptr && host->pixelDataFails();
}

EffectHost* hostOf(PF_ProgPtr ref) {
    return reinterpret_cast<EffectHost*>(ref);
}

static_assert(offsetof(GuardedRecord<PF_EventExtra>, guard) == sizeof(PF_EventExtra),
              "the guard zone starts where the record ends");

// Every pointer-sized word of a sound world points at a record of stand-ins: a module that
// takes a pointer from it (reading a field at the wrong place) and calls through it fails
// naming the place.
void poisonSoundWorld(PF_SoundWorld& world, const char* place) {
    void* const* record = Traps::record(place);
    static_assert(sizeof(PF_SoundWorld) % sizeof(void*) == 0, "whole words");
    for (std::size_t at = 0; at < sizeof world; at += sizeof(void*)) {
        std::memcpy(reinterpret_cast<unsigned char*>(&world) + at, &record, sizeof record);
    }
}

bool sameBytes(const void* a, const void* b, std::size_t n) {
    return std::memcmp(a, b, n) == 0;
}

// The slots of the utility callbacks the effect is not meant to call: all but
// get_pixel_data8 and the ANSI sprintf and strcpy.
void trapUtilSlots(PF_UtilCallbacks& u) {
#define ZARVO_TRAP(field)                                                                          \
    u.field = reinterpret_cast<decltype(u.field)>(Traps::slot("PF_UtilCallbacks." #field))
    ZARVO_TRAP(begin_sampling);
    ZARVO_TRAP(subpixel_sample);
    ZARVO_TRAP(area_sample);
    ZARVO_TRAP(get_batch_func_is_deprecated);
    ZARVO_TRAP(end_sampling);
    ZARVO_TRAP(composite_rect);
    ZARVO_TRAP(blend);
    ZARVO_TRAP(convolve);
    ZARVO_TRAP(copy);
    ZARVO_TRAP(fill);
    ZARVO_TRAP(gaussian_kernel);
    ZARVO_TRAP(iterate);
    ZARVO_TRAP(premultiply);
    ZARVO_TRAP(premultiply_color);
    ZARVO_TRAP(new_world);
    ZARVO_TRAP(dispose_world);
    ZARVO_TRAP(iterate_origin);
    ZARVO_TRAP(iterate_lut);
    ZARVO_TRAP(transfer_rect);
    ZARVO_TRAP(transform_world);
    ZARVO_TRAP(host_new_handle);
    ZARVO_TRAP(host_lock_handle);
    ZARVO_TRAP(host_unlock_handle);
    ZARVO_TRAP(host_dispose_handle);
    ZARVO_TRAP(get_callback_addr);
    ZARVO_TRAP(app);
    ZARVO_TRAP(ansi.atan);
    ZARVO_TRAP(ansi.atan2);
    ZARVO_TRAP(ansi.ceil);
    ZARVO_TRAP(ansi.cos);
    ZARVO_TRAP(ansi.exp);
    ZARVO_TRAP(ansi.fabs);
    ZARVO_TRAP(ansi.floor);
    ZARVO_TRAP(ansi.fmod);
    ZARVO_TRAP(ansi.hypot);
    ZARVO_TRAP(ansi.log);
    ZARVO_TRAP(ansi.log10);
    ZARVO_TRAP(ansi.pow);
    ZARVO_TRAP(ansi.sin);
    ZARVO_TRAP(ansi.sqrt);
    ZARVO_TRAP(ansi.tan);
    ZARVO_TRAP(ansi.asin);
    ZARVO_TRAP(ansi.acos);
    ZARVO_TRAP(get_platform_data);
    ZARVO_TRAP(host_get_handle_size);
    ZARVO_TRAP(iterate_origin_non_clip_src);
    ZARVO_TRAP(iterate_generic);
    ZARVO_TRAP(host_resize_handle);
    ZARVO_TRAP(subpixel_sample16);
    ZARVO_TRAP(area_sample16);
    ZARVO_TRAP(fill16);
    ZARVO_TRAP(premultiply_color16);
    ZARVO_TRAP(iterate16);
    ZARVO_TRAP(iterate_origin16);
    ZARVO_TRAP(iterate_origin_non_clip_src16);
    ZARVO_TRAP(get_pixel_data16);
#undef ZARVO_TRAP
    Traps::fill(&u.colorCB, sizeof u.colorCB, "PF_UtilCallbacks.colorCB");
}

} // namespace

EffectHost::EffectHost(const EffectModule& module) : entry_(module.entryPoint()) {
    init();
}

EffectHost::EffectHost(PF_FilterProc entry) : entry_(entry) {
    init();
}

EffectHost::~EffectHost() {
    ActiveInstance<EffectHost>::remove(this);
}

void EffectHost::init() {
    ActiveInstance<EffectHost>::push(this);
    ansiSuite_ = ansiSuite();
    suites_.provide(kPFANSISuite, kPFANSISuiteVersion1, &ansiSuite_);
    suites_.provide(kPFHandleSuite, kPFHandleSuiteVersion1, handles_.suite());

    std::memset(&utils_, 0, sizeof utils_);
    utils_.ansi = ansiCallbacks();
    trapUtilSlots(utils_);
    utils_.get_pixel_data8 = &EffectHost::pixelData8;

    std::memset(&in_, 0, sizeof in_);
    in_.inter.add_param = &EffectHost::addParam;
    in_.inter.register_ui = &EffectHost::registerUi;
    in_.inter.checkout_param = &EffectHost::checkoutParam;
    in_.inter.checkin_param = &EffectHost::checkinParam;
    in_.utils = &utils_;
    in_.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
    in_.quality = 1;
    in_.version = {A_short(kHostApiVersion.major), A_short(kHostApiVersion.minor)};
    in_.num_params = 0;
    in_.time_step = 1;
    in_.local_time_step = 1;
    in_.time_scale = 30;
    in_.total_time = 30;
    in_.downsample_x = {1, 1};
    in_.downsample_y = {1, 1};
    in_.pixel_aspect_ratio = {1, 1};
    in_.pica_basicP = suites_.basic();
    poisonSoundWorld(in_.src_snd, "PF_InData.src_snd");

    std::memset(&out_.record, 0, sizeof out_.record);
}

PF_Err EffectHost::call(PF_Cmd cmd, PF_InData& in, PF_ParamDef* params[], PF_LayerDef* output,
                        void* extra) {
    GuardedRecord<PF_InData> guardedIn(in);
    auto checked = [&](auto& guarded, const char* record) {
        if (const std::size_t at = guarded.firstWritePast()) {
            faults_.push_back("the effect wrote past the end of " + std::string(record) +
                              " (byte " + std::to_string(at) + " of a " +
                              std::to_string(sizeof guarded.record) + "-byte record)");
        }
    };
    PF_Err err = PF_Err_NONE;
    if (cmd == PF_Cmd_EVENT && extra != nullptr) {
        GuardedRecord<PF_EventExtra> event(*static_cast<PF_EventExtra*>(extra));
        err = entry_(cmd, &guardedIn.record, &out_.record, params, output, &event.record);
        checked(event, "PF_EventExtra");
        *static_cast<PF_EventExtra*>(extra) = event.record;
    } else if (cmd == PF_Cmd_USER_CHANGED_PARAM && extra != nullptr) {
        GuardedRecord<PF_UserChangedParamExtra> changed(
            *static_cast<PF_UserChangedParamExtra*>(extra));
        err = entry_(cmd, &guardedIn.record, &out_.record, params, output, &changed.record);
        checked(changed, "PF_UserChangedParamExtra");
    } else {
        err = entry_(cmd, &guardedIn.record, &out_.record, params, output, extra);
    }
    checked(guardedIn, "PF_InData");
    checked(out_, "PF_OutData");
    if (!sameBytes(&guardedIn.record, &in, sizeof in)) {
        faults_.push_back("the effect wrote into PF_InData, which is the host's");
    }
    return err;
}

PF_Err EffectHost::send(PF_Cmd cmd, PF_ParamDef* params[], PF_LayerDef* output, void* extra) {
    faults_.clear();
    Traps::take();
    PF_InData in = in_;
    in.num_params = static_cast<A_long>(declared_.size() + 1);
    poisonSoundWorld(out_.record.dest_snd, "PF_OutData.dest_snd");
    const PF_SoundWorld destSnd = out_.record.dest_snd;
    out_.arm();

    PF_Err err = call(cmd, in, params, output, extra);

    if (!sameBytes(&out_.record.dest_snd, &destSnd, sizeof destSnd)) {
        faults_.push_back("the effect wrote into PF_OutData.dest_snd, which it has no use for");
    }
    for (const std::string& slot : Traps::take()) {
        faults_.push_back("the effect called " + slot + ", which it is not meant to call");
    }
    if (!faults_.empty() && err == PF_Err_NONE) {
        err = PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
    return err;
}

std::optional<std::string> EffectHost::about() {
    out_.record.return_msg[0] = '\0';
    if (send(PF_Cmd_ABOUT) != PF_Err_NONE) {
        return std::nullopt;
    }
    return std::string(out_.record.return_msg);
}

PF_Err EffectHost::paramsSetup() {
    const PF_Err err = send(PF_Cmd_PARAMS_SETUP);
    if (err == PF_Err_NONE) {
        streams_.reset(declared_);
    }
    return err;
}

void EffectHost::settleStreams() {
    if (in_.time_scale != 0) {
        streams_.moveTo({in_.current_time, in_.time_scale});
    }
}

PF_Err EffectHost::userChangedParam(PF_ParamIndex index) {
    PF_UserChangedParamExtra extra{index};
    settleStreams();
    return send(PF_Cmd_USER_CHANGED_PARAM, streams_.params(), nullptr, &extra);
}

void EffectHost::collectTimings() {
    timingsSuite_.ReportStage = &EffectHost::reportStage;
    suites_.provide(kZarvoNeonTimingsSuite, kZarvoNeonTimingsSuiteVersion1, &timingsSuite_);
}

std::vector<EffectHost::StageTiming> EffectHost::frameTimings() const {
    std::lock_guard<std::mutex> guard(timingsLock_);
    return timings_;
}

A_Err EffectHost::reportStage(const A_char* stage, A_long passes, A_FpLong milliseconds) {
    EffectHost* host = ActiveInstance<EffectHost>::get();
    if (host == nullptr || stage == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    std::lock_guard<std::mutex> guard(host->timingsLock_);
    host->timings_.push_back({stage, int(passes), milliseconds});
    return PF_Err_NONE;
}

PF_Err EffectHost::render(PF_EffectWorld* input, PF_EffectWorld* output) {
    {
        std::lock_guard<std::mutex> guard(timingsLock_);
        timings_.clear();
    }
    if (streams_.size() == 0) {
        streams_.reset(declared_);
    }
    settleStreams();
    streams_.at(0).u.ld = *input;
    return send(PF_Cmd_RENDER, streams_.params(), output);
}

PF_Err EffectHost::render(PF_EffectWorld* input, PF_EffectWorld* output, const FrameTime& frame) {
    if (frame.step < 1 || frame.scale < 1) {
        throw std::invalid_argument("a frame needs a time step and a time scale of 1 or more");
    }
    in_.current_time = frame.time;
    in_.time_step = frame.step;
    in_.local_time_step = frame.step;
    in_.time_scale = frame.scale;
    return render(input, output);
}

PF_Err EffectHost::updateParamsUI() {
    settleStreams();
    return send(PF_Cmd_UPDATE_PARAMS_UI, streams_.params());
}

PF_Err EffectHost::addParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDefPtr def) {
    EffectHost* host = hostOf(ref);
    if (host == nullptr || def == nullptr ||
        (index != -1 && index != PF_ParamIndex(host->declared_.size() + 1))) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    ++host->addParamCalls_;
    if (PF_ParamIndex(host->declared_.size() + 1) == host->failAt_) {
        return host->failErr_;
    }
    DeclaredParam p{*def, {}};
    p.def.name[sizeof p.def.name - 1] = '\0';
    if (def->param_type == PF_Param_POPUP && def->u.pd.u.namesptr != nullptr) {
        p.choices = def->u.pd.u.namesptr;
        p.def.u.pd.u.namesptr = nullptr; // the effect's buffer does not outlive the call
    }
    host->declared_.push_back(std::move(p));
    return PF_Err_NONE;
}

PF_Err EffectHost::registerUi(PF_ProgPtr ref, PF_CustomUIInfo* info) {
    EffectHost* host = hostOf(ref);
    if (host == nullptr || info == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    host->registeredUI_ = *info;
    // A custom UI that asks for no events is never drawn or clicked.
    if (info->events == PF_CustomEFlag_NONE) {
        host->faults_.push_back("the effect registered its custom UI for no events "
                                "(PF_CustomUIInfo.events, byte 4, is 0)");
    }
    return PF_Err_NONE;
}

PF_Err EffectHost::checkoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long what_time,
                                 A_long /*time_step*/, A_u_long time_scale, PF_ParamDef* param) {
    EffectHost* host = hostOf(ref);
    // Without a scale the time means nothing.
    if (host == nullptr || param == nullptr || time_scale == 0) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    host->checkouts_.push_back(index);
    const auto& failed = host->failedCheckouts_;
    if (index < 0 || std::size_t(index) >= host->streams_.size() ||
        std::find(failed.begin(), failed.end(), index) != failed.end()) {
        return PF_Err_INVALID_INDEX;
    }
    *param = host->streams_.valueAt(index, {what_time, time_scale});
    ++host->checkedOut_;
    return PF_Err_NONE;
}

PF_Err EffectHost::checkinParam(PF_ProgPtr ref, PF_ParamDef* param) {
    EffectHost* host = hostOf(ref);
    if (host == nullptr || param == nullptr) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    --host->checkedOut_;
    return PF_Err_NONE;
}

PF_Err EffectHost::pixelData8(PF_EffectWorld* world, PF_PixelPtr /*pixels*/, PF_Pixel8** out) {
    if (world == nullptr || out == nullptr || failingPixelData()) {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    *out = world->data;
    return PF_Err_NONE;
}

} // namespace Kelvane::Neon::Host
