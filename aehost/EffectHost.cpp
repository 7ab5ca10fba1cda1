#include "EffectHost.h"

#include "ActiveInstance.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace aehost {
namespace {

bool failingPixelData() {
    EffectHost* host = ActiveInstance<EffectHost>::get();
    return host != nullptr && host->pixelDataFails();
}

EffectHost* hostOf(PF_ProgPtr ref) {
    return reinterpret_cast<EffectHost*>(ref);
}

} // namespace

EffectHost::EffectHost(const EffectModule& module) : entry_(module.entryPoint()) {
    init();
}

EffectHost::EffectHost(PF_EntryPointFunc entry) : entry_(entry) {
    init();
}

EffectHost::~EffectHost() {
    ActiveInstance<EffectHost>::remove(this);
}

void EffectHost::init() {
    ActiveInstance<EffectHost>::push(this);
    ansiSuite_ = ansiSuite();
    suites_.provide(kPFANSISuite, kPFANSISuiteVersion1, &ansiSuite_);
    suites_.provide(kPFHandleSuite, kPFHandleSuiteVersion2, handles_.suite());

    std::memset(&utils_, 0, sizeof utils_);
    utils_.ansi = ansiCallbacks();
    handles_.fillCallbacks(utils_);
    utils_.get_pixel_data8 = &EffectHost::pixelData8;

    std::memset(&in_, 0, sizeof in_);
    in_.inter.add_param = &EffectHost::addParam;
    in_.inter.register_ui = &EffectHost::registerUi;
    in_.inter.checkout_param = &EffectHost::checkoutParam;
    in_.inter.checkin_param = &EffectHost::checkinParam;
    in_.utils = &utils_;
    in_.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
    in_.quality = 1;
    in_.version_major_minor = 13 << 16 | 14;
    in_.num_params = 0;
    in_.time_step = 1;
    in_.local_time_step = 1;
    in_.time_scale = 30;
    in_.total_time = 30;
    in_.downsample_x = {1, 1};
    in_.downsample_y = {1, 1};
    in_.pixel_aspect_ratio = {1, 1};
    in_.pica_basicP = suites_.basic();

    std::memset(&out_, 0, sizeof out_);
}

PF_Err EffectHost::send(PF_Cmd cmd, PF_ParamDef* params[], PF_LayerDef* output, void* extra) {
    PF_InData in = in_;
    in.num_params = static_cast<A_long>(declared_.size() + 1);
    return entry_(cmd, &in, &out_, params, output, extra);
}

std::optional<std::string> EffectHost::about() {
    out_.return_msg[0] = '\0';
    if (send(PF_Cmd_ABOUT) != PF_Err_NONE) {
        return std::nullopt;
    }
    return std::string(out_.return_msg);
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

PF_Err EffectHost::render(PF_EffectWorld* input, PF_EffectWorld* output) {
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

} // namespace aehost
