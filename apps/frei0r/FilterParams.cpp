#include "apps/frei0r/FilterParams.h"

#include "apps/common/Text.h"
#include "effect/controls/FixedPoint.h"
#include "effect/controls/HexColor.h"

extern "C" {
#include <frei0r.h>
}

#include <algorithm>
#include <cctype>
#include <cmath>
#include <locale>
#include <sstream>

namespace Kelvane::Neon::Apps {
namespace {

std::ostringstream classicStream() {
    std::ostringstream out;
    out.imbue(std::locale::classic()); // a comma-decimal host must not change the text
    out.precision(10);
    return out;
}

// A frei0r value as a hint: four significant digits are enough to type it back.
std::string hint(double value) {
    auto out = classicStream();
    out.precision(4);
    out << value;
    return out.str();
}

// A slider's ranges in what it shows (a percentage as its number).
struct Span {
    double sliderMin, sliderMax, validMin, validMax, dephault;
};

Span spanOf(const Control& c) {
    const auto& r = c.range;
    return {double(r.sliderMin), double(r.sliderMax), double(r.validMin), double(r.validMax),
            double(c.dephault)};
}

double toFrei0r(const Span& span, double value) {
    const double width = span.sliderMax - span.sliderMin;
    return width != 0.0 ? (value - span.sliderMin) / width : 0.0;
}

std::string numberExplanation(const Control& c) {
    const Span span = spanOf(c);
    const char* unit = c.percent ? "%" : "";
    auto out = classicStream();
    out << "0 to 1 sets " << span.sliderMin << unit << " to " << span.sliderMax << unit;
    if (span.validMin < span.sliderMin || span.validMax > span.sliderMax) {
        out << "; values beyond reach " << span.validMin << unit << " to " << span.validMax << unit;
    }
    out << ". Default " << span.dephault << unit << " (" << hint(toFrei0r(span, span.dephault))
        << ").";
    return out.str();
}

std::string unscaledExplanation(const Control& c) {
    const Span span = spanOf(c);
    auto out = classicStream();
    out << c.name << " as the control shows it" << (c.unit ? std::string(", in ") + c.unit : "")
        << ", not scaled: " << span.validMin << " to " << span.validMax << ". Default "
        << span.dephault << ". Sets the same control as \"" << c.name
        << "\", for hosts that can scale a value but not offset it.";
    return out.str();
}

std::string popupExplanation(const Control& c) {
    const auto names = choiceNames(c.choices);
    auto out = classicStream();
    out << "One of ";
    for (std::size_t i = 0; i < names.size(); ++i) {
        out << (i ? ", " : "") << names[i];
    }
    out << " (or its number, 1 to " << names.size() << ").";
    const int dflt = c.dephault;
    if (dflt >= 1 && dflt <= int(names.size())) {
        out << " Default " << names[dflt - 1] << ".";
    }
    return out.str();
}

std::string colorExplanation(const Control& c) {
    return "Default " + Kelvane::Neon::hexColor(c.color) + ".";
}

// Plain digits only: a popup's position.
std::optional<int> position(const std::string& text) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::stoi(text);
}

std::optional<std::string> setNumber(const Control& c, bool unscaled, double value,
                                     PF_ParamDef& target) {
    if (!std::isfinite(value)) {
        return std::string("needs a finite number");
    }
    const Span span = spanOf(c);
    const double shown =
        unscaled ? value : span.sliderMin + value * (span.sliderMax - span.sliderMin);
    const double clamped = std::clamp(shown, span.validMin, span.validMax);
    if (c.kind == ControlKind::Slider) {
        target.u.sd.value = static_cast<PF_ParamValue>(std::lround(clamped));
    } else {
        target.u.fd.value = Kelvane::Neon::fixedFromDouble(clamped);
    }
    return std::nullopt;
}

std::optional<std::string> setPopup(const Control& c, const char* value, PF_ParamDef& target) {
    if (value == nullptr) {
        return std::string("got a null string");
    }
    const std::string text = trim(value);
    // What ffmpeg passes for a value left out between two bars. A number left out arrives as
    // 0, its minimum, so a popup left out takes its first choice: an empty field means the
    // lowest value for every kind of control.
    if (text.empty()) {
        target.u.pd.value = 1;
        return std::nullopt;
    }
    const auto names = choiceNames(c.choices);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (lower(names[i]) == lower(text)) {
            target.u.pd.value = A_long(i + 1);
            return std::nullopt;
        }
    }
    if (const auto number = position(text);
        number && *number >= 1 && *number <= int(names.size())) {
        target.u.pd.value = *number;
        return std::nullopt;
    }
    std::string known;
    for (const auto& name : names) {
        known += (known.empty() ? "" : ", ") + name;
    }
    return "is one of " + known + " (or 1 to " + std::to_string(names.size()) + "), not \"" +
           std::string(value) + "\"";
}

std::optional<std::string> setColor(const f0r_param_color_t& color, PF_ParamDef& target) {
    const float channels[3] = {color.r, color.g, color.b};
    A_u_char bytes[3];
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(channels[i])) {
            return std::string("needs finite colour components");
        }
        bytes[i] = static_cast<A_u_char>(std::lround(std::clamp(channels[i], 0.0f, 1.0f) * 255.0f));
    }
    target.u.cd.value.red = bytes[0];
    target.u.cd.value.green = bytes[1];
    target.u.cd.value.blue = bytes[2];
    return std::nullopt;
}

} // namespace

FilterParams::FilterParams() {
    for (const Control& c : Kelvane::Neon::kControls) {
        FilterParam param;
        switch (c.kind) {
        case ControlKind::Slider:
        case ControlKind::FixedSlider:
            param.type = F0R_PARAM_DOUBLE;
            param.explanation = numberExplanation(c);
            break;
        case ControlKind::Popup:
            param.type = F0R_PARAM_STRING;
            param.explanation = popupExplanation(c);
            break;
        case ControlKind::Color:
            param.type = F0R_PARAM_COLOR;
            param.explanation = colorExplanation(c);
            break;
        default:
            continue; // the header strip and the groups hold no value
        }
        const std::string what = Kelvane::Neon::sentence(c);
        param.explanation = what.empty() ? param.explanation : what + " " + param.explanation;
        param.name = c.name;
        param.stream = c.index;
        param.control = &c;
        params_.push_back(std::move(param));
    }
    // Appended, so the positions ffmpeg's lists and saved projects use stay as they are.
    const std::size_t scaled = params_.size();
    for (std::size_t i = 0; i < scaled; ++i) {
        const Control& c = *params_[i].control;
        if (params_[i].type != F0R_PARAM_DOUBLE || c.range.sliderMin == 0) {
            continue;
        }
        FilterParam twin = params_[i];
        twin.name = std::string(c.name) + " (unscaled)";
        twin.unscaled = true;
        twin.explanation = unscaledExplanation(c);
        params_.push_back(std::move(twin));
    }
}

const FilterParam* FilterParams::find(int index) const {
    return index >= 0 && index < size() ? &params_[std::size_t(index)] : nullptr;
}

int FilterParams::indexOf(const Control& control, bool unscaled) const {
    for (std::size_t i = 0; i < params_.size(); ++i) {
        if (params_[i].control == &control && params_[i].unscaled == unscaled) {
            return int(i);
        }
    }
    return -1;
}

std::optional<std::string> FilterParams::set(const FilterParam& param, const void* value,
                                             PF_ParamDef& target) {
    switch (param.type) {
    case F0R_PARAM_DOUBLE:
        return setNumber(*param.control, param.unscaled, *static_cast<const double*>(value),
                         target);
    case F0R_PARAM_STRING:
        return setPopup(*param.control, *static_cast<const char* const*>(value), target);
    default:
        return setColor(*static_cast<const f0r_param_color_t*>(value), target);
    }
}

void FilterParams::get(const FilterParam& param, const PF_ParamDef& current, void* value,
                       std::string& text) {
    switch (param.type) {
    case F0R_PARAM_DOUBLE: {
        const double number = current.param_type == PF_Param_SLIDER
                                  ? double(current.u.sd.value)
                                  : Kelvane::Neon::fixedToDouble(current.u.fd.value);
        *static_cast<double*>(value) =
            param.unscaled ? number : toFrei0r(spanOf(*param.control), number);
        return;
    }
    case F0R_PARAM_STRING: {
        const auto names = choiceNames(param.control->choices);
        const A_long chosen = current.u.pd.value;
        text = chosen >= 1 && chosen <= A_long(names.size()) ? names[std::size_t(chosen - 1)]
                                                             : std::to_string(chosen);
        *static_cast<char**>(value) = text.data();
        return;
    }
    default: {
        const PF_Pixel& c = current.u.cd.value;
        *static_cast<f0r_param_color_t*>(value) = {c.red / 255.0f, c.green / 255.0f,
                                                   c.blue / 255.0f};
        return;
    }
    }
}

} // namespace Kelvane::Neon::Apps
