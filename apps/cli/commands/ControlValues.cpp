#include "apps/cli/commands/ControlValues.h"

#include "apps/common/Text.h"
#include "effect/controls/FixedPoint.h"
#include "effect/controls/HexColor.h"

#include "effect/controls/Controls.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <locale>
#include <sstream>

namespace Kelvane::Neon::Apps {
namespace {

// Plain decimal text only: an optional sign, digits, an optional point with more digits.
// Hexadecimal, exponents, "inf" and "nan" are refused, whatever the C library would take.
bool isPlainDecimal(const std::string& text) {
    std::size_t i = text.empty() || (text[0] != '-' && text[0] != '+') ? 0 : 1;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
        }
        return i - start;
    };
    std::size_t count = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        count += digits();
    }
    return count > 0 && i == text.size();
}

double parseNumber(const std::string& name, const std::string& value, bool* percent) {
    *percent = !value.empty() && value.back() == '%';
    const std::string digits = *percent ? value.substr(0, value.size() - 1) : value;
    double number = 0.0;
    const bool plain = isPlainDecimal(digits);
    if (plain) {
        // The classic locale: the point is the decimal mark wherever the command runs.
        std::istringstream in(digits);
        in.imbue(std::locale::classic());
        in >> number;
    }
    if (!plain || !std::isfinite(number)) {
        throw ControlError("\"" + name + "\" needs a number, not \"" + value + "\"");
    }
    return number;
}

// `given` is the value as the user wrote it, so the message never shows a rounded number.
void checkRange(const std::string& name, double value, const std::string& given, double lo,
                double hi, const char* unit) {
    if (value < lo || value > hi) {
        std::ostringstream message;
        message.imbue(std::locale::classic());
        message << "\"" << name << "\" must lie between " << lo << unit << " and " << hi << unit
                << ", not " << given;
        throw ControlError(message.str());
    }
}

PF_Pixel parseColor(const std::string& name, const std::string& value) {
    if (const std::optional<PF_Pixel> color = Kelvane::Neon::parseHexColor(value)) {
        return *color;
    }
    throw ControlError("\"" + name + "\" needs a colour as #RRGGBB, not \"" + value + "\"");
}

} // namespace

std::pair<std::string, std::string> splitAssignment(const std::string& assignment) {
    const auto equals = assignment.find('=');
    if (equals == std::string::npos) {
        throw ControlError("expected NAME=VALUE, not \"" + assignment + "\"");
    }
    return {trim(assignment.substr(0, equals)), trim(assignment.substr(equals + 1))};
}

PF_ParamIndex findControl(const std::string& name,
                          const std::vector<Kelvane::Neon::Host::DeclaredParam>& declared) {
    for (std::size_t i = 0; i < declared.size(); ++i) {
        const PF_ParamDef& def = declared[i].def;
        if (lower(def.name) == lower(name) && def.param_type != PF_Param_GROUP_START &&
            def.param_type != PF_Param_GROUP_END) {
            return PF_ParamIndex(i + 1);
        }
    }
    throw ControlError("no control is named \"" + name + "\" (see `zarvo-neon params`)");
}

void parseValue(PF_ParamIndex index, const std::string& value,
                const std::vector<Kelvane::Neon::Host::DeclaredParam>& declared,
                PF_ParamDef& target) {
    const Kelvane::Neon::Host::DeclaredParam& param = declared.at(std::size_t(index - 1));
    const PF_ParamDef& def = param.def;
    const std::string name = def.name;
    bool percent = false;
    switch (def.param_type) {
    case PF_Param_SLIDER: {
        const double number = parseNumber(name, value, &percent);
        if (percent || number != std::floor(number)) {
            throw ControlError("\"" + name + "\" takes a whole number, not \"" + value + "\"");
        }
        checkRange(name, number, value, def.u.sd.valid_min, def.u.sd.valid_max, "");
        target.u.sd.value = static_cast<PF_ParamValue>(number);
        return;
    }
    case PF_Param_FIX_SLIDER: {
        const double number = parseNumber(name, value, &percent);
        const char* unit = (def.u.fd.display_flags & PF_ValueDisplayFlag_PERCENT) ? "%" : "";
        checkRange(name, number, value, Kelvane::Neon::fixedToDouble(def.u.fd.valid_min),
                   Kelvane::Neon::fixedToDouble(def.u.fd.valid_max), unit);
        target.u.fd.value = Kelvane::Neon::fixedFromDouble(number);
        return;
    }
    case PF_Param_POPUP: {
        const std::vector<std::string> choices = Kelvane::Neon::choiceNames(param.choices);
        std::string known;
        for (std::size_t i = 0; i < choices.size(); ++i) {
            const int position = int(i) + 1;
            if (lower(choices[i]) == lower(value) || value == std::to_string(position)) {
                target.u.pd.value = position;
                return;
            }
            known += (known.empty() ? "" : ", ") + choices[i];
        }
        throw ControlError("\"" + name + "\" is one of " + known + ", or its number 1 to " +
                           std::to_string(choices.size()) + ", not \"" + value + "\"");
    }
    case PF_Param_COLOR:
        target.u.cd.value = parseColor(name, value);
        return;
    default:
        throw ControlError("\"" + name + "\" holds no value to set");
    }
}

PF_ParamIndex applyControl(const std::string& assignment,
                           const std::vector<Kelvane::Neon::Host::DeclaredParam>& declared,
                           Kelvane::Neon::Host::ParamStreams& streams) {
    const auto [name, value] = splitAssignment(assignment);
    const PF_ParamIndex index = findControl(name, declared);
    parseValue(index, value, declared, streams.at(index));
    return index;
}

} // namespace Kelvane::Neon::Apps
