// zarvo-neon: the effect without After Effects. Loads the module through the headless host.

#include "EffectHost.h"
#include "ParamListing.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

namespace {

std::unique_ptr<aehost::EffectModule> loadModule(const std::string& path) {
    return std::make_unique<aehost::EffectModule>(
        path.empty() ? aehost::EffectModule::besideProgram() : path);
}

int runAbout(const std::string& modulePath) {
    auto module = loadModule(modulePath);
    aehost::EffectHost host(*module);
    const auto message = host.about();
    if (!message) {
        std::cerr << "zarvo-neon: the effect refused the About command\n";
        return 1;
    }
    std::cout << zarvo::aboutText(*message);
    return 0;
}

int runParams(const std::string& modulePath) {
    auto module = loadModule(modulePath);
    aehost::EffectHost host(*module);
    const PF_Err err = host.send(PF_Cmd_PARAMS_SETUP);
    if (err != PF_Err_NONE) {
        std::cerr << "zarvo-neon: parameter set-up failed with error " << err << "\n";
        return 1;
    }
    std::cout << module->name() << " (" << module->category() << ")\n"
              << zarvo::paramListing(host.declared());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"zarvo-neon: neon outline strokes along a layer's alpha, rendered through the "
                 "Zarvo Neon effect module."};
    app.require_subcommand(1);
    std::string modulePath;
    const auto addModuleOption = [&modulePath](CLI::App* command) {
        command->add_option("--module", modulePath,
                            "Effect module to load (default: ZarvoNeon.aex beside this program)");
    };
    addModuleOption(&app);

    auto* about = app.add_subcommand("about", "Print the effect's About text");
    auto* params =
        app.add_subcommand("params", "List the effect's controls as the host shows them");
    addModuleOption(about);
    addModuleOption(params);

    CLI11_PARSE(app, argc, argv);
    try {
        if (about->parsed()) {
            return runAbout(modulePath);
        }
        if (params->parsed()) {
            return runParams(modulePath);
        }
    } catch (const std::exception& e) {
        std::cerr << "zarvo-neon: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
