#include "apps/cli/commands/Keyframes.h"

#include "apps/cli/commands/Fraction.h"
#include "apps/common/Text.h"
#include "apps/cli/commands/UsageError.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace Kelvane::Neon::Apps {
namespace {

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// "12" (a frame) or "1.5s" (seconds) as a host time.
A_Time keyTime(const std::string& name, const std::string& text, const FrameRate& rate) {
    if (!text.empty() && text[0] == '-') {
        throw ControlError("keyframes of " + quoted(name) + " start at frame 0 (or 0s), not at " +
                           text);
    }
    const bool seconds = !text.empty() && text.back() == 's';
    const std::optional<Fraction> number =
        parseFraction(seconds ? text.substr(0, text.size() - 1) : text, false);
    if (!number || (!seconds && number->denominator != 1)) {
        throw ControlError("a keyframe of " + quoted(name) +
                           " needs a frame number or seconds such as 1.5s after '@', not " +
                           quoted(text));
    }
    if (!seconds) {
        if (number->numerator > std::uint64_t(std::numeric_limits<int>::max())) {
            throw ControlError("keyframe time " + text + " lies beyond the host's clock");
        }
        try {
            const Kelvane::Neon::Host::FrameTime frame = frameTime(rate, int(number->numerator));
            return {frame.time, frame.scale};
        } catch (const UsageError& e) {
            throw ControlError(e.what());
        }
    }
    if (number->numerator > std::uint64_t(std::numeric_limits<A_long>::max()) ||
        number->denominator > std::numeric_limits<A_u_long>::max()) {
        throw ControlError("keyframe time " + text +
                           " is too late or too fine for the host's clock");
    }
    return {A_long(number->numerator), A_u_long(number->denominator)};
}

} // namespace

KeyedControl parseKeys(const std::string& text,
                       const std::vector<Kelvane::Neon::Host::DeclaredParam>& declared,
                       const FrameRate& rate) {
    const auto [name, list] = splitAssignment(text);
    KeyedControl keyed;
    keyed.index = findControl(name, declared);
    const PF_ParamDef& def = declared[std::size_t(keyed.index - 1)].def;
    if ((def.flags & PF_ParamFlag_CANNOT_TIME_VARY) || def.param_type == PF_Param_NO_DATA) {
        throw ControlError(quoted(def.name) + " cannot vary in time: it takes no keyframes");
    }
    std::vector<std::string> times;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string item = list.substr(start, comma - start);
        const std::size_t at = item.rfind('@');
        if (at == std::string::npos) {
            throw ControlError("--key " + quoted(text) +
                               " needs VALUE@TIME pairs separated by "
                               "commas, such as 0@1,100@24");
        }
        const std::string when = trim(item.substr(at + 1));
        Kelvane::Neon::Host::Keyframe key{keyTime(def.name, when, rate), def};
        parseValue(keyed.index, trim(item.substr(0, at)), declared, key.value);
        for (std::size_t i = 0; i < keyed.keys.size(); ++i) {
            if (Kelvane::Neon::Host::compareTimes(keyed.keys[i].time, key.time) == 0) {
                throw ControlError("two keyframes of " + quoted(def.name) +
                                   " fall at the same time: @" + times[i] + " and @" + when);
            }
        }
        keyed.keys.push_back(key);
        times.push_back(when);
        start = comma + 1;
    }
    return keyed;
}

void applyKeys(const std::vector<std::string>& keys, const std::vector<PF_ParamIndex>& setControls,
               const std::vector<Kelvane::Neon::Host::DeclaredParam>& declared,
               Kelvane::Neon::Host::ParamStreams& streams, const FrameRate& rate) {
    std::vector<KeyedControl> parsed;
    for (const std::string& text : keys) {
        KeyedControl keyed = parseKeys(text, declared, rate);
        const std::string name = quoted(declared[std::size_t(keyed.index - 1)].def.name);
        if (std::find(setControls.begin(), setControls.end(), keyed.index) != setControls.end()) {
            throw ControlError(name + " has both --set and --key: give it one or the other");
        }
        for (const KeyedControl& earlier : parsed) {
            if (earlier.index == keyed.index) {
                throw ControlError(name + " is keyed twice: give all its keyframes in one --key");
            }
        }
        parsed.push_back(std::move(keyed));
    }
    for (KeyedControl& keyed : parsed) {
        try {
            streams.setKeyframes(keyed.index, std::move(keyed.keys));
        } catch (const std::invalid_argument& e) {
            throw ControlError(e.what());
        }
    }
}

} // namespace Kelvane::Neon::Apps
