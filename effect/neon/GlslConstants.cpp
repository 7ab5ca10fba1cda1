#include "effect/neon/GlslConstants.h"

#include "effect/controls/NeonSettings.h"
#include "effect/controls/Reach.h"

#include <charconv>
#include <string>
#include <system_error>

namespace Kelvane {
namespace Neon {
namespace {

template <typename Choice> std::string define(const char* name, Choice choice) {
    return std::string("#define ") + name + " " + std::to_string(static_cast<int>(choice)) + "\n";
}

// The shortest text that reads back as `value`, whatever the process's locale, with a point so
// that GLSL takes it as a float.
std::string define(const char* name, double value) {
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    std::string literal(text, error == std::errc() ? end : text);
    if (literal.find_first_of(".e") == std::string::npos) {
        literal += ".0";
    }
    return std::string("#define ") + name + " " + literal + "\n";
}

std::string constantsText() {
    return define("DIRECTION_INNER_TO_OUTER", Direction::InnerToOuter) +
           define("DIRECTION_OUTER_TO_INNER", Direction::OuterToInner) +
           define("DIRECTION_RANDOM", Direction::Random) +
           define("COLOR_TYPE_LOOP", ColorType::Loop) +
           define("COLOR_TYPE_RANDOM", ColorType::Random) +
           define("COLOR_TYPE_GRADIENT", ColorType::Gradient) +
           define("DISTANCE_GAMMA", kDistanceGamma) + define("SOFT_EDGE_PIXELS", kSoftEdgePixels);
}

} // namespace

const char* glslConstants() {
    static const std::string text = constantsText();
    return text.c_str();
}

} // namespace Neon
} // namespace Kelvane
