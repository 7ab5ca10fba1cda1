#include "ControlValues.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace zarvo {
namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

double parseNumber(const std::string& name, std::string value, bool* percent) {
    *percent = !value.empty() && value.back() == '%';
    if (*percent) {
        value.pop_back();
    }
    std::size_t used = 0;
    double number = 0.0;
    try {
        number = std::stod(value, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != value.size() || !std::isfinite(number)) {
        throw ControlError("\"" + name + "\" needs a number, not \"" + value + "\"");
    }
    return number;
}

void checkRange(const std::string& name, double value, double lo, double hi, const char* unit) {
    if (value < lo || value > hi) {
        std::ostringstream message;
        message << "\"" << name << "\" must lie between " << lo << unit << " and " << hi << unit
                << ", not " << value << unit;
        throw ControlError(message.str());
    }
}

PF_Pixel parseColor(const std::string& name, const std::string& value) {
    unsigned r = 0, g = 0, b = 0;
    char extra = 0;
    if (value.size() == 7 && value[0] == '#' &&
        std::sscanf(value.c_str(), "#%2x%2x%2x%c", &r, &g, &b, &extra) == 3) {
        return PF_Pixel{255, A_u_char(r), A_u_char(g), A_u_char(b)};
    }
    throw ControlError("\"" + name + "\" needs a colour as #RRGGBB, not \"" + value + "\"");
}

} // namespace

void applyControl(const std::string& assignment, const std::vector<aehost::DeclaredParam>& declared,
                  aehost::ParamStreams& streams) {
    const auto equals = assignment.find('=');
    if (equals == std::string::npos) {
        throw ControlError("expected NAME=VALUE, not \"" + assignment + "\"");
    }
    const std::string name = trim(assignment.substr(0, equals));
    const std::string value = trim(assignment.substr(equals + 1));

    for (std::size_t i = 0; i < declared.size(); ++i) {
        const PF_ParamDef& def = declared[i].def;
        if (lower(def.name) != lower(name) || def.param_type == PF_Param_GROUP_START ||
            def.param_type == PF_Param_GROUP_END || def.param_type == PF_Param_NO_DATA) {
            continue;
        }
        PF_ParamDef& target = streams.at(PF_ParamIndex(i + 1));
        bool percent = false;
        switch (def.param_type) {
        case PF_Param_SLIDER: {
            const double number = parseNumber(name, value, &percent);
            if (percent || number != std::floor(number)) {
                throw ControlError("\"" + name + "\" takes a whole number, not \"" + value + "\"");
            }
            checkRange(name, number, def.u.sd.valid_min, def.u.sd.valid_max, "");
            target.u.sd.value = static_cast<PF_ParamValue>(number);
            return;
        }
        case PF_Param_FIX_SLIDER: {
            const double number = parseNumber(name, value, &percent);
            const char* unit = (def.u.fd.display_flags & PF_ValueDisplayFlag_PERCENT) ? "%" : "";
            checkRange(name, number, def.u.fd.valid_min / 65536.0, def.u.fd.valid_max / 65536.0,
                       unit);
            target.u.fd.value = static_cast<PF_Fixed>(std::lround(number * 65536.0));
            return;
        }
        case PF_Param_POPUP: {
            std::istringstream choices(declared[i].choices);
            std::string choice;
            std::string known;
            for (int position = 1; std::getline(choices, choice, '|'); ++position) {
                if (lower(choice) == lower(value) || value == std::to_string(position)) {
                    target.u.pd.value = position;
                    return;
                }
                known += (known.empty() ? "" : ", ") + choice;
            }
            throw ControlError("\"" + name + "\" is one of " + known + ", not \"" + value + "\"");
        }
        case PF_Param_COLOR:
            target.u.cd.value = parseColor(name, value);
            return;
        default:
            break;
        }
    }
    throw ControlError("no control is named \"" + name + "\" (see `zarvo-neon params`)");
}

} // namespace zarvo
