// `zarvo-neon completion`: the bash completion script, made from the command's own subcommands
// and options and from the controls' description, so it cannot fall behind either.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace Kelvane::Neon::Apps {

// Options whose type name is kFileType complete file names; those whose type name starts with
// kControlType ("NAME=...") complete the control names, followed by '='.
inline constexpr const char* kFileType = "FILE";
inline constexpr const char* kControlType = "NAME=";

// The script for `app`, registered for the command `command`. `controls` are the names --set
// and --key take.
std::string bashCompletion(const CLI::App& app, const std::string& command,
                           const std::vector<std::string>& controls);

} // namespace Kelvane::Neon::Apps
