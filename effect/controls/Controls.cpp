#include "effect/controls/Controls.h"

#include "effect/controls/FixedPoint.h"

namespace Kelvane {
namespace Neon {
namespace {

// The header strip's box in the Effect Controls panel.
constexpr A_short kHeaderWidth = 200;
constexpr A_short kHeaderHeight = 50;

} // namespace

std::vector<std::string> choiceNames(std::string_view choices) {
    std::vector<std::string> names;
    for (int i = 0; i < choiceCount(choices); ++i) {
        names.emplace_back(choiceName(choices, i));
    }
    return names;
}

void describe(const Control& c, PF_ParamDef& def) {
    def.param_type = paramType(c.kind);
    def.flags = c.flags;
    const ControlRange& r = c.range;
    switch (c.kind) {
    case ControlKind::Header:
        def.ui_flags = PF_PUI_CONTROL;
        def.ui_width = kHeaderWidth;
        def.ui_height = kHeaderHeight;
        break;
    case ControlKind::Popup:
        def.u.pd.value = c.dephault;
        def.u.pd.num_choices = choiceCount(c);
        def.u.pd.dephault = static_cast<A_short>(c.dephault);
        break;
    case ControlKind::Slider:
        def.u.sd.value_str[0] = '\0';
        def.u.sd.value_desc[0] = '\0';
        def.u.sd.valid_min = r.validMin;
        def.u.sd.valid_max = r.validMax;
        def.u.sd.slider_min = r.sliderMin;
        def.u.sd.slider_max = r.sliderMax;
        def.u.sd.value = def.u.sd.dephault = c.dephault;
        break;
    case ControlKind::FixedSlider:
        def.u.fd.valid_min = toFixed(r.validMin);
        def.u.fd.valid_max = toFixed(r.validMax);
        def.u.fd.slider_min = toFixed(r.sliderMin);
        def.u.fd.slider_max = toFixed(r.sliderMax);
        def.u.fd.value = def.u.fd.dephault = toFixed(c.dephault);
        def.u.fd.precision = c.precision;
        def.u.fd.display_flags = c.percent ? PF_ValueDisplayFlag_PERCENT : 0;
        break;
    case ControlKind::Color:
        def.u.cd.value = PF_Pixel{255, c.color.red, c.color.green, c.color.blue};
        def.u.cd.dephault = def.u.cd.value;
        break;
    case ControlKind::GroupStart:
    case ControlKind::GroupEnd:
        break;
    }
    def.uu.id = c.diskId;
}

std::string sentence(const Control& c) {
    if (c.description == nullptr) {
        return "";
    }
    std::string text = c.description;
    if (c.unit != nullptr) {
        text += std::string(", in ") + c.unit;
    }
    return text + ".";
}

} // namespace Neon
} // namespace Kelvane
