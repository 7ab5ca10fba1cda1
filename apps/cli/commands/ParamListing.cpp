#include "apps/cli/commands/ParamListing.h"

#include "effect/controls/Controls.h"
#include "effect/controls/FixedPoint.h"
#include "effect/controls/HexColor.h"

#include <cstdio>
#include <sstream>

namespace Kelvane::Neon::Apps {
namespace {

std::string fixedText(PF_Fixed value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", Kelvane::Neon::fixedToDouble(value));
    return text;
}

std::string range(const std::string& lo, const std::string& hi) {
    return lo + " to " + hi;
}

std::string describe(const Kelvane::Neon::Host::DeclaredParam& p) {
    const PF_ParamDef& d = p.def;
    std::ostringstream out;
    switch (d.param_type) {
    case PF_Param_SLIDER:
        out << "integer slider, valid "
            << range(std::to_string(d.u.sd.valid_min), std::to_string(d.u.sd.valid_max))
            << ", slider "
            << range(std::to_string(d.u.sd.slider_min), std::to_string(d.u.sd.slider_max))
            << ", default " << d.u.sd.dephault;
        break;
    case PF_Param_FIX_SLIDER: {
        const std::string unit = (d.u.fd.display_flags & PF_ValueDisplayFlag_PERCENT) ? "%" : "";
        out << (unit.empty() ? "slider" : "percent slider") << ", valid "
            << range(fixedText(d.u.fd.valid_min) + unit, fixedText(d.u.fd.valid_max) + unit)
            << ", slider "
            << range(fixedText(d.u.fd.slider_min) + unit, fixedText(d.u.fd.slider_max) + unit)
            << ", default " << fixedText(d.u.fd.dephault) << unit;
        break;
    }
    case PF_Param_POPUP: {
        const auto names = choiceNames(p.choices);
        out << "popup, choices ";
        for (std::size_t i = 0; i < names.size(); ++i) {
            out << (i ? " | " : "") << names[i];
        }
        const int dflt = d.u.pd.dephault;
        out << ", default "
            << (dflt >= 1 && dflt <= int(names.size()) ? names[dflt - 1] : std::to_string(dflt));
        break;
    }
    case PF_Param_COLOR:
        out << "color, default " << Kelvane::Neon::hexColor(d.u.cd.dephault);
        break;
    case PF_Param_NO_DATA:
        out << "header strip, " << d.ui_width << " x " << d.ui_height << " custom drawn";
        break;
    case PF_Param_GROUP_START:
        out << "group";
        break;
    case PF_Param_CHECKBOX:
        out << "checkbox";
        break;
    default:
        out << "type " << d.param_type;
        break;
    }
    return out.str();
}

// The value as the panel shows it; empty for parameters without one.
std::string valueText(const Kelvane::Neon::Host::DeclaredParam& p, const PF_ParamDef& value) {
    switch (p.def.param_type) {
    case PF_Param_SLIDER:
        return std::to_string(value.u.sd.value);
    case PF_Param_FIX_SLIDER:
        return fixedText(value.u.fd.value) +
               ((p.def.u.fd.display_flags & PF_ValueDisplayFlag_PERCENT) ? "%" : "");
    case PF_Param_POPUP: {
        const auto names = choiceNames(p.choices);
        const int position = value.u.pd.value;
        return position >= 1 && position <= int(names.size()) ? names[position - 1]
                                                              : std::to_string(position);
    }
    case PF_Param_COLOR:
        return Kelvane::Neon::hexColor(value.u.cd.value);
    default:
        return "";
    }
}

std::string listing(const std::vector<Kelvane::Neon::Host::DeclaredParam>& params,
                    const Kelvane::Neon::Host::ParamStreams* streams) {
    std::ostringstream out;
    int depth = 0;
    for (std::size_t i = 0; i < params.size(); ++i) {
        const Kelvane::Neon::Host::DeclaredParam& p = params[i];
        if (p.def.param_type == PF_Param_GROUP_END) {
            depth = depth > 0 ? depth - 1 : 0;
            continue;
        }
        const PF_ParamIndex index = PF_ParamIndex(i + 1);
        const bool shown = streams == nullptr || !streams->hidden(index);
        if (shown) {
            const std::string indent(2 * depth, ' ');
            std::string name = indent + p.def.name;
            if (name.size() < 28) {
                name.resize(28, ' ');
            }
            out << name << "  " << describe(p);
            const std::string value = streams ? valueText(p, streams->at(index)) : "";
            out << (value.empty() ? "" : ", value " + value) << "\n";
        }
        if (p.def.param_type == PF_Param_GROUP_START) {
            ++depth;
        }
    }
    return out.str();
}

} // namespace

std::string aboutText(const std::string& message) {
    std::string text = message;
    for (char& c : text) {
        if (c == '\r') {
            c = '\n';
        }
    }
    if (!text.empty() && text.back() != '\n') {
        text += '\n';
    }
    return text;
}

std::string paramListing(const std::vector<Kelvane::Neon::Host::DeclaredParam>& params) {
    return listing(params, nullptr);
}

std::string panelListing(const std::vector<Kelvane::Neon::Host::DeclaredParam>& params,
                         const Kelvane::Neon::Host::ParamStreams& streams) {
    return listing(params, &streams);
}

} // namespace Kelvane::Neon::Apps
