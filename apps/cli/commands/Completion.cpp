#include "apps/cli/commands/Completion.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <sstream>

namespace Kelvane::Neon::Apps {
namespace {

// The script, with @FUNCTION@ (the completion function's name), @NAMES@ (the control names),
// @SKIP@ (the top level's options that take a value, as a case arm), @COMMANDS@ (the
// subcommands, as a case pattern) and @LEVELS@ (one case arm per level) filled in.
// Inside quotes readline inserts a reply as it is; outside, a control name's spaces must come
// escaped. The '=' after a name is left open for the value.
constexpr const char* kTemplate =
    R"(# bash completion for @COMMAND@, written by `@COMMAND@ completion`.

@FUNCTION@_names=(@NAMES@)

@FUNCTION@_controls() {
    local prefix quote= name
    case $1 in
    \"* | \'*) quote=1 prefix=${1:1} ;;
    *) prefix=${1//\\/} ;;
    esac
    for name in "${@FUNCTION@_names[@]}"; do
        [[ $name == "$prefix"* ]] || continue
        if [[ $quote ]]; then
            COMPREPLY+=("$name=")
        else
            COMPREPLY+=("$(printf '%q' "$name")=")
        fi
    done
    compopt -o nospace 2>/dev/null
}

@FUNCTION@_files() {
    if declare -F _filedir >/dev/null; then
        _filedir
    else
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$1")
    fi
}

@FUNCTION@() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} command= i
    COMPREPLY=()
    # --option=VALUE: readline makes the '=' a word of its own.
    if [[ $cur == = ]]; then
        cur=
    elif [[ $prev == = ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
@SKIP@        @COMMANDS@)
            command=${COMP_WORDS[i]}
            break
            ;;
        esac
    done
    case $command in
@LEVELS@    esac
}

complete -F @FUNCTION@ @COMMAND@
)";

std::string singleQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string joined(const std::vector<std::string>& words, const char* separator) {
    std::string text;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : separator) + word;
    }
    return text;
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// What one command level takes: the words it offers, and its options that take a file, a
// control assignment or another value.
struct Level {
    std::vector<std::string> words, files, controls, values;
};

Level levelOf(const CLI::App& app) {
    Level level;
    for (const CLI::Option* option : app.get_options()) {
        std::vector<std::string> names;
        for (const std::string& name : option->get_lnames()) {
            names.push_back("--" + name);
        }
        for (const std::string& name : option->get_snames()) {
            names.push_back("-" + name);
        }
        level.words.insert(level.words.end(), names.begin(), names.end());
        if (option->get_expected_max() == 0) {
            continue; // a flag
        }
        const std::string type = option->get_type_name();
        auto& into = startsWith(type, kFileType)      ? level.files
                     : startsWith(type, kControlType) ? level.controls
                                                      : level.values;
        into.insert(into.end(), names.begin(), names.end());
    }
    return level;
}

// One arm of `case $command`: what follows an option, else the level's words.
std::string levelArm(const std::string& pattern, const Level& level) {
    std::ostringstream out;
    out << "    " << pattern << ")\n        case $prev in\n";
    if (!level.files.empty()) {
        out << "        " << joined(level.files, " | ")
            << ") @FUNCTION@_files \"$cur\"; return ;;\n";
    }
    if (!level.controls.empty()) {
        out << "        " << joined(level.controls, " | ")
            << ") @FUNCTION@_controls \"$cur\"; return ;;\n";
    }
    if (!level.values.empty()) {
        out << "        " << joined(level.values, " | ") << ") return ;; # a value to type\n";
    }
    out << "        esac\n        mapfile -t COMPREPLY < <(compgen -W "
        << singleQuoted(joined(level.words, " ")) << " -- \"$cur\")\n        ;;\n";
    return out.str();
}

} // namespace

std::string bashCompletion(const CLI::App& app, const std::string& command,
                           const std::vector<std::string>& controls) {
    std::string function = "_";
    for (char c : command) {
        function += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    std::vector<std::string> quotedNames;
    for (const std::string& name : controls) {
        quotedNames.push_back(singleQuoted(name));
    }
    std::vector<std::string> commands;
    for (const CLI::App* sub : app.get_subcommands({})) {
        commands.push_back(sub->get_name());
    }

    Level top = levelOf(app);
    top.words.insert(top.words.begin(), commands.begin(), commands.end());
    // The values of the top level's options come before the subcommand and are not one.
    std::vector<std::string> takeValues = top.files;
    takeValues.insert(takeValues.end(), top.values.begin(), top.values.end());
    const std::string skip =
        takeValues.empty() ? "" : "        " + joined(takeValues, " | ") + ") ((i++)) ;;\n";
    std::string levels = levelArm("\"\"", top);
    for (const CLI::App* sub : app.get_subcommands({})) {
        levels += levelArm(sub->get_name(), levelOf(*sub));
    }

    std::string script = kTemplate;
    replaceAll(script, "@SKIP@", skip);
    replaceAll(script, "@COMMANDS@", joined(commands, " | "));
    replaceAll(script, "@LEVELS@", levels);
    replaceAll(script, "@NAMES@", joined(quotedNames, " "));
    replaceAll(script, "@FUNCTION@", function);
    replaceAll(script, "@COMMAND@", command);
    return script;
}

} // namespace Kelvane::Neon::Apps
