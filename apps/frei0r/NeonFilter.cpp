#include "apps/frei0r/NeonFilter.h"

#include "effect/entry/EntryPoint.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>

namespace Kelvane::Neon::Apps {
namespace {

std::string sizeText(unsigned width, unsigned height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// frei0r's seconds in the host's time units, within what PF_InData holds.
A_long hostTime(double seconds, A_u_long timeScale) {
    const double units = std::round(seconds * double(timeScale));
    return std::isfinite(units) ? A_long(std::clamp(units, double(INT_MIN), double(INT_MAX))) : 0;
}

} // namespace

NeonFilter::NeonFilter(const FilterParams& params, unsigned width, unsigned height)
    : params_(params), width_(width), height_(height),
      host_(std::make_unique<Kelvane::Neon::Host::EffectHost>(&EntryPointFunc)),
      texts_(std::size_t(params.size())) {
    Kelvane::Neon::Host::EffectHost::Activation active(*host_);
    const PF_Err err = host_->paramsSetup();
    if (err != PF_Err_NONE) {
        throw std::runtime_error("the effect's parameter set-up failed (error " +
                                 std::to_string(err) + ")");
    }
}

void NeonFilter::reportOnce(const std::string& kind, const std::string& message) {
    if (reported_.insert(kind).second) {
        std::fprintf(stderr, "zarvo_neon: %s\n", message.c_str());
    }
}

void NeonFilter::setParam(const void* value, int index) {
    const FilterParam* param = params_.find(index);
    if (param == nullptr) {
        reportOnce("set index", "f0r_set_param_value: there is no parameter " +
                                    std::to_string(index) + " (0 to " +
                                    std::to_string(params_.size() - 1) + "); ignored");
        return;
    }
    if (value == nullptr) {
        reportOnce("set null",
                   "f0r_set_param_value: no value for \"" + param->name + "\"; ignored");
        return;
    }
    Kelvane::Neon::Host::EffectHost::Activation active(*host_);
    const auto refused = FilterParams::set(*param, value, host_->streams().at(param->stream));
    if (refused) {
        reportOnce("set " + param->name,
                   "\"" + param->name + "\" " + *refused + "; it keeps its value");
    }
}

void NeonFilter::getParam(void* value, int index) {
    const FilterParam* param = params_.find(index);
    if (param == nullptr) {
        reportOnce("get index", "f0r_get_param_value: there is no parameter " +
                                    std::to_string(index) + " (0 to " +
                                    std::to_string(params_.size() - 1) + "); nothing written");
        return;
    }
    if (value == nullptr) {
        reportOnce("get null", "f0r_get_param_value: nowhere to write \"" + param->name + "\"");
        return;
    }
    Kelvane::Neon::Host::EffectHost::Activation active(*host_);
    FilterParams::get(*param, host_->streams().at(param->stream), value,
                      texts_[std::size_t(index)]);
}

void NeonFilter::update(double time, const std::uint32_t* in, std::uint32_t* out, bool ready) {
    if (out == nullptr || in == nullptr) {
        reportOnce("update null", std::string("f0r_update got no ") +
                                      (out == nullptr ? "output" : "input") +
                                      " frame; nothing written");
        return;
    }
    if (width_ == 0 || height_ == 0) {
        reportOnce("empty", "a " + sizeText(width_, height_) + " frame has no pixels to draw");
        return;
    }
    if (!ready) {
        reportOnce("not ready", "the effect is not set up (f0r_init failed or was not called); "
                                "frames pass through unchanged");
        passThrough(in, out);
        return;
    }
    try {
        if (render(time, in, out)) {
            return;
        }
    } catch (const std::exception& e) {
        reportOnce("render", "cannot render a " + sizeText(width_, height_) +
                                 " frame: " + e.what() + "; frames pass through unchanged");
    }
    passThrough(in, out);
}

bool NeonFilter::render(double time, const std::uint32_t* in, std::uint32_t* out) {
    if (!input_) {
        input_ = std::make_unique<Kelvane::Neon::Host::World>(
            int(std::min(width_, unsigned(INT_MAX))), int(std::min(height_, unsigned(INT_MAX))));
        output_ = std::make_unique<Kelvane::Neon::Host::World>(input_->width(), input_->height());
    }
    const std::size_t rowBytes = std::size_t(width_) * 4;
    // frei0r's red, green, blue, alpha to the host's alpha, red, green, blue.
    for (unsigned y = 0; y < height_; ++y) {
        const auto* src = reinterpret_cast<const std::uint8_t*>(in) + y * rowBytes;
        auto* dst = const_cast<std::uint8_t*>(input_->row(int(y)));
        for (std::size_t x = 0; x < rowBytes; x += 4) {
            dst[x] = src[x + 3];
            dst[x + 1] = src[x];
            dst[x + 2] = src[x + 1];
            dst[x + 3] = src[x + 2];
        }
    }

    Kelvane::Neon::Host::EffectHost::Activation active(*host_);
    host_->inData().current_time = hostTime(time, host_->inData().time_scale);
    host_->outData().return_msg[0] = '\0';
    const PF_Err err = host_->render(input_->world(), output_->world());
    if (err != PF_Err_NONE) {
        std::string why = host_->outData().return_msg;
        for (const std::string& fault : host_->faults()) {
            why += (why.empty() ? "" : " ") + fault + ".";
        }
        reportOnce("render", why.empty()
                                 ? "the effect failed on a frame (error " + std::to_string(err) +
                                       "); frames pass through unchanged"
                                 : why + " Frames pass through unchanged.");
        return false;
    }

    for (unsigned y = 0; y < height_; ++y) {
        const std::uint8_t* src = output_->row(int(y));
        auto* dst = reinterpret_cast<std::uint8_t*>(out) + y * rowBytes;
        for (std::size_t x = 0; x < rowBytes; x += 4) {
            dst[x] = src[x + 1];
            dst[x + 1] = src[x + 2];
            dst[x + 2] = src[x + 3];
            dst[x + 3] = src[x];
        }
    }
    return true;
}

void NeonFilter::passThrough(const std::uint32_t* in, std::uint32_t* out) const {
    if (in != out) {
        std::memmove(out, in, std::size_t(width_) * height_ * 4);
    }
}

} // namespace Kelvane::Neon::Apps
